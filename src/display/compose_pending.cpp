// Composition steps and layer hooks whose state is not built yet.  Each
// draws nothing (or changes only the state that exists) and sits here
// until the code that owns its state defines it: the partial pictures,
// scrolls and animations, the transitions and fades, the variable display,
// the typing panel, the click mark and the pseudo-cursor.  Move a function
// out of this file when its owner defines it.
#include "display/compose.h"
#include "display/layers.h"
#include "display/surface.h"

namespace kb {

void DrawPartialPictures(Surface&) {}
void DrawPartialFigures(Surface&) {}
void RedrawScrolledLayer(LayerId) {}
// Until translucent blending exists a translucent layer shows solid.
void BlendSurface(Surface& dest, const Surface& src, int) { CopyAll(dest, src, true); }
void DrawTransition(Surface&) {}
void DrawVariableDisplay(Surface&) {}
void DrawTypingPanel(Surface&) {}
void DrawClickMark(Surface&) {}
void DrawFade(Surface&) {}
void DrawPseudoCursor(Surface&) {}

void StopLayerScroll(LayerId) {}
void StopLayerAnimation(LayerId) {}

}  // namespace kb
