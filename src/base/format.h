#pragma once
// printf-style filling of the game's message templates ("%d 行目…", "%sの…").
// Handles %d, %s, %% and a field width ("%10d"); the template is CP932 and
// is copied byte for byte around the fields.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace kb {

using FormatArg = std::variant<std::int64_t, std::string_view>;

std::string Format(std::string_view templ, std::initializer_list<FormatArg> args);

}  // namespace kb
