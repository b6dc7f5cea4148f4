// Placeholder until the FreeType renderer lands: fonts exist, text draws
// nothing.
#include "platform/text_renderer.h"

namespace kb {

FontHandle CreateFont(std::string_view, int) { return 1; }
void DeleteFont(FontHandle) {}
FontHandle DefaultFont() { return 1; }
TextExtent MeasureText(FontHandle, std::string_view cp932) {
  return {static_cast<int>(cp932.size()) * 8, 16};
}
void DrawText(const PixelTarget&, FontHandle, int, int, std::string_view, std::uint32_t, bool, std::uint32_t) {}
bool AddFontFile(const std::string&) { return true; }
void RemoveFontFile(const std::string&) {}

}  // namespace kb
