// Text placed in SVG and HTML: markup characters escaped, and bytes that are
// not valid UTF-8 or are control characters (which an XML reader refuses)
// replaced by U+FFFD, so that an odd id in a user's file cannot break a page.
#pragma once

#include <string>

namespace kinseg::report {

std::string xml_escape(const std::string& text);

}  // namespace kinseg::report
