#pragma once
// TEMPORARY stand-in for the picture loader, which is being built in
// display/ with this very name and signature.  Wiring the real one is:
// delete this header and choice_pending.cpp, and include the loader's
// header where this one is included.
//
// The stand-in reads uncompressed 24- and 32-bit BMP files only.
#include <string_view>

namespace kb {

struct Surface;

// Fills w x h of the surface with the mask colour, then draws the picture
// (picture folder + name + picture extension) from its top-left corner.
// False when the file cannot be read as a picture.
bool LoadPicture(Surface& surface, std::string_view name, int w, int h);

}  // namespace kb
