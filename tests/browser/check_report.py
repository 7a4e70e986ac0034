#!/usr/bin/env python3
"""Opens a kinseg report page in headless Chromium and checks it as a reader
would see it.

    check_report.py PAGE.html --screenshot OUT.png [--verdict TEXT]
                    [--models N] [--pedigrees N] [--parts PREFIX]

Checks: the page loads from the file with no console error, no uncaught
exception and no request for anything but the file itself; every SVG has a
non-empty bounding box; the verdict (containing TEXT) and the model table
(with N rows) are there; in every pedigree drawing, as the browser lays it
out with its own fonts, no two persons' symbols or labels overlap; clicks on
a header of the family table sort it without error; the page is no wider
than the window (1,280 px); it prints, on A4, with every pedigree drawing on
one page, whole (a drawing wider than a portrait page on a landscape page of
its own), and no drawing or table row broken across pages. Writes a
full-page screenshot (taken before the clicks) and the printed PDF beside it;
with --parts, also the page in three parts for a document to show:
PREFIX-top.png (the title to the verdict), PREFIX-summary.png (the title and
the summary), PREFIX-estimates.png (the
estimates and profile plots), PREFIX-pedigrees.png (the start of the
drawings) and, on the page of a run with ages at onset, PREFIX-risks.png (the
risk curves); with --risk-plots N, that the page has N risk plots; on every
page, that each risk plot's texts lie inside it and that it prints within
the page's width; with --large-part FILE, the first drawing printed on a page of its
own (a large pedigree), as the screen shows it.

Chromium is driven through its DevTools protocol over a WebSocket, with
Python's standard library only. Exit 0 when every check passes, 1 when one
fails, 77 when Chromium is missing outside CI (CI installs it).
"""

import argparse
import base64
import json
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

SKIP = 77


class WebSocket:
    """A WebSocket client, just enough for the DevTools protocol: text
    messages, masked as a client must, fragments joined, pings answered."""

    def __init__(self, url, timeout):
        parts = urllib.parse.urlsplit(url)
        self.sock = socket.create_connection((parts.hostname, parts.port), timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode()
        request = (f"GET {parts.path} HTTP/1.1\r\nHost: {parts.hostname}:{parts.port}\r\n"
                   "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                   f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
        self.sock.sendall(request.encode())
        response = b""
        while b"\r\n\r\n" not in response:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise ConnectionError("the browser closed the connection during the handshake")
            response += chunk
        head, self.buffer = response.split(b"\r\n\r\n", 1)
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise ConnectionError("WebSocket handshake refused: " + head.decode(errors="replace"))

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(1 << 16)
            if not chunk:
                raise ConnectionError("the browser closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def _send_frame(self, opcode, payload):
        header = bytes([0x80 | opcode])
        n = len(payload)
        if n < 126:
            header += bytes([0x80 | n])
        elif n < 1 << 16:
            header += bytes([0x80 | 126]) + struct.pack("!H", n)
        else:
            header += bytes([0x80 | 127]) + struct.pack("!Q", n)
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(header + mask + masked)

    def send(self, text):
        self._send_frame(0x1, text.encode())

    def receive(self):
        message = b""
        while True:
            b0, b1 = self._read(2)
            opcode, n = b0 & 0x0F, b1 & 0x7F
            if n == 126:
                n = struct.unpack("!H", self._read(2))[0]
            elif n == 127:
                n = struct.unpack("!Q", self._read(8))[0]
            mask = self._read(4) if b1 & 0x80 else None
            payload = self._read(n)
            if mask:
                payload = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
            if opcode == 0x9:  # ping
                self._send_frame(0xA, payload)
                continue
            if opcode == 0x8:
                raise ConnectionError("the browser closed the connection")
            message += payload
            if b0 & 0x80:
                return message.decode()

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass


class Page:
    """One browser tab: commands by name, events kept as they come."""

    def __init__(self, ws):
        self.ws = ws
        self.next_id = 0
        self.events = []

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            msg = json.loads(self.ws.receive())
            if msg.get("id") == self.next_id:
                if "error" in msg:
                    raise RuntimeError(f"{method}: {msg['error']}")
                return msg.get("result", {})
            if "method" in msg:
                self.events.append(msg)

    def wait_for(self, method, timeout):
        end = time.time() + timeout
        seen = len(self.events)
        while time.time() < end:
            for e in self.events[seen:]:
                if e["method"] == method:
                    return e
            seen = len(self.events)
            self.ws.sock.settimeout(max(0.1, end - time.time()))
            try:
                msg = json.loads(self.ws.receive())
            except socket.timeout:
                break
            if "method" in msg:
                self.events.append(msg)
        raise TimeoutError(f"no {method} within {timeout} s")


# Measured in the page: every SVG's box, the verdict and model table, and
# overlaps between persons in the pedigree drawings (symbols and labels as
# the browser sized them). Returns a JSON string.
MEASURE = r"""
(function () {
  var out = {svgs: [], verdict: null, modelRows: -1, pedigrees: 0, overlaps: [], familyRows: -1};
  document.querySelectorAll('svg').forEach(function (svg) {
    if (svg.parentElement && svg.parentElement.closest('svg')) return;
    var r = svg.getBoundingClientRect();
    out.svgs.push({cls: svg.getAttribute('class') || '', width: r.width, height: r.height});
  });
  var v = document.getElementById('verdict');
  out.verdict = v ? v.textContent.trim() : null;
  var mt = document.getElementById('model-table');
  out.modelRows = mt ? mt.tBodies[0].rows.length : -1;
  var ft = document.getElementById('family-table');
  out.familyRows = ft ? ft.tBodies[0].rows.length : -1;
  document.querySelectorAll('svg.pedigree').forEach(function (svg) {
    out.pedigrees++;
    var boxes = [];
    svg.querySelectorAll('g.person').forEach(function (g) {
      var id = g.getAttribute('data-id');
      g.querySelectorAll('.symbol, text.id, text.carrier').forEach(function (el) {
        var b = el.getBBox();
        boxes.push({id: id, what: el.getAttribute('class'), x0: b.x, y0: b.y, x1: b.x + b.width, y1: b.y + b.height});
      });
    });
    for (var i = 0; i < boxes.length; i++)
      for (var j = i + 1; j < boxes.length; j++) {
        var a = boxes[i], b = boxes[j];
        if (a.id === b.id) continue;
        if (a.x0 < b.x1 - 0.5 && b.x0 < a.x1 - 0.5 && a.y0 < b.y1 - 0.5 && b.y0 < a.y1 - 0.5)
          out.overlaps.push(svg.getAttribute('data-pedigree') + ': ' + a.what + ' of ' + a.id +
                            ' and ' + b.what + ' of ' + b.id);
      }
  });
  return JSON.stringify(out);
})()
"""

# Under print media, at the width of a portrait A4 page's text: each pedigree
# figure's size, whether it goes on a landscape page of its own, and whether
# it may be broken across pages.
PRINT_MEASURE = r"""
(function () {
  var out = [];
  document.querySelectorAll('figure.pedigree-figure').forEach(function (f) {
    var svg = f.querySelector('svg.pedigree');
    var box = f.getBoundingClientRect(), s = svg.getBoundingClientRect();
    var vb = svg.viewBox.baseVal;
    out.push({id: f.getAttribute('data-pedigree'), large: f.classList.contains('large'),
              height: box.height, width: box.width, svgWidth: s.width, svgHeight: s.height,
              caption: box.height - s.height, ratio: vb && vb.width ? vb.height / vb.width : 0,
              ownWidth: parseFloat(svg.getAttribute('width')),
              breaks: getComputedStyle(f).breakInside});
  });
  return JSON.stringify({figures: out, scrollWidth: document.documentElement.scrollWidth});
})()
"""

# Clicks the family table's "persons" header twice; returns the first
# cell of the first row after each click, to see that the rows moved.
SORT = r"""
(function () {
  var t = document.getElementById('family-table');
  if (!t || t.tBodies[0].rows.length < 2) return JSON.stringify(null);
  var th = t.querySelectorAll('th')[2];
  th.click();
  var first = t.tBodies[0].rows[0].cells[0].textContent;
  th.click();
  var second = t.tBodies[0].rows[0].cells[0].textContent;
  th.click();
  th.click();
  return JSON.stringify([first, second]);
})()
"""


# Where each section of the page lies, in page coordinates.
SECTIONS = """JSON.stringify(Object.fromEntries(Array.from(document.querySelectorAll('section')).map(function (s) {
  var r = s.getBoundingClientRect();
  return [s.id, {top: r.top + window.scrollY, bottom: r.bottom + window.scrollY}];
})))"""


# The risk plots (a run with ages at onset): each one's width as laid out,
# and the texts whose box runs outside the plot's own.
RISK_PLOTS = r"""
JSON.stringify(Array.from(document.querySelectorAll('svg.risks')).map(function (svg) {
  var box = svg.getBoundingClientRect(), outside = [];
  svg.querySelectorAll('text').forEach(function (t) {
    var b = t.getBoundingClientRect();  // as drawn, turned labels included
    if (b.left < box.left - 0.5 || b.top < box.top - 0.5 || b.right > box.right + 0.5 ||
        b.bottom > box.bottom + 0.5) outside.push(t.textContent);
  });
  return {panel: svg.getAttribute('data-panel'), width: svg.getBoundingClientRect().width, outside: outside};
}))"""


# A4 with margins of 0.4 in, in CSS pixels (96 to the inch): the text's width
# and height on a portrait page; a landscape page swaps them.
PAGE_WIDTH = (8.27 - 0.8) * 96
PAGE_HEIGHT = (11.69 - 0.8) * 96


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("page")
    ap.add_argument("--screenshot", required=True)
    ap.add_argument("--verdict", default="")
    ap.add_argument("--models", type=int, default=-1)
    ap.add_argument("--pedigrees", type=int, default=-1)
    ap.add_argument("--risk-plots", type=int, default=-1)
    ap.add_argument("--timeout", type=float, default=60)
    ap.add_argument("--parts", default="")
    ap.add_argument("--large-part", default="")
    ap.add_argument("--max-width", type=float, default=1280)
    args = ap.parse_args()

    page_path = os.path.abspath(args.page)
    if not os.path.isfile(page_path):
        print(f"check_report: no page {page_path}", file=sys.stderr)
        return 1
    chromium = find_chromium()
    if not chromium:
        print("check_report: Chromium is not installed (apt-get install chromium)", file=sys.stderr)
        return 1 if os.environ.get("CI") else SKIP

    profile = tempfile.mkdtemp(prefix="kinseg-chromium-")
    cmd = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--disable-dev-shm-usage", "--hide-scrollbars", "--window-size=1280,900",
           f"--user-data-dir={profile}", "--remote-debugging-port=0", "about:blank"]
    browser = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                               start_new_session=True)
    ws = None
    failures = []
    try:
        # The browser writes the port it listens on into its profile.
        port_file = os.path.join(profile, "DevToolsActivePort")
        end = time.time() + args.timeout
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if browser.poll() is not None:
                raise RuntimeError("Chromium stopped: " + browser.stderr.read().decode(errors="replace")[-2000:])
            if time.time() > end:
                raise TimeoutError("Chromium did not start")
            time.sleep(0.1)
        with open(port_file) as f:
            port = int(f.readline().strip())
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=10) as r:
            targets = json.load(r)
        target = next(t for t in targets if t.get("type") == "page")
        ws = WebSocket(target["webSocketDebuggerUrl"], args.timeout)
        page = Page(ws)
        for domain in ("Page", "Runtime", "Log", "Network"):
            page.call(domain + ".enable")
        page_url = "file://" + urllib.parse.quote(page_path)
        page.call("Page.navigate", url=page_url)
        page.wait_for("Page.loadEventFired", args.timeout)

        measured = json.loads(page.call("Runtime.evaluate", expression=MEASURE,
                                        returnByValue=True)["result"]["value"])
        # Full-page screenshot.
        metrics = page.call("Page.getLayoutMetrics")
        size = metrics.get("cssContentSize") or metrics["contentSize"]
        shot = page.call("Page.captureScreenshot", format="png", captureBeyondViewport=True,
                         clip={"x": 0, "y": 0, "width": size["width"], "height": size["height"], "scale": 1})
        os.makedirs(os.path.dirname(os.path.abspath(args.screenshot)), exist_ok=True)
        with open(args.screenshot, "wb") as f:
            f.write(base64.b64decode(shot["data"]))
        if args.parts:
            boxes = json.loads(page.call("Runtime.evaluate", returnByValue=True, expression=SECTIONS)
                               ["result"]["value"])
            parts = {"top": (0, boxes["tests"]["bottom"]),
                     "summary": (0, boxes["summary"]["bottom"]),
                     "estimates": (boxes["estimates"]["top"], boxes["estimates"]["bottom"]),
                     "pedigrees": (boxes["pedigrees"]["top"],
                                   min(boxes["pedigrees"]["bottom"], boxes["pedigrees"]["top"] + 1300))}
            if "risks" in boxes:
                parts["risks"] = (boxes["risks"]["top"], boxes["risks"]["bottom"])
            for name, (top, bottom) in parts.items():
                part = page.call("Page.captureScreenshot", format="png", captureBeyondViewport=True,
                                 clip={"x": 0, "y": max(0, top - 10), "width": size["width"],
                                       "height": bottom - max(0, top - 10) + 10, "scale": 1})
                with open(f"{args.parts}-{name}.png", "wb") as f:
                    f.write(base64.b64decode(part["data"]))
        screen_width = json.loads(page.call("Runtime.evaluate", returnByValue=True,
                                            expression="JSON.stringify(document.documentElement.scrollWidth)")
                                  ["result"]["value"])
        if screen_width > args.max_width:
            failures.append(f"the page is {screen_width} px wide, more than {args.max_width:g}")
        if args.large_part:
            box = json.loads(page.call("Runtime.evaluate", returnByValue=True, expression="""(function () {
              var f = document.querySelector('figure.pedigree-figure.large');
              if (!f) return 'null';
              var r = f.getBoundingClientRect();
              return JSON.stringify({top: r.top + window.scrollY, height: r.height});
            })()""")["result"]["value"])
            if box is None:
                failures.append("no large pedigree drawing for --large-part")
            else:
                part = page.call("Page.captureScreenshot", format="png", captureBeyondViewport=True,
                                 clip={"x": 0, "y": max(0, box["top"] - 10), "width": size["width"],
                                       "height": box["height"] + 20, "scale": 1})
                with open(args.large_part, "wb") as f:
                    f.write(base64.b64decode(part["data"]))

        # The risk plots: each text (ticks, labels, legend) inside its plot.
        risk_plots = json.loads(page.call("Runtime.evaluate", returnByValue=True, expression=RISK_PLOTS)
                                ["result"]["value"])
        for plot in risk_plots:
            for t in plot["outside"]:
                failures.append(f"risk plot {plot['panel']!r}: the text {t!r} runs outside the plot")
        if args.risk_plots >= 0 and len(risk_plots) != args.risk_plots:
            failures.append(f"{len(risk_plots)} risk plots, not {args.risk_plots}")

        # As printed: each drawing on one page, whole.
        page.call("Emulation.setEmulatedMedia", media="print")
        page.call("Emulation.setDeviceMetricsOverride", width=int(PAGE_WIDTH), height=int(PAGE_HEIGHT),
                  deviceScaleFactor=1, mobile=False)
        printed = json.loads(page.call("Runtime.evaluate", expression=PRINT_MEASURE,
                                       returnByValue=True)["result"]["value"])
        for fig in printed["figures"]:
            if fig["breaks"] not in ("avoid", "avoid-page"):
                failures.append(f"pedigree {fig['id']} may be broken across printed pages")
            if fig["large"]:
                # On a landscape page its drawing is as wide as the page allows.
                width = min(PAGE_HEIGHT, fig["ownWidth"])
                height = fig["caption"] + fig["ratio"] * width
                room_w, room_h = PAGE_HEIGHT, PAGE_WIDTH
            else:
                width, height = fig["width"], fig["height"]
                room_w, room_h = PAGE_WIDTH, PAGE_HEIGHT
            if width > room_w + 1 or height > room_h + 1:
                failures.append(f"pedigree {fig['id']} does not fit on a printed page: "
                                f"{width:.0f} x {height:.0f} px for {room_w:.0f} x {room_h:.0f}")
        printed_risks = json.loads(page.call("Runtime.evaluate", returnByValue=True, expression=RISK_PLOTS)
                                   ["result"]["value"])
        for plot in printed_risks:
            if plot["width"] > PAGE_WIDTH + 1:
                failures.append(f"risk plot {plot['panel']!r} is {plot['width']:.0f} px wide printed, "
                                f"more than the page's {PAGE_WIDTH:.0f}")
        page.call("Emulation.clearDeviceMetricsOverride")
        page.call("Emulation.setEmulatedMedia", media="")

        # Printed (as to paper): a PDF beside the screenshot.
        pdf = base64.b64decode(page.call("Page.printToPDF", printBackground=True, preferCSSPageSize=True,
                                         paperWidth=8.27, paperHeight=11.69, marginTop=0.4, marginBottom=0.4,
                                         marginLeft=0.4, marginRight=0.4)["data"])
        pdf_path = os.path.splitext(args.screenshot)[0] + ".pdf"
        with open(pdf_path, "wb") as f:
            f.write(pdf)
        pdf_pages = pdf.count(b"/Type /Page") - pdf.count(b"/Type /Pages")
        if not pdf.startswith(b"%PDF") or pdf_pages < 1:
            failures.append("the page does not print")

        sorted_cells = json.loads(page.call("Runtime.evaluate", expression=SORT,
                                            returnByValue=True)["result"]["value"])
        time.sleep(0.2)
        page.call("Runtime.evaluate", expression="1")  # collect the last events

        # Console errors, exceptions, and requests outside the file.
        for e in page.events:
            m, p = e["method"], e.get("params", {})
            if m == "Runtime.consoleAPICalled" and p.get("type") in ("error", "assert"):
                text = " ".join(str(a.get("value", a.get("description", ""))) for a in p.get("args", []))
                failures.append("console error: " + text)
            elif m == "Runtime.exceptionThrown":
                failures.append("uncaught exception: " + p["exceptionDetails"].get("text", "") + " " +
                                str(p["exceptionDetails"].get("exception", {}).get("description", "")))
            elif m == "Log.entryAdded" and p["entry"].get("level") == "error":
                failures.append("browser error: " + p["entry"].get("text", "") + " " + p["entry"].get("url", ""))
            elif m == "Network.requestWillBeSent":
                url = p["request"]["url"]
                if url != page_url and not url.startswith("data:") and url != "about:blank":
                    failures.append("request outside the file: " + url)

        for s in measured["svgs"]:
            if not (s["width"] > 0 and s["height"] > 0):
                failures.append(f"an SVG ({s['cls']}) with an empty box: {s['width']} x {s['height']}")
        if not measured["svgs"]:
            failures.append("no SVG on the page")
        if not measured["verdict"]:
            failures.append("no verdict")
        elif args.verdict and args.verdict not in measured["verdict"]:
            failures.append(f"verdict {measured['verdict']!r} does not say {args.verdict!r}")
        if measured["modelRows"] < 1:
            failures.append("no model table, or an empty one")
        elif args.models >= 0 and measured["modelRows"] != args.models:
            failures.append(f"the model table has {measured['modelRows']} rows, not {args.models}")
        if args.pedigrees >= 0 and measured["pedigrees"] != args.pedigrees:
            failures.append(f"{measured['pedigrees']} pedigree drawings, not {args.pedigrees}")
        failures += ["overlap in a drawing: " + o for o in measured["overlaps"]]
        if sorted_cells is not None and sorted_cells[0] == sorted_cells[1]:
            failures.append("clicking a header twice did not sort the table")

        print(f"check_report: {len(measured['svgs'])} SVGs, {measured['pedigrees']} pedigree drawings "
              f"({sum(f['large'] for f in printed['figures'])} on pages of their own), "
              f"{measured['modelRows']} models; screenshot {args.screenshot} "
              f"({int(size['width'])} x {int(size['height'])}); printed: {pdf_pages} pages")
    except Exception as exc:  # a browser that cannot be driven fails the check, with the reason
        failures.append(f"{type(exc).__name__}: {exc}")
    finally:
        if ws:
            ws.close()
        try:
            os.killpg(browser.pid, signal.SIGTERM)
            browser.wait(timeout=10)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            try:
                os.killpg(browser.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        shutil.rmtree(profile, ignore_errors=True)

    for f in failures:
        print("check_report: " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
