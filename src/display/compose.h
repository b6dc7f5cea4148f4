#pragma once
// The screen composition: every layer, in its fixed order, onto back.

namespace kb {

// Composes all layers onto back and presents it.  Does nothing while the
// error page (or a notice) holds the screen.
void ComposeScreen();

}  // namespace kb
