#include "text/text_style.h"

#include <algorithm>

#include "base/sjis_literal.h"
#include "script/sjis.h"
#include "shell/game_config.h"

namespace kb {

TextStyle textStyle;

namespace {

struct ColourWord {
  const char* word;
  TextColour colour;
};

// First match wins, in this order (a plain byte search, as the words have
// always been found).
const ColourWord kColourWords[] = {
    {"オレンジ"_sj, {255, 128, 0}}, {"赤紫"_sj, {255, 0, 128}},   {"黄緑"_sj, {128, 255, 0}},
    {"青緑"_sj, {0, 255, 128}},     {"青紫"_sj, {128, 0, 255}},   {"マリン"_sj, {0, 128, 255}},
    {"赤"_sj, {255, 0, 0}},         {"緑"_sj, {0, 255, 0}},       {"青"_sj, {0, 0, 255}},
    {"黄"_sj, {255, 255, 0}},       {"シアン"_sj, {0, 255, 255}}, {"マゼン"_sj, {255, 0, 255}},
    {"紫"_sj, {128, 0, 128}},       {"茶"_sj, {128, 0, 0}},       {"ピンク"_sj, {255, 128, 128}},
    {"レッド"_sj, {255, 0, 0}},     {"イエロ"_sj, {255, 255, 0}}, {"グリーン"_sj, {0, 255, 0}},
    {"ブル"_sj, {0, 0, 255}},       {"黒"_sj, {0, 0, 0}},         {"グレ"_sj, {128, 128, 128}},
    {"灰"_sj, {128, 128, 128}},
};

struct SizeWord {
  const char* word;
  int size;
};

const SizeWord kSizeWords[] = {
    {"極大"_sj, 80}, {"特大"_sj, 80}, {"極小"_sj, 8}, {"やや大"_sj, 23},
    {"やや小"_sj, 14}, {"大"_sj, 38},  {"小"_sj, 11},
};

}  // namespace

TextColour ParseColourWords(std::string_view line) {
  TextColour c;
  for (const ColourWord& w : kColourWords) {
    if (ByteContains(line, w.word)) {
      c = w.colour;
      break;
    }
  }
  auto apply = [&](auto f) {
    c.r = std::clamp(f(c.r), 0, 255);
    c.g = std::clamp(f(c.g), 0, 255);
    c.b = std::clamp(f(c.b), 0, 255);
  };
  if (ByteContains(line, "やや暗"_sj)) apply([](int v) { return v * 3 / 4; });
  else if (ByteContains(line, "やや明"_sj)) apply([](int v) { return v * 3 / 4 + 64; });
  else if (ByteContains(line, "かなり暗"_sj)) apply([](int v) { return v / 4; });
  else if (ByteContains(line, "かなり明"_sj)) apply([](int v) { return v / 4 + 192; });
  else if (ByteContains(line, "暗"_sj)) apply([](int v) { return v / 2; });
  else if (ByteContains(line, "明"_sj) || ByteContains(line, "ライト"_sj)) apply([](int v) { return v / 2 + 128; });
  return c;
}

int FontSizeWords(std::string_view line) {
  for (const SizeWord& w : kSizeWords)
    if (SjisContains(line, w.word)) return w.size;
  return 18;
}

void RecreateTextFont() {
  if (textStyle.font != kNoFont) DeleteFont(textStyle.font);
  if (textStyle.face.empty()) textStyle.face = gameConfig.textFace.view();
  textStyle.font = CreateFont(textStyle.face.view(), textStyle.size);
  if (textStyle.font == kNoFont) textStyle.font = CreateFont("ＭＳ Ｐゴシック"_sj, textStyle.size);
}

void ApplyStyleLine(std::string_view line) {
  textStyle.colour = ParseColourWords(line);
  textStyle.size = FontSizeWords(line);
  RecreateTextFont();
}

}  // namespace kb
