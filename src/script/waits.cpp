#include "script/waits.h"

#include "shell/wait_state.h"

namespace kb {

WaitSettings waitSettings;

void HandleClickWait() { waitState.clickWait = 1; }

}  // namespace kb
