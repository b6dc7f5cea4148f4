// The demo game plays through from start to end without an error page.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/game_fixture.h"

TEST(DemoGame, PlaysThroughWithoutAnErrorPage) {
  std::ifstream in(std::string(KB_SOURCE_DIR) + "/games/demo.play");
  std::stringstream script;
  script << in.rdbuf();
  auto run = kbtest::RunHeadless(std::string(KB_SOURCE_DIR) + "/games/demo", script.str());
  EXPECT_EQ(run.exitCode, 0) << run.stderrText;
  for (const auto& e : run.Events("error")) ADD_FAILURE() << e.Text("message") << " / " << e.Text("detail");
  EXPECT_FALSE(run.Events("present").empty());
  ASSERT_EQ(run.Events("exit").size(), 1u);
}
