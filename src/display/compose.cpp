#include "display/compose.h"

#include "display/blend.h"
#include "display/picture_loader.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "script/choices.h"
#include "shell/wait_state.h"

namespace kb {
namespace {

// Step 1.  The backdrop is the MaskColour itself, so the picture's
// transparent parts show that colour.  While a wipe runs its blue is moved
// by 10, so that the backdrop never matches the key the wipe draws with.
void DrawBackdrop(Surface& back) {
  if (!layerState.pictureShown) {
    FillRect(back, 0, 0, kScreenWidth, kScreenHeight, 0, 0, 0);
    return;
  }
  MaskColour c = displayState.maskColour;
  if (waitState.wipeRunning) c.b = c.b >= 10 ? c.b - 10 : c.b + 10;
  FillRect(back, 0, 0, kScreenWidth, kScreenHeight, c.r, c.g, c.b);
  RedrawScrolledLayer(LayerId::picture);
  CopyAll(back, SurfaceOf(SurfaceId::picture), true);
}

// Steps 3, 4 and 6: a layer group drawn straight onto back, or, while the
// layer is translucent, drawn into workA and blended onto back.
void DrawLayerGroup(Surface& back, void (*draw)(Surface&), int translucent, int percent) {
  if (!translucent) {
    draw(back);
    return;
  }
  Surface& work = SurfaceOf(SurfaceId::workA);
  FillWithMaskColour(work, kScreenWidth, kScreenHeight);
  draw(work);
  BlendSurface(back, work, percent);
}

}  // namespace

void DrawFigureGroup(Surface& target) {
  const LayerState& s = layerState;
  if (s.figureShown) {
    RedrawScrolledLayer(LayerId::figure);
    // Animation frames 1 to 3 live in the back-screen surfaces.
    static constexpr SurfaceId kFrames[] = {SurfaceId::figure, SurfaceId::pictureBack, SurfaceId::figureBack,
                                            SurfaceId::foregroundBack};
    if (s.figureFrame >= 0 && s.figureFrame < 4) CopyAll(target, SurfaceOf(kFrames[s.figureFrame]), true);
  }
  // The partial figures belong to the group whether or not the figure shows.
  DrawPartialFigures(target);
}

void DrawForegroundLayer(Surface& target) {
  const LayerState& s = layerState;
  if (!s.foregroundShown) return;
  RedrawScrolledLayer(LayerId::foreground);
  if (s.foregroundFrame == 0) CopyAll(target, SurfaceOf(SurfaceId::foreground), true);
  if (s.foregroundFrame == 1) CopyAll(target, SurfaceOf(SurfaceId::topmostBack), true);
}

void DrawTopmostLayer(Surface& target) {
  if (!layerState.topmostShown || frameState.textPageHidden) return;
  // The darkening always falls on back, also when the group is drawn into
  // a work surface.
  if (TextPageDarkensScreen() && layerState.translucencySwitch == 1)
    Darken(surfaceSet.back, 0, 0, kScreenWidth, kScreenHeight, 3);
  CopyAll(target, SurfaceOf(SurfaceId::topmost), true);
}

void ComposeScreen() {
  if (waitState.halted) return;
  Surface& back = surfaceSet.back;
  if (!back.Exists()) return;
  const LayerState& s = layerState;
  DrawBackdrop(back);                                                                  // 1
  DrawPartialPictures(back);                                                           // 2
  DrawLayerGroup(back, DrawFigureGroup, s.figureTranslucent, s.figurePercent);         // 3
  DrawLayerGroup(back, DrawForegroundLayer, s.foregroundTranslucent, s.foregroundPercent);  // 4
  if (s.hoverPictureShown) CopyAll(back, SurfaceOf(SurfaceId::workB), true);               // 5
  DrawLayerGroup(back, DrawTopmostLayer, s.topmostTranslucent, s.topmostPercent);      // 6
  DrawTransition(back);                                                                // 7
  DrawDialogueBox(back);                                                               // 8
  DrawVariableDisplay(back);                                                           // 9
  ComposeTextChoice(back, s.translucencySwitch);                                       // 10
  DrawTypingPanel(back);                                                               // 11
  DrawClickMark(back);                                                                 // 12
  DrawFade(back);                                                                      // 13
  DrawPseudoCursor(back);                                                              // 14
  PresentScreen();                                                                     // 15
}

}  // namespace kb
