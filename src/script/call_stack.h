#pragma once
// The path of scenario calls from the start scenario, the right-click
// scenario, and the folders from which files are taken.
#include <array>

#include "base/fixed_text.h"

namespace kb {

inline constexpr int kCallLevels = 1002;
inline constexpr int kCallNameBytes = 210;

struct ScenarioCallStack {
  int depth = 0;
  std::array<FixedText<kCallNameBytes>, kCallLevels> names;
  std::array<int, kCallLevels> returnLines{};
  FixedText<kCallNameBytes> rightClickName;
  int rightClickSet = 0;
  int rightClickActive = 0;
  int rightClickEntryDepth = 0;

  // The name of the scenario now in the store ("" for a bad depth).
  std::string_view CurrentName() const {
    return depth >= 0 && depth < kCallLevels ? names[static_cast<std::size_t>(depth)].view()
                                             : std::string_view();
  }
};

struct MediaPaths {
  FixedText<256> scenario, picture, sound, midi, mp3, movie;
};

extern ScenarioCallStack callStack;
extern MediaPaths mediaPaths;

}  // namespace kb
