#pragma once
// The screen: `back`, on which every frame is composed, `primary`, which
// holds what was last presented, and 25 off-screen surfaces into which
// pictures, texts and effects are drawn before the composition copies them.
#include <array>
#include <cstdint>

#include "display/surface.h"
#include "platform/text_renderer.h"

namespace kb {

enum class SurfaceId : int {
  picture = 0,
  figure,
  foreground,
  dialogueText,
  dialogueFrame,
  choiceText,
  choiceFrame,
  choiceBar,
  variableText,
  pictureBack,
  figureBack,
  foregroundBack,
  topmostBack,
  topmost,
  workA,
  workB,
  partPicture1,
  partPicture2,
  partFigure1,
  partFigure2,
  backScreen,
  clickMark,
  maskPicture,
  cursorFrames,
  backCursorFrames,
};
inline constexpr int kSurfaceCount = 25;

struct SurfaceSet {
  int created = 0;  // CreateSurfaces has run and ReleaseDisplay has not
  Surface primary;
  Surface back;
  std::array<Surface, kSurfaceCount> surfaces;

  Surface& operator[](SurfaceId id) { return surfaces[static_cast<std::size_t>(id)]; }
};

// The transparent colour of the picture layers.
struct MaskColour {
  int r = 255, g = 255, b = 255;
};

struct DisplayState {
  PixelLayout layout = kLayout565;  // 5-6-5; 5-5-5 for tests; 8-8-8 at 24 bits
  PixelFormat pixelFormat;
  MaskColour maskColour;
  int backScreenView = 0;  // F1 in plain mode: show backScreen instead
};

extern SurfaceSet surfaceSet;
extern DisplayState displayState;

inline Surface& SurfaceOf(SurfaceId id) { return surfaceSet[id]; }

// Creates back, primary and surfaces 0-24 in the display's layout and reads
// the pixel format from back.
bool StartDisplay();
bool CreateSurfaces();
// Releases surfaces 24 down to 0, then back and primary; a second call finds
// nothing to release.
void ReleaseSurfaces();
void ApplyColourKeys(int r, int g, int b);
void PrepareSurfaces();

std::uint32_t RgbToPixel(int r, int g, int b);
Rgb PixelToRgb(const Surface& surface, int x, int y);
void FillRect(Surface& surface, int x, int y, int w, int h, int r, int g, int b);
void FillWhite(Surface& surface);

// A surface as a target of the text renderer.
PixelTarget TargetOf(Surface& surface);

// Redraws dialogueFrame: a 2-pixel border of (100, 100, 255) around the
// dialogue box, the rest white (the surface's colour key).
void DrawDialogueFrame();

// Start-up could not set up the display: releases it and says why.
void ShowDisplayFailure();

// Shows back (or backScreen) in the window, or as a headless frame.
void PresentScreen();
void PresentBackScreen();

}  // namespace kb
