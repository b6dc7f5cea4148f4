// How long a dialogue line takes to draw: the first time at a size (every
// glyph rendered by FreeType) and again (glyphs from the cache), and how
// long measuring it takes.  A one-character reveal redraws its line on
// every tick, so the second figure is the one that counts.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/sjis_literal.h"
#include "platform/text_renderer.h"

namespace kb {
namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void Run() {
  // 47 full-width characters: the longest a scenario line holds.
  const std::string line =
      "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"_sj;
  std::vector<std::uint8_t> pixels(640 * 480 * 2);
  const kb::PixelTarget target{pixels.data(), 640, 480, 640 * 2, 2};

  double cold = 0;
  int sizes = 0;
  for (int size = 10; size < 90; ++size, ++sizes) {
    kb::FontHandle font = kb::CreateFont("ＭＳ Ｐゴシック"_sj, size);
    auto start = Clock::now();
    kb::DrawText(target, font, 10, 10, line, 0xFFFF, true, 0);
    cold += MicrosecondsSince(start);
    kb::DeleteFont(font);
  }

  kb::FontHandle font = kb::CreateFont("ＭＳ Ｐゴシック"_sj, 18);
  kb::DrawText(target, font, 10, 10, line, 0xFFFF, true, 0);
  constexpr int kRounds = 2000;
  auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) kb::DrawText(target, font, 10, 10, line, 0xFFFF, true, 0);
  double warm = MicrosecondsSince(start) / kRounds;
  start = Clock::now();
  int width = 0;
  for (int i = 0; i < kRounds; ++i) width += kb::MeasureText(font, line).width;
  double measure = MicrosecondsSince(start) / kRounds;

  std::printf("dialogue line of 47 full-width characters, ＭＳ Ｐゴシック:\n");
  std::printf("  first draw at a new size (sizes 10-89): %8.1f us a line\n", cold / sizes);
  std::printf("  drawn again at size 18 (cached):        %8.1f us a line\n", warm);
  std::printf("  measured at size 18 (cached):           %8.1f us a line (width %d)\n", measure, width / kRounds);
  kb::DeleteFont(font);
}

}  // namespace
}  // namespace kb

int main() {
  kb::Run();
  return 0;
}
