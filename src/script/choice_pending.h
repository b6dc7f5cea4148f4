#pragma once
// TEMPORARY stand-ins for three services the choices need that are being
// built elsewhere; they carry the real services' names and signatures, so
// that wiring the real ones is: delete this header and choice_pending.cpp,
// and include "vars/references.h" and the picture loader's header instead.
//
//   ComputeNumber, ExpandTextReferences  - vars/references.h
//   LoadPicture                          - the picture loader (display/)
//
// The stand-ins are deliberately small: ComputeNumber reads a plain integer
// (half- or full-width digits, an optional minus sign); ExpandTextReferences
// copies the text unchanged; LoadPicture reads uncompressed 24- and 32-bit
// BMP files only.
#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"

namespace kb {

struct Surface;

using WorkingText = FixedText<256>;

struct ComputedNumber {
  bool ok = false;
  std::int32_t value = 0;
  WorkingText error;
};
ComputedNumber ComputeNumber(std::string_view expression);

enum class NumberStyle { Plain, Columns8 };
bool ExpandTextReferences(std::string_view text, NumberStyle style, WorkingText& out);

// Fills w x h of the surface with the mask colour, then draws the picture
// (picture folder + name + picture extension) from its top-left corner.
// False when the file cannot be read as a picture.
bool LoadPicture(Surface& surface, std::string_view name, int w, int h);

}  // namespace kb
