#pragma once
// Waiting for the player or for a time: the commands that start a wait,
// the skip switch, and what a click does during a click-position wait or a
// scroll that waits for a click.
#include <cstdint>
#include <string>
#include <string_view>

namespace kb {

struct WaitSettings {
  int skipAllowed = 1;  // Space ends a click wait only while set
};

extern WaitSettings waitSettings;

// The three layers that can scroll.
enum class ScrollLayer { Picture, Figure, Foreground };

// What the waits ask of the variables and of the layer scrolls, which are
// built elsewhere.  Each owner fills its entries in when it is wired up; an
// empty entry behaves as its comment says, which is what a game sees while
// that part is missing.
// The variable table's side of the waits (tests put fakes in the hooks).
bool ArgumentNumber(std::string_view line, std::int32_t& value, std::string& error);
bool StoreNumericVariable(std::string_view name, std::int32_t value);

struct WaitHooks {
  // The integer an argument line stands for: its variables substituted,
  // the result evaluated, its leading integer taken.  False with the text
  // to report (it contains "ERR") when either step fails.
  bool (*computeNumber)(std::string_view line, std::int32_t& value, std::string& error) = ArgumentNumber;
  // Stores the value into the numeric variable of that name; false when
  // no numeric variable has that name.
  bool (*storeNumericVariable)(std::string_view name, std::int32_t value) = StoreNumericVariable;
  // Stops the layer's scroll for good: no longer running, both steps 0,
  // the scroll picture released.
  // Empty: there is no scroll to stop.
  void (*stopScroll)(ScrollLayer layer) = nullptr;
  // Where the visible 640x480 window stands on the layer's scroll picture.
  // Empty: (0, 0).
  void (*scrollOffset)(ScrollLayer layer, int& x, int& y) = nullptr;
};

extern WaitHooks waitHooks;

// "＃クリック待ち": takes the line's text style, then waits for a click.
void HandleClickWait();
// "＃時間待ち": waits the number of milliseconds on the next line.
void HandleTimeWait();
// "＃クリック位置": waits for a left click whose position the two
// following lines' variables receive.
void HandleClickPosition();
// "＃スキップ", "＃スキップオフ"
void HandleSkip();

// A left click during a click-position wait, at game-screen pixel (x, y).
// The counter stands on the x variable's line; on success it ends on the
// line after the y variable's line.
void ClickPositionHandler(int x, int y);
// A left click or Enter while the layer's scroll waits for a click: stops
// the scroll and stores where it stood.
void ScrollClickHandler(ScrollLayer layer);

// The signed number of milliseconds from `start` to `now` on a tick count
// that wraps at 32 bits.
inline std::int32_t TicksSince(std::uint32_t start, std::uint32_t now) {
  return static_cast<std::int32_t>(now - start);
}

}  // namespace kb
