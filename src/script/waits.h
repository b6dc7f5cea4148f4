#pragma once
// Waiting for the player or for a time.

namespace kb {

struct WaitSettings {
  int skipAllowed = 1;  // Space ends a click wait only while set
};

extern WaitSettings waitSettings;

// "＃クリック待ち"
void HandleClickWait();

}  // namespace kb
