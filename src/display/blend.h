#pragma once
// The two tone blends of a rectangle: toward black (Darken) and toward
// white (Lighten), at level 1 (strong), 2 (normal) or 3 (weak).  Level 0 and
// below paints the rectangle solid black or white; above 3 does nothing.
// Each channel field is changed on its own, without carry into the next;
// 16-bit surfaces are walked in pixel pairs, so with an odd width the
// rightmost pixel of each row stays as it was.
#include "display/surface.h"

namespace kb {

void Darken(Surface& surface, int x, int y, int w, int h, int level);
void Lighten(Surface& surface, int x, int y, int w, int h, int level);

}  // namespace kb
