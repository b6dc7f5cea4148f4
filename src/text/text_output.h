#pragma once
// The layout of text lines in the dialogue box and on the screen-text page:
// one line per row at the left margin, a "＃文字追加" chain of segments in
// different styles on one row, paging, and the one-character reveal.
#include <string_view>

namespace kb {

inline constexpr int kTextMargin = 10;  // left and top margin of the text, in pixels
inline constexpr int kLineSpacing = 2;  // pixels between rows

// A line that begins with "＃文字" and contains "追加": it sets the style of
// the next segment of the row above it.
bool IsContinuationLine(std::string_view line);

// Whether line n would still fit on the current dialogue page.  An empty
// line fits; a "＃文字" line is measured in the size it names, with the text
// on the line after it; a following chain raises the height to its
// tallest size.
bool LineFits(int n);

// Draws the line at the program counter into dialogueText (a dialogue
// block) or topmost (screen text), at the next row of the page.  The first
// line of a page clears the surface.  A chain moves the program counter
// onto its last segment.  In one-character mode nothing is drawn here: the
// reveal starts and RevealTick draws it.
void DrawTextLine();

// One animation tick of the reveal: one more character of the current
// segment.  When the line is out, the reveal ends (and, inside a dialogue
// block, a full page waits for a click).  Does nothing while no reveal runs
// or the page waits.
void RevealTick();

}  // namespace kb
