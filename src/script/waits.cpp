#include "script/waits.h"

#include "script/scenario_store.h"
#include "shell/wait_state.h"
#include "text/text_style.h"

namespace kb {

WaitSettings waitSettings;

// The line is a style line too: without colour or size words it returns
// the text to the default style.
void HandleClickWait() {
  ApplyStyleLine(CurrentLine());
  waitState.clickWait = 1;
}

}  // namespace kb
