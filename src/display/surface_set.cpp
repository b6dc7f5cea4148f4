#include "display/surface_set.h"

#include <vector>

#include "base/sjis_literal.h"
#include "platform/platform.h"
#include "shell/game_config.h"
#include "shell/shutdown.h"
#include "text/message_window.h"

namespace kb {

SurfaceSet surfaceSet;
DisplayState displayState;

namespace {

struct SurfaceSpec {
  int w, h;
};

// Sizes in creation order.
constexpr SurfaceSpec kSpecs[kSurfaceCount] = {
    {640, 480}, {640, 480}, {640, 480}, {640, 240}, {640, 480}, {640, 300}, {640, 480},
    {600, 50},  {400, 300}, {640, 480}, {640, 480}, {640, 480}, {640, 480}, {640, 480},
    {640, 480}, {640, 480}, {640, 160}, {640, 160}, {640, 160}, {640, 160}, {640, 480},
    {640, 160}, {640, 480}, {640, 160}, {640, 160},
};

std::vector<std::uint8_t> presentBuffer;
// The pixels last converted into presentBuffer.  A waiting pass presents
// the same screen many times a second; an unchanged screen skips the
// conversion.
std::vector<std::uint8_t> presentedPixels;

void PresentSurface(const Surface& s) {
  presentBuffer.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 3);
  if (presentedPixels != s.pixels) {
    SurfaceToRgb(s, displayState.pixelFormat, presentBuffer.data());
    presentedPixels = s.pixels;
  }
  GetPlatform().Present(presentBuffer.data());
}

}  // namespace

bool StartDisplay() {
  surfaceSet.back.Create(kScreenWidth, kScreenHeight, displayState.layout);
  surfaceSet.primary.Create(kScreenWidth, kScreenHeight, displayState.layout);
  displayState.pixelFormat = ReadPixelFormat(surfaceSet.back);
  presentedPixels.clear();
  return true;
}

bool CreateSurfaces() {
  for (int i = 0; i < kSurfaceCount; ++i)
    surfaceSet.surfaces[static_cast<std::size_t>(i)].Create(kSpecs[i].w, kSpecs[i].h, displayState.layout);
  surfaceSet.created = 1;
  return true;
}

void ReleaseSurfaces() {
  for (int i = kSurfaceCount - 1; i >= 0; --i) {
    Surface& s = surfaceSet.surfaces[static_cast<std::size_t>(i)];
    if (s.Exists()) s.Release();
  }
  if (surfaceSet.back.Exists()) surfaceSet.back.Release();
  if (surfaceSet.primary.Exists()) surfaceSet.primary.Release();
  surfaceSet.created = 0;
}

std::uint32_t RgbToPixel(int r, int g, int b) { return RgbToPixel(displayState.pixelFormat, r, g, b); }

Rgb PixelToRgb(const Surface& surface, int x, int y) {
  return PixelValueToRgb(displayState.pixelFormat, surface.GetPixel(x, y));
}

void FillRect(Surface& surface, int x, int y, int w, int h, int r, int g, int b) {
  FillPixels(surface, x, y, w, h, RgbToPixel(r, g, b));
}

void FillWhite(Surface& surface) { FillRect(surface, 0, 0, surface.width, surface.height, 255, 255, 255); }

void ApplyColourKeys(int r, int g, int b) {
  const std::uint32_t key = RgbToPixel(r, g, b), white = RgbToPixel(255, 255, 255),
                      black = RgbToPixel(0, 0, 0);
  for (int i = 0; i < kSurfaceCount; ++i) {
    Surface& s = surfaceSet.surfaces[static_cast<std::size_t>(i)];
    auto id = static_cast<SurfaceId>(i);
    s.hasKey = true;
    switch (id) {
      case SurfaceId::dialogueText:
      case SurfaceId::dialogueFrame:
      case SurfaceId::choiceText:
      case SurfaceId::choiceFrame:
      case SurfaceId::variableText: s.key = white; break;
      case SurfaceId::maskPicture: s.key = black; break;
      case SurfaceId::choiceBar: s.hasKey = false; break;
      default: s.key = key; break;
    }
  }
}

PixelTarget TargetOf(Surface& s) { return {s.pixels.data(), s.width, s.height, s.pitch, s.bytesPerPixel}; }

void DrawDialogueFrame() {
  Surface& frame = SurfaceOf(SurfaceId::dialogueFrame);
  const DialogueBox& box = dialogueBox;
  FillWhite(frame);
  FillRect(frame, box.x, box.y, box.w, box.h, 100, 100, 255);
  FillRect(frame, box.x + 2, box.y + 2, box.w - 4, box.h - 4, 255, 255, 255);
}

void ShowDisplayFailure() {
  ReleaseDisplay();
  const char* text =
      gameConfig.colourDepth == 24
          ? "ダイレクトドローの生成に失敗しました\n16ビットカラーでプレイしてみてください。\n\n●このマシンのビデオボードが24ビットカラーに  対応していない可能性があります。\n"_sj
          : "ダイレクトドローの生成に失敗しました\n\n●このマシンにダイレクトＸ５が入っていないか\n  ビデオボードが16ビットカラーに対応していない。\n  可能性があります。\n"_sj;
  GetPlatform().ShowMessageBox(gameConfig.caption.view(), text, MessageButtons::Ok);
  GetPlatform().CloseDisplay();
}

void PrepareSurfaces() {
  const MaskColour& m = displayState.maskColour;
  ApplyColourKeys(m.r, m.g, m.b);
  DrawDialogueFrame();
  FillRect(SurfaceOf(SurfaceId::choiceBar), 0, 0, 600, 50, 255, 0, 0);
  FillWhite(SurfaceOf(SurfaceId::figure));
}

void PresentScreen() {
  if (!surfaceSet.back.Exists()) return;
  CopyAll(surfaceSet.primary, surfaceSet.back, false);
  PresentSurface(surfaceSet.primary);
}

void PresentBackScreen() {
  Surface& s = SurfaceOf(SurfaceId::backScreen);
  if (!s.Exists()) return;
  CopyAll(surfaceSet.primary, s, false);
  PresentSurface(surfaceSet.primary);
}

}  // namespace kb
