#pragma once
// Conversion between CP932 (the engine's text) and UTF-8 (the rest of the
// system: file names, dialogs, the trace, typed text).  Bytes that do not
// convert become "?" (to CP932) or U+FFFD (to UTF-8).
#include <string>
#include <string_view>

namespace kb {

std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace kb
