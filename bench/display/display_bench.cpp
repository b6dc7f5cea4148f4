// How long the display's per-picture and per-frame work takes: a 640x480
// JPEG drawn into a layer, a 640x480 BMP decoded and drawn, and one whole
// composition of the four picture layers with its presentation (which a
// waiting game does on every pass of the main loop).
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "display/bmp_decoder.h"
#include "display/compose.h"
#include "display/layers.h"
#include "display/picture_loader.h"
#include "display/surface_set.h"
#include "platform/files.h"
#include "platform/headless_platform.h"
#include "platform/platform.h"

namespace kb {
namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsPer(int rounds, const std::function<void()>& work) {
  work();  // once before timing: caches, first allocations
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) work();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
}

// A 640x480 BMP of 24 bits with a pattern in every pixel.
std::string Bmp24() {
  const int w = 640, h = 480, stride = w * 3;
  std::string f(54 + static_cast<std::size_t>(stride) * h, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  f[26] = 1;
  f[28] = 24;
  for (std::size_t i = 54; i < f.size(); ++i) f[i] = static_cast<char>(i * 7);
  return f;
}

void Run() {
  SetPlatform(std::make_unique<HeadlessPlatform>(0, 16));
  SetGameFolder(std::string(KB_SOURCE_DIR) + "/games/demo");
  StartDisplay();
  CreateSurfaces();
  PrepareSurfaces();

  Surface& picture = SurfaceOf(SurfaceId::picture);
  const double jpeg = MicrosecondsPer(50, [&] { LoadJpegToSurface("sora.jpg", picture); });
  const std::string bmp = Bmp24();
  RgbImage image;
  const double bmpDecode = MicrosecondsPer(50, [&] { DecodeBmp(bmp, image); });
  const double bmpDraw = MicrosecondsPer(50, [&] { DrawRgbImage(picture, 0, 0, image, 0, 0, 640, 480); });

  LoadPicture(SurfaceOf(SurfaceId::figure), "hito.bmp", 640, 480);
  LoadPicture(SurfaceOf(SurfaceId::foreground), "kusa.bmp", 640, 480);
  LoadJpegToSurface("logo.jpg", SurfaceOf(SurfaceId::topmost));
  layerState.pictureShown = layerState.figureShown = layerState.foregroundShown = layerState.topmostShown = 1;
  const double compose = MicrosecondsPer(200, [] { ComposeScreen(); });
  Surface& back = surfaceSet.back;
  const double layers = MicrosecondsPer(200, [&] {
    FillRect(back, 0, 0, 640, 480, 255, 255, 255);
    CopyRect(back, 0, 0, SurfaceOf(SurfaceId::picture), Rect{0, 0, 640, 480}, true);
    DrawFigureGroup(back);
    DrawForegroundLayer(back);
    DrawTopmostLayer(back);
  });

  std::printf("640x480 JPEG into a layer (decode and convert):  %8.1f us\n", jpeg);
  std::printf("640x480 BMP of 24 bits, decoded:                 %8.1f us\n", bmpDecode);
  std::printf("640x480 picture drawn into a 16-bit surface:     %8.1f us\n", bmpDraw);
  std::printf("whole composition of four layers and present:    %8.1f us a frame\n", compose);
  std::printf("  of which the backdrop and four keyed copies:    %8.1f us\n", layers);
  ReleaseSurfaces();
  SetPlatform(nullptr);
}

}  // namespace
}  // namespace kb

int main() {
  kb::Run();
  return 0;
}
