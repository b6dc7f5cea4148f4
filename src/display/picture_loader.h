#pragma once
// Pictures by the names scenario lines give them: BMP files (run-length
// compressed ones included) and JPEG files from the picture folder.  A
// picture is either drawn at once into a surface, over a fill of the
// MaskColour so that what it does not cover stays transparent, or held as
// an RgbImage (the bitmap object) that a later step pastes at an offset.
//
// File names are the picture folder, the name exactly as written, and the
// extension of the kind: ".sb1" for BMP and ".sj1" for JPEG in a packed
// game, nothing in a plain one (where the scenario writes each file's own
// name).  A packed game's JPEG files are scrambled: each load unscrambles
// one into "jp_deco" in the game folder and decodes that.
#include <string>
#include <string_view>

#include "display/rgb_image.h"
#include "display/surface.h"

namespace kb {

// picture folder + name + the BMP or the JPEG extension.
std::string PicturePath(std::string_view name);
std::string JpegPicturePath(std::string_view name);

// Whether the name is a JPEG picture.  Packed: the ".sj1" file exists.
// Plain, where both kinds carry their own names: the file exists and
// begins as every JPEG file does (FF D8 FF).
bool IsJpegPicture(std::string_view name);

// A BMP file decoded into out; false (out empty) when the file cannot be
// read or is not a BMP the reader takes.
bool LoadBitmapFile(std::string_view path, RgbImage& out);

// Fills (0, 0, w, h) of the surface with the MaskColour, then draws the
// BMP picture's top-left w x h pixels at (0, 0), clipped to the surface.
// False when the picture cannot be loaded; the fill stays.
bool LoadPicture(Surface& surface, std::string_view name, int w, int h);

enum class JpegLoad {
  Drawn,
  NothingDrawn,  // decoded, but neither RGB nor grey (CMYK): silently skipped
  Failed,        // missing, unreadable or undecodable: the caller reports it
};

// Fills the 640x480 of the surface with the MaskColour and draws the JPEG
// picture's rows straight into it (top-left aligned, cut to the surface).
// A failure leaves the fill, also when some rows had been drawn.
JpegLoad LoadJpegToSurface(std::string_view name, Surface& surface);

// A JPEG file (already unscrambled) decoded into out.
JpegLoad LoadJpegBitmap(std::string_view path, RgbImage& out);

// The picture as a bitmap object: JPEG when IsJpegPicture, else BMP.
// False when it cannot be loaded.  A CMYK JPEG loads as an empty image,
// which pastes nothing.
bool LoadPictureBitmap(std::string_view name, RgbImage& out);

// Fills the 640x480 of the surface with the MaskColour and draws the
// bitmap with its top-left corner at (x, y) (either may be negative),
// clipped to the surface; at most the bitmap's top-left 640 x 480 pixels
// are drawn.
void PasteBitmap(Surface& surface, const RgbImage& bitmap, int x, int y);

// Draws the image's rectangle (srcX, srcY, w, h) at (x, y), converting
// each pixel with RgbToPixel; whatever falls outside either is skipped.
void DrawRgbImage(Surface& surface, int x, int y, const RgbImage& image, int srcX, int srcY, int w, int h);

// Fills (0, 0, w, h) of a surface with the MaskColour.
void FillWithMaskColour(Surface& surface, int w, int h);

}  // namespace kb
