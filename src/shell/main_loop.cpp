#include "shell/main_loop.h"

#include <algorithm>

#include "platform/platform.h"
#include "script/waits.h"
#include "shell/frame_step.h"
#include "shell/headless_driver.h"
#include "shell/shell_state.h"
#include "shell/wait_state.h"
#include "shell/window_proc.h"

namespace kb {
namespace {

// How long the loop may sleep while the game waits: until the next effect
// tick or the end of a timed wait, and never long enough to miss a media
// event.
std::uint32_t IdleTimeout() {
  Platform& platform = GetPlatform();
  const std::uint32_t now = platform.Ticks();
  std::int64_t timeout = 20;
  auto sinceTick = static_cast<std::int64_t>(now - frameState.lastAnimationTick);
  timeout = std::min<std::int64_t>(timeout, frameState.animationInterval + 1 - sinceTick);
  if (waitState.timeWait) {
    const std::int32_t sinceStart = TicksSince(frameState.timeWaitStart, now);
    timeout = std::min<std::int64_t>(timeout,
                                     static_cast<std::int64_t>(frameState.timeWaitLength) + 1 - sinceStart);
  }
  return static_cast<std::uint32_t>(std::max<std::int64_t>(timeout, 0));
}

int RunWindowLoop() {
  Platform& platform = GetPlatform();
  while (!shellState.quitPosted) {
    InputEvent event;
    if (platform.PollEvent(event)) {
      HandleEvent(event);
      continue;
    }
    FrameStep();
    // While a line can run the loop never waits; while the game waits for
    // something it sleeps until an event or the next tick.
    if (!waitState.LineCanRun() && !shellState.quitPosted) platform.WaitForEvent(IdleTimeout());
  }
  return shellState.quitValue;
}

}  // namespace

int RunMainLoop(const RunOptions& options) {
  if (GetPlatform().IsHeadless()) return RunHeadlessScript(options);
  return RunWindowLoop();
}

}  // namespace kb
