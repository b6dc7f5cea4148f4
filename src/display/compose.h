#pragma once
// The screen composition: every layer, in its fixed order, onto back.
// Nothing records what changed: each call builds the whole screen afresh.
#include "display/layers.h"
#include "display/surface.h"

namespace kb {

// Composes all layers onto back and presents it.  Does nothing while the
// error page (or a notice) holds the screen.  The order:
//   1 backdrop (the picture layer over its MaskColour, or black)
//   2 partial pictures          3 figure group      4 foreground
//   5 hover picture of a picture choice             6 topmost
//   7 a running wipe or overlap                     8 dialogue box
//   9 variable display          10 text choice      11 typing panel
//   12 click mark               13 fade             14 pseudo-cursor
//   15 present
void ComposeScreen();

// One layer group onto a target surface (back, or a work surface of the
// transitions), each copied with its colour key.
void DrawFigureGroup(Surface& target);      // the figure (or its animation frame), then the partial figures
void DrawForegroundLayer(Surface& target);  // the foreground (or its animation frame)
void DrawTopmostLayer(Surface& target);     // the topmost layer, unless the text page is hidden

// Steps drawn from the state of other parts of the game.  Each is defined
// by the code that owns that state; compose_pending.cpp holds the ones
// whose state does not exist yet, which draw nothing.
void DrawPartialPictures(Surface& back);   // step 2: "＃部分絵１", "＃部分絵２"
void DrawPartialFigures(Surface& target);  // end of the figure group: "＃部分人物１", "＃部分人物２"
// A scrolling layer redraws its surface from its scroll bitmap before it
// is copied (steps 1, 3, 4).
void RedrawScrolledLayer(LayerId layer);
// Layer translucency (steps 3, 4, 6): src blended onto dest at the
// percentage, its MaskColour pixels left out.
void BlendSurface(Surface& dest, const Surface& src, int percentage);
void DrawTransition(Surface& back);        // step 7: the old screen mixed with the next one
void DrawDialogueBox(Surface& back);       // step 8: backing, text, frame
void DrawVariableDisplay(Surface& back);   // step 9
void DrawTypingPanel(Surface& back);       // step 11
void DrawClickMark(Surface& back);         // step 12
void DrawFade(Surface& back);              // step 13: Darken of the whole screen at the fade level
void DrawPseudoCursor(Surface& back);      // step 14
// The screen text's darkening: the whole screen darkened under the
// topmost layer ("＃文章半透明オン").
bool TextPageDarkensScreen();

}  // namespace kb
