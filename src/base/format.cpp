#include "base/format.h"

namespace kb {

std::string Format(std::string_view t, std::initializer_list<FormatArg> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '%' || i + 1 >= t.size()) {
      out.push_back(t[i]);
      continue;
    }
    std::size_t j = i + 1;
    if (t[j] == '%') {
      out.push_back('%');
      i = j;
      continue;
    }
    int width = 0;
    while (j < t.size() && t[j] >= '0' && t[j] <= '9') width = width * 10 + (t[j++] - '0');
    if (j >= t.size() || (t[j] != 'd' && t[j] != 's')) {
      out.push_back(t[i]);
      continue;
    }
    std::string field;
    if (next != args.end()) {
      if (const auto* n = std::get_if<std::int64_t>(&*next))
        field = std::to_string(*n);
      else
        field = std::string(std::get<std::string_view>(*next));
      ++next;
    }
    if (static_cast<int>(field.size()) < width)
      out.append(static_cast<std::size_t>(width) - field.size(), ' ');
    out += field;
    i = j;
  }
  return out;
}

}  // namespace kb
