#include "support/engine_fixture.h"

#include "display/surface_set.h"
#include "platform/files.h"
#include "platform/headless_platform.h"
#include "platform/platform.h"
#include "script/scenario_store.h"
#include "shell/frame_step.h"
#include "shell/startup.h"
#include "shell/wait_state.h"

namespace kbtest {

void EngineTest::SetUp() {
  kb::SetPlatform(std::make_unique<kb::HeadlessPlatform>(0, 16));
  kb::ResetAllState();
  game = std::make_unique<TempFolder>("kbgame");
  kb::SetGameFolder(game->path());
  kb::StartDisplay();
  kb::CreateSurfaces();
  kb::PrepareSurfaces();
}

void EngineTest::TearDown() {
  kb::ResetAllState();
  kb::SetPlatform(nullptr);
  game.reset();
}

void EngineTest::LoadScenarioText(std::string_view utf8) {
  kb::LoadScenarioBytes(Sjis(utf8), "test.txt");
  kb::programCounter = 0;
}

void EngineTest::RunUntilWaiting(int limit) {
  for (int i = 0; i < limit && kb::waitState.LineCanRun(); ++i) kb::FrameStep();
}

}  // namespace kbtest
