#include "script/call_stack.h"

namespace kb {

ScenarioCallStack callStack;
MediaPaths mediaPaths;

}  // namespace kb
