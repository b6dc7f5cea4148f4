#pragma once

namespace kb {

// One pass of the main loop while no window message is waiting: executes
// one scenario line, or, while something is awaited, advances the effects
// on their timer and recomposes the screen.
int FrameStep();

}  // namespace kb
