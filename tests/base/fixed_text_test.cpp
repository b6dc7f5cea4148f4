// The small pieces every subsystem leans on: CP932 literals, fixed texts,
// message templates, text-mode reading and the C library's generator.
#include "base/fixed_text.h"

#include <gtest/gtest.h>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "platform/cp932.h"
#include "platform/crt.h"

using namespace kb;

TEST(SjisLiteral, MatchesTheSystemConverter) {
  EXPECT_EQ(std::string("＃分岐範囲"_sj), Utf8ToCp932("＃分岐範囲"));
  EXPECT_EQ(std::string("ﾃﾞｽｸﾄｯﾌﾟ"_sj), Utf8ToCp932("ﾃﾞｽｸﾄｯﾌﾟ"));
  EXPECT_EQ(std::string("①Ⅰ～∥－"_sj), Utf8ToCp932("①Ⅰ～∥－"));
  EXPECT_EQ(std::string("a\\b"_sj), "a\\b");
}

TEST(FixedText, CutsOnCharacterBoundaries) {
  FixedText<6> t;  // five bytes of text
  EXPECT_TRUE(t.Set("abcde"));
  EXPECT_EQ(t.view(), "abcde");
  EXPECT_FALSE(t.Set("abcdef"));
  EXPECT_EQ(t.view(), "abcde");
  // "あいう" is six bytes: the third character does not fit whole.
  EXPECT_FALSE(t.Set("あいう"_sj));
  EXPECT_EQ(t.view(), std::string_view("あい"_sj));
  // "aあいう": a, then two whole characters; the cut never splits one.
  EXPECT_FALSE(t.Set("aあいう"_sj));
  EXPECT_EQ(t.view(), std::string_view("aあい"_sj));
  t.Set("ab");
  EXPECT_FALSE(t.Append("あいう"_sj));
  EXPECT_EQ(t.view(), std::string_view("abあ"_sj));
}

TEST(Format, FillsTemplates) {
  EXPECT_EQ(Format("%d 行目", {12}), "12 行目");
  EXPECT_EQ(Format("[%s|%s]", {"a", "bc"}), "[a|bc]");
  EXPECT_EQ(Format("%10d|", {1234}), "      1234|");
  EXPECT_EQ(Format("100%% %d", {-5}), "100% -5");
  EXPECT_EQ(Format("%s", {}), "");
}

TEST(TextMode, DropsCarriageReturnBeforeLineFeedAndStopsAtEof) {
  EXPECT_EQ(TextModeBytes("a\r\nb\rc\n\r"), "a\nb\rc\n\r");
  EXPECT_EQ(TextModeBytes(std::string("ab\x1A"
                                      "cd",
                                      5)),
            "ab");
  EXPECT_EQ(TextModeWrite("a\nb"), "a\r\nb");
}

TEST(CrtRandom, IsTheCLibraryGenerator) {
  CrtSeed(1);
  EXPECT_EQ(CrtRandom(), 41);
  EXPECT_EQ(CrtRandom(), 18467);
  EXPECT_EQ(CrtRandom(), 6334);
  CrtSeed(1);
  EXPECT_EQ(CrtRandom(), 41);
}
