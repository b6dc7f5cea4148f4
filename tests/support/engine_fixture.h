#pragma once
// In-process tests of engine pieces: a headless platform, a fresh state,
// the surfaces, and a game folder of its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "support/game_fixture.h"

namespace kbtest {

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads scenario text (UTF-8, converted to CP932) into the store.
  void LoadScenarioText(std::string_view utf8);
  // Runs frame steps while a line can run (at most `limit`).
  void RunUntilWaiting(int limit = 100000);

  std::unique_ptr<TempFolder> game;
};

}  // namespace kbtest
