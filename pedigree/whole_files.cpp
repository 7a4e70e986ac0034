#include "pedigree/whole_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "pedigree/file_error.hpp"

namespace kinseg {

namespace {

// The temporary files that exist now, for the signal handler: fixed storage,
// filled and emptied with the signals held back, read by the handler only.
constexpr int kMostTemporaries = 64;
char g_temporaries[kMostTemporaries][PATH_MAX];
volatile std::sig_atomic_t g_temporary_count = 0;

extern "C" void remove_temporaries_and_end(int sig) {
  for (int i = 0; i < g_temporary_count; ++i)
    if (g_temporaries[i][0]) unlink(g_temporaries[i]);
  std::signal(sig, SIG_DFL);
  raise(sig);
}

void install_handlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (const int sig : {SIGINT, SIGTERM}) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;  // ignored by the caller
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = remove_temporaries_and_end;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
  }
}

// SIGINT and SIGTERM held back while it lives; one that arrives meanwhile is
// delivered at its end.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t old_;
};

std::string why(int error) { return std::strerror(error); }

FileError cannot_write(const std::string& path, const std::string& reason) {
  return FileError(path + ": cannot write the file (" + reason + ")");
}

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// How a path is written.
struct Target {
  std::string path;      // as the user gave it, for messages
  std::string file;      // what is written: the path, or what its link points to
  bool in_place = false; // a device or FIFO, written through
  bool exists = false;   // a regular file stands there (its mode is kept)
  mode_t mode = 0;
};

Target target_of(const std::string& path) {
  Target t;
  t.path = t.file = path;
  if (path.empty()) throw FileError("an output file without a name");
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) throw cannot_write(path, why(errno));
  } else if (S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
      throw cannot_write(path, "a symbolic link to " + std::string(errno == ENOENT ? "a missing file" : why(errno)));
    t.file = resolved;
    if (stat(resolved, &st) != 0) throw cannot_write(path, why(errno));
  }
  if (t.file == path && lstat(path.c_str(), &st) != 0) return t;  // missing: made by rename
  if (S_ISDIR(st.st_mode)) throw cannot_write(path, "a folder stands there");
  if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
    t.in_place = true;
  } else if (S_ISREG(st.st_mode)) {
    t.exists = true;
    t.mode = st.st_mode & 07777;
  } else {
    throw cannot_write(path, S_ISBLK(st.st_mode) ? "a block device stands there" : "a socket stands there");
  }
  return t;
}

// The registry's slot of a temporary file, taken and given back with the
// signals held.
int register_temporary(const std::string& name) {
  if (name.size() >= PATH_MAX) return -1;
  for (int i = 0; i < g_temporary_count; ++i)
    if (!g_temporaries[i][0]) {
      std::memcpy(g_temporaries[i], name.c_str(), name.size() + 1);
      return i;
    }
  if (g_temporary_count >= kMostTemporaries) return -1;
  const int i = g_temporary_count;
  std::memcpy(g_temporaries[i], name.c_str(), name.size() + 1);
  g_temporary_count = i + 1;
  return i;
}

void release_temporary(int slot) {
  if (slot < 0) return;
  g_temporaries[slot][0] = '\0';
  while (g_temporary_count > 0 && !g_temporaries[g_temporary_count - 1][0]) g_temporary_count = g_temporary_count - 1;
}

// A temporary file beside FILE, registered for the signal handler; its
// descriptor open for writing.
struct Temporary {
  std::string name;
  int fd = -1;
  int slot = -1;
};

Temporary make_temporary(const Target& t) {
  install_handlers();
  Temporary tmp;
  std::string pattern = t.file + ".tmp-kinseg-" + std::to_string(static_cast<long>(getpid())) + "-XXXXXX";
  HeldSignals held;
  tmp.fd = mkstemp(&pattern[0]);
  if (tmp.fd < 0) throw cannot_write(t.path, why(errno));
  tmp.name = pattern;
  tmp.slot = register_temporary(tmp.name);
  if (tmp.slot < 0) {
    close(tmp.fd);
    unlink(tmp.name.c_str());
    throw cannot_write(t.path, "too many output files at once");
  }
  // A new file gets the mode a file made by the program would have; a
  // replaced one keeps its own.
  mode_t mode = t.mode;
  if (!t.exists) {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  fchmod(tmp.fd, mode);
  return tmp;
}

void discard(Temporary& tmp) {
  HeldSignals held;
  if (tmp.fd >= 0) close(tmp.fd);
  tmp.fd = -1;
  if (!tmp.name.empty()) unlink(tmp.name.c_str());
  release_temporary(tmp.slot);
  tmp.slot = -1;
}

bool write_all(int fd, const std::string& content, int& error) {
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// A device or FIFO written through: opened without creating anything.
void write_in_place(const Target& t, const std::string& content) {
  const int fd = open(t.file.c_str(), O_WRONLY | O_NOCTTY);
  if (fd < 0) throw cannot_write(t.path, why(errno));
  int error = 0;
  const bool written = write_all(fd, content, error);
  if (close(fd) != 0 && written) error = errno;
  if (!written || error) throw cannot_write(t.path, why(error));
}

}  // namespace

void check_writable(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const Target t = target_of(path);
    if (t.in_place) {
      if (access(t.file.c_str(), W_OK) != 0) throw cannot_write(path, why(errno));
      continue;
    }
    // A file can be made beside it: tried, not guessed (a read-only disk, a
    // folder of someone else's).
    struct stat st;
    const std::string folder = folder_of(t.file);
    if (stat(folder.c_str(), &st) != 0) throw cannot_write(path, "its folder " + folder + ": " + why(errno));
    if (!S_ISDIR(st.st_mode)) throw cannot_write(path, folder + " is not a folder");
    Temporary probe = make_temporary(t);
    discard(probe);
  }
}

void write_whole_files(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<Target> targets;
  for (const auto& f : files) targets.push_back(target_of(f.first));
  std::vector<Temporary> temps(files.size());
  auto discard_all = [&] {
    for (Temporary& t : temps) discard(t);
  };
  for (size_t i = 0; i < files.size(); ++i) {
    if (targets[i].in_place) continue;
    try {
      temps[i] = make_temporary(targets[i]);
    } catch (...) {
      discard_all();
      throw;
    }
    int error = 0;
    bool ok = write_all(temps[i].fd, files[i].second, error);
    if (ok && close(temps[i].fd) != 0) ok = false, error = errno;
    temps[i].fd = -1;
    if (!ok) {
      discard_all();
      throw cannot_write(files[i].first, why(error));
    }
  }
  // Devices and FIFOs first, with the signals free (a FIFO without a reader
  // waits, and an interrupt must still end the program).
  for (size_t i = 0; i < files.size(); ++i) {
    if (!targets[i].in_place) continue;
    try {
      write_in_place(targets[i], files[i].second);
    } catch (...) {
      discard_all();
      throw;
    }
  }
  HeldSignals held;
  // Every target once more, so that the set is renamed whole or not at all.
  for (size_t i = 0; i < files.size(); ++i) {
    if (targets[i].in_place) continue;
    try {
      const Target now = target_of(files[i].first);
      if (now.in_place || now.file != targets[i].file) throw cannot_write(files[i].first, "it changed while being written");
    } catch (...) {
      discard_all();
      throw;
    }
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (targets[i].in_place) continue;
    if (std::rename(temps[i].name.c_str(), targets[i].file.c_str()) != 0) {
      const int error = errno;
      std::string renamed;
      for (size_t j = 0; j < i; ++j)
        if (!targets[j].in_place) renamed += (renamed.empty() ? "" : ", ") + files[j].first;
      discard_all();
      throw cannot_write(files[i].first, why(error) + (renamed.empty() ? "" : "; already written: " + renamed));
    }
    temps[i].name.clear();
    release_temporary(temps[i].slot);
    temps[i].slot = -1;
  }
}

std::string prefix_problem(const std::string& prefix) {
  const auto slash = prefix.rfind('/');
  const std::string last = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
  if (last.empty() || last == "." || last == "..")
    return "'" + prefix + "' names a folder, not the start of a file's name: the files would be hidden ones (" +
           prefix + ".json, ...); give a name, such as " + (last.empty() ? prefix : prefix + "/") + "study";
  return "";
}

}  // namespace kinseg
