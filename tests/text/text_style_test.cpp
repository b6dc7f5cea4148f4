// Colour and size words of a style line.
#include "text/text_style.h"

#include <gtest/gtest.h>

#include "script/scenario_store.h"
#include "shell/frame_step.h"
#include "shell/wait_state.h"
#include "support/engine_fixture.h"

using namespace kb;
using kbtest::Sjis;

namespace {

struct StyleCase {
  const char* line;
  TextColour colour;
  int size;
};

const StyleCase kStyleCases[] = {
    {"＃文字", {247, 247, 247}, 18},
    {"＃文字暗い青", {0, 0, 127}, 18},
    {"＃文字かなり明るい赤", {255, 192, 192}, 18},
    {"＃文字赤やや大", {255, 0, 0}, 23},
    {"＃文字赤やや暗い", {191, 0, 0}, 18},
    {"＃文字やや明るい緑", {64, 255, 64}, 18},
    {"＃文字かなり暗い黄", {63, 63, 0}, 18},
    {"＃文字ライトブルー", {128, 128, 255}, 18},
    {"＃文字明るい黒", {128, 128, 128}, 18},
    {"＃文字暗い", {123, 123, 123}, 18},
    // The first word of the table wins, whatever comes first in the line.
    {"＃文字赤紫", {255, 0, 128}, 18},
    {"＃文字青と赤", {255, 0, 0}, 18},
    {"＃文字オレンジ", {255, 128, 0}, 18},
    {"＃文字マリン", {0, 128, 255}, 18},
    {"＃文字シアン", {0, 255, 255}, 18},
    {"＃文字マゼンタ", {255, 0, 255}, 18},
    {"＃文字紫", {128, 0, 128}, 18},
    {"＃文字茶", {128, 0, 0}, 18},
    {"＃文字ピンク", {255, 128, 128}, 18},
    {"＃文字イエロー", {255, 255, 0}, 18},
    {"＃文字グリーン", {0, 255, 0}, 18},
    {"＃文字グレー", {128, 128, 128}, 18},
    {"＃文字灰色", {128, 128, 128}, 18},
    {"＃文字レッド", {255, 0, 0}, 18},
    // Sizes: the first of the table's words wins.
    {"＃文字極大", {247, 247, 247}, 80},
    {"＃文字特大", {247, 247, 247}, 80},
    {"＃文字極小", {247, 247, 247}, 8},
    {"＃文字やや小", {247, 247, 247}, 14},
    {"＃文字大", {247, 247, 247}, 38},
    {"＃文字小", {247, 247, 247}, 11},
    {"＃文字小さく大きく", {247, 247, 247}, 38},
    {"＃文字青大", {0, 0, 255}, 38},
    // "＄ﾔ" holds the bytes of "赤" across its two characters: no colour.
    {"＃文字＄ﾔ", {247, 247, 247}, 18},
};

class TextStyleWords : public kbtest::EngineTest {};

TEST_F(TextStyleWords, ColourAndSizeTable) {
  for (const StyleCase& c : kStyleCases) {
    ApplyStyleLine(Sjis(c.line));
    EXPECT_EQ(textStyle.colour, c.colour) << c.line;
    EXPECT_EQ(textStyle.size, c.size) << c.line;
    EXPECT_NE(textStyle.font, kNoFont) << c.line;
  }
}

TEST_F(TextStyleWords, CommandLinesAreStyleLines) {
  // "＃クリック待ち", "＃セリフ" and "＃文章" lines set the style by their
  // own words; without any they return it to the default.
  LoadScenarioText("＃文字赤大\n＃クリック待ち\n＃クリック待ち青\n＃セリフやや小\n\n＃文章\n\n");
  const struct {
    TextColour colour;
    int size;
  } expected[] = {{{255, 0, 0}, 38},     {{247, 247, 247}, 18}, {{0, 0, 255}, 18},
                  {{247, 247, 247}, 14}, {{247, 247, 247}, 14}, {{247, 247, 247}, 18}};
  for (const auto& e : expected) {
    waitState.clickWait = 0;
    const int line = programCounter;
    while (programCounter == line && waitState.LineCanRun()) FrameStep();
    EXPECT_EQ(textStyle.colour, e.colour) << "after line " << line + 1;
    EXPECT_EQ(textStyle.size, e.size) << "after line " << line + 1;
  }
}

}  // namespace
