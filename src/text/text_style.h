#pragma once
// The style of scenario text: colour and size words on a line.
#include <string_view>

#include "base/fixed_text.h"
#include "platform/text_renderer.h"

namespace kb {

struct TextColour {
  int r = 247, g = 247, b = 247;
  bool operator==(const TextColour&) const = default;
};

struct TextStyle {
  TextColour colour;
  int size = 18;  // the character cell height in pixels
  FixedText<64> face;
  FontHandle font = kNoFont;
};

extern TextStyle textStyle;

// The colour a line names (colour word, then brightness word); the default
// light grey when it names none.
TextColour ParseColourWords(std::string_view line);
// The size a line names: 18 when it names none.
int FontSizeWords(std::string_view line);
// Sets the style's colour and size from the line and recreates the font.
void ApplyStyleLine(std::string_view line);
// (Re)creates the style's font for its face and size, falling back to
// "ＭＳ Ｐゴシック" when the face cannot be made.
void RecreateTextFont();

}  // namespace kb
