#pragma once
// The four full-screen picture layers (picture 絵, figure 人物, foreground
// 前景, topmost 最前景), their state and the commands that load and hide
// them.  Each layer keeps its picture in its own surface; what it does not
// cover holds the MaskColour, the surfaces' colour key.
#include <string_view>

#include "display/surface.h"

namespace kb {

// Numbered as the overlap and translucency commands number the layers.
enum class LayerId : int { picture = 1, figure = 2, foreground = 3, topmost = 4 };

// Lives for the whole run.  The restart of the start scenario clears the
// shown flags and turns the translucency switch back on
// (ResetLayersForRestart); ResetAllState puts everything back.
struct LayerState {
  int pictureShown = 0;
  int figureShown = 0;
  int foregroundShown = 0;
  int topmostShown = 0;  // "＃文章オフ" clears it too
  int partPicture1Shown = 0, partPicture2Shown = 0;
  int partFigure1Shown = 0, partFigure2Shown = 0;
  int hoverPictureShown = 0;  // a picture choice shows the hovered answer's picture, held in workB
  // "＃半透明" / "＃半透明オフ": when 0 every translucent backing (dialogue
  // box, variable display, choices, typing panel, text-page darkening) is
  // drawn solid.
  int translucencySwitch = 1;
  // Layer translucency ("＃人物半透明" …): blended at the percentage.
  int figureTranslucent = 0, figurePercent = 0;
  int foregroundTranslucent = 0, foregroundPercent = 0;
  int topmostTranslucent = 0, topmostPercent = 0;
  // Animation frames: which surface shows the figure and the foreground.
  int figureFrame = 0, foregroundFrame = 0;
};

extern LayerState layerState;

// The layer part of the restart reset.
void ResetLayersForRestart();

// The argument reader and loader shared by "＃人物", "＃前景", "＃最前景"
// and the back-screen commands.  Option words anywhere in the command line:
// "追加" draws over the layer instead of clearing it first; "位置" reads an
// X and a Y line (X at most 639, Y at most 479, either may be negative);
// "マスク" loads a BMP in which black is transparent as well (and implies
// "追加").  keyword is the command word its messages name.  The counter is
// left on the last argument line read.
void LoadLayerPicture(Surface& surface, std::string_view keyword);

// Command handlers.
void HandlePicture();             // "＃絵"
void HandleFigure();              // "＃人物"
void HandleForeground();          // "＃前景"
void HandleTopmost();             // "＃最前景"
void HandlePictureOff();          // "＃絵オフ"
void HandleFigureOff();           // "＃人物オフ"
void HandleForegroundOff();       // "＃前景オフ"
void HandleTopmostOff();          // "＃最前景オフ"
void HandleTranslucencySwitch();  // "＃半透明", "＃半透明オフ"
void HandleMaskColour();          // "＃マスクＲＧＢ"

// What the layer commands ask of the scrolls, the animations and the text
// page.  Each is defined by the code that owns that state (see
// compose_pending.cpp for those not built yet).
void StopLayerScroll(LayerId layer);
void StopLayerAnimation(LayerId layer);
// "＃最前景" takes the topmost layer back from the screen text: the text
// page no longer uses it and its darkening is switched off.
void ReleaseTopmostFromTextPage();

}  // namespace kb
