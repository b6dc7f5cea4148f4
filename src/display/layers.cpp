#include "display/layers.h"

#include <algorithm>
#include <string>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "display/compose.h"
#include "display/picture_loader.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "vars/references.h"

namespace kb {

LayerState layerState;

namespace {

// Reads one X or Y line of "位置": the value of its expression, at most
// `highest`, or 0 after an error (which is reported; the picture is still
// loaded).
bool ReadPositionLine(std::string_view keyword, std::string_view missingTemplate, std::string_view name,
                      int highest, int& value) {
  const std::string_view line = NextLine();
  if (line.empty()) {
    ReportError(Format(missingTemplate, {keyword}), name);
    return false;
  }
  // An expression error is reported and the picture still placed, at 0.
  if (!ComputeNumberOrReport(line, line, value)) value = 0;
  value = std::min(value, highest);
  return true;
}

// "＃絵" and the layers loaded without "マスク" take either kind: JPEG when
// there is one by the name, else BMP.  False when the picture cannot be
// loaded (the caller reports it); a CMYK JPEG leaves the surface filled.
bool LoadEitherKind(Surface& surface, std::string_view name) {
  if (IsJpegPicture(name)) return LoadJpegToSurface(name, surface) != JpegLoad::Failed;
  return LoadPicture(surface, name, kScreenWidth, kScreenHeight);
}

}  // namespace

void ResetLayersForRestart() {
  LayerState& s = layerState;
  s.pictureShown = s.figureShown = s.foregroundShown = s.topmostShown = 0;
  s.partPicture1Shown = s.partPicture2Shown = s.partFigure1Shown = s.partFigure2Shown = 0;
  s.translucencySwitch = 1;
}

void LoadLayerPicture(Surface& surface, std::string_view keyword) {
  const std::string_view command = CurrentLine();
  const bool mask = ByteContains(command, "マスク"_sj);
  const bool add = mask || ByteContains(command, "追加"_sj);
  const bool position = ByteContains(command, "位置"_sj);

  const std::string_view name = NextLine();
  if (name.empty()) {
    ReportError(Format("%sのファイルが指定されていません"_sj, {keyword}), "");
    return;
  }
  int x = 0, y = 0;
  if (position) {
    if (!ReadPositionLine(keyword, "%sのＸ位置が指定されていません"_sj, name, kScreenWidth - 1, x)) return;
    if (!ReadPositionLine(keyword, "%sのＹ位置が指定されていません"_sj, name, kScreenHeight - 1, y)) return;
  }
  // A negative position shows the picture from inside: its left columns
  // (top rows) are cut off instead of drawn outside the layer.  Beyond a
  // whole screen nothing shows either way.
  x = std::max(x, -kScreenWidth);
  y = std::max(y, -kScreenHeight);
  const int sourceLeft = x < 0 ? -x : 0, sourceTop = y < 0 ? -y : 0;
  x = std::max(x, 0);
  y = std::max(y, 0);

  if (!add) FillWithMaskColour(surface, kScreenWidth, kScreenHeight);
  Surface& source = SurfaceOf(mask ? SurfaceId::maskPicture : SurfaceId::workA);
  const bool loaded = mask ? LoadPicture(source, name, kScreenWidth, kScreenHeight) : LoadEitherKind(source, name);
  if (!loaded) {
    ReportError(Format("%sのファイル名が違います"_sj, {keyword}), name);
    return;
  }
  // The copy is keyed: MaskColour pixels of workA and black pixels of
  // maskPicture leave the layer as it was.
  const Rect from{sourceLeft, sourceTop, std::min(kScreenWidth - x, kScreenWidth - sourceLeft),
                  std::min(kScreenHeight - y, kScreenHeight - sourceTop)};
  CopyRect(surface, x, y, source, from, true);
  ComposeScreen();
}

void HandlePicture() {
  const std::string_view name = NextLine();
  // A failed load has already filled the layer with the MaskColour: the
  // previous picture is gone although the shown flag stays as it was.
  if (!LoadEitherKind(SurfaceOf(SurfaceId::picture), name)) {
    ReportError("＃絵のファイル名が違います"_sj, name);
    return;
  }
  layerState.pictureShown = 1;
  StopLayerScroll(LayerId::picture);
  ComposeScreen();
}

// The next three set the shown flag before loading, so a failed load
// leaves the layer shown.
void HandleFigure() {
  StopLayerAnimation(LayerId::figure);
  StopLayerScroll(LayerId::figure);
  layerState.figureShown = 1;
  LoadLayerPicture(SurfaceOf(SurfaceId::figure), "＃人物"_sj);
}

void HandleForeground() {
  StopLayerAnimation(LayerId::foreground);
  StopLayerScroll(LayerId::foreground);
  layerState.foregroundShown = 1;
  LoadLayerPicture(SurfaceOf(SurfaceId::foreground), "＃前景"_sj);
}

void HandleTopmost() {
  ReleaseTopmostFromTextPage();
  layerState.topmostShown = 1;
  LoadLayerPicture(SurfaceOf(SurfaceId::topmost), "＃最前景"_sj);
}

// Hiding a layer neither redraws the screen nor clears the layer's
// surface: the next composition leaves it out, and showing it again
// without a new picture shows the old one.
void HandlePictureOff() {
  StopLayerScroll(LayerId::picture);
  layerState.pictureShown = 0;
}

void HandleFigureOff() {
  layerState.figureShown = 0;
  StopLayerScroll(LayerId::figure);
}

void HandleForegroundOff() {
  layerState.foregroundShown = 0;
  StopLayerScroll(LayerId::foreground);
}

void HandleTopmostOff() { layerState.topmostShown = 0; }

void HandleTranslucencySwitch() {
  layerState.translucencySwitch = StartsWith(CurrentLine(), "＃半透明オフ"_sj) ? 0 : 1;
}

// Each component is stored as soon as its line is read, so an error in a
// later line leaves the earlier ones changed (and the keys as they were).
void HandleMaskColour() {
  MaskColour& m = displayState.maskColour;
  for (int* component : {&m.r, &m.g, &m.b}) {
    const std::string_view line = NextLine();
    if (!ComputeNumberOrReport(line, line, *component)) return;
  }
  m.r = std::clamp(m.r, 0, 255);
  m.g = std::clamp(m.g, 0, 255);
  m.b = std::clamp(m.b, 0, 255);
  ApplyColourKeys(m.r, m.g, m.b);
}

}  // namespace kb
