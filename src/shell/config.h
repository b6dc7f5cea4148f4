#pragma once
// The configuration file "mero.ini": start-up settings that must be known
// before the window exists.

namespace kb {

inline constexpr int kConfigLines = 200;
inline constexpr int kConfigLineBytes = 95;
// The reader's table: 200 slots of 100 bytes, and room for the text after
// the 200th line feed and the two slots the reader empties after it.
inline constexpr int kConfigSlots = kConfigLines + 3;
inline constexpr int kConfigSlotBytes = 100;

// Reads "mero.ini" from the game folder, if it is a file, applies its keys
// to the GameConfig, and asks the window-mode question when it says so.
void ReadConfiguration();

}  // namespace kb
