#include "script/sjis.h"

#include <gtest/gtest.h>

#include "base/sjis_literal.h"

using namespace kb;

TEST(SjisFind, FindsOnlyOnCharacterBoundaries) {
  struct Case {
    std::string_view text, pattern;
    std::size_t first, last;
  };
  // "ア" is 0x83 0x41: its second byte is "A".  "表" is 0x95 0x5C: its
  // second byte is "\".
  const Case cases[] = {
      {"abcabc", "bc", 1, 4},
      {"アA"_sj, "A", 2, 2},
      {"ア"_sj, "A", kNotFound, kNotFound},
      {"表\\"_sj, "\\", 2, 2},
      {"表"_sj, "\\", kNotFound, kNotFound},
      {"＃選択位置"_sj, "位置"_sj, 6, 6},
      {"abc", "", 0, 3},
      {"ab", "abc", kNotFound, kNotFound},
      {"", "a", kNotFound, kNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SjisFind(c.text, c.pattern), c.first);
    EXPECT_EQ(SjisFindLast(c.text, c.pattern), c.last);
  }
  // A byte search, by contrast, finds the second byte of a character.
  EXPECT_TRUE(ByteContains("ア"_sj, "A"));
}
