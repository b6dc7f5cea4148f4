#pragma once
// The services the game asks of the operating system, in the game's own
// words.  Two implementations exist: a real one (a window, the sound card,
// the wall clock) and a headless one (a scripted event queue, a virtual
// clock, frames kept in memory).  Engine code reaches the system only
// through this interface and the free functions of the other platform
// headers; no library or operating-system header appears outside
// src/platform.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kb {

class Mixer;

// Win32 virtual-key numbers of the keys the window procedure handles.
// Letters and digits use their ASCII capitals, as Win32 does.
namespace vk {
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kF1 = 112;
}  // namespace vk

enum class EventType {
  KeyDown,          // key: virtual-key number
  MouseMove,        // x, y: game-screen pixels
  LeftButtonDown,   // x, y
  RightButtonDown,  // x, y
  CloseRequest,     // the window's close box, or SIGTERM/SIGINT
  PointerLeft,      // the pointer left the client area
  TextInput,        // text: UTF-8 typed into the text-input box
  TypingSoundDone,  // a sound of the typing game has played out (posted
                    // from the audio thread, handled on the main thread)
};

struct InputEvent {
  EventType type = EventType::KeyDown;
  int key = 0;
  int x = 0;
  int y = 0;
  std::string text;
};

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// Size of the game screen; every presented frame has it.
inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;

class Platform {
 public:
  virtual ~Platform() = default;

  // --- events -----------------------------------------------------------
  // Takes the next event without waiting; false when there is none.
  virtual bool PollEvent(InputEvent& event) = 0;
  // Blocks until an event arrives or timeoutMs pass.  Used only while the
  // game waits for something, so a waiting game costs no processor time.
  virtual void WaitForEvent(std::uint32_t timeoutMs) = 0;

  // --- dialogs ----------------------------------------------------------
  // A modal box.  Caption and text are CP932.
  virtual MessageAnswer ShowMessageBox(std::string_view caption, std::string_view text,
                                       MessageButtons buttons) = 0;
  // The system beep: a short tone mixed into the sound output.
  virtual void Beep() = 0;

  // --- time ---------------------------------------------------------------
  // Milliseconds since some start; wraps at 32 bits.
  virtual std::uint32_t Ticks() = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
  // Seconds since the epoch, for the random seed.
  virtual std::int64_t WallClockSeconds() = 0;
  // Milliseconds since the run started, without wrapping (trace stamps).
  virtual std::int64_t ElapsedMs() = 0;

  // --- display -------------------------------------------------------------
  // Opens the game window (windowed: a framed window with the caption;
  // otherwise desktop full screen).  False when it cannot.
  virtual bool OpenDisplay(bool windowed, std::string_view captionCp932) = 0;
  virtual void CloseDisplay() = 0;
  // Bits per pixel of the desktop, checked at start-up in window mode.
  virtual int DesktopDepth() = 0;
  // Shows one 640x480 frame, given as rows of R, G, B bytes.
  virtual void Present(const std::uint8_t* rgb) = 0;
  // The system cursor over the game window.
  virtual void ShowCursor(bool visible) = 0;
  // The pointer's position in game-screen pixels and whether it lies over
  // the window, frame and caption included.
  virtual bool PointerOverWindow() = 0;

  // --- sound ---------------------------------------------------------------
  // The mixer every sound plays into (platform/mixer.h), or null when the
  // system has no sound output; then nothing can be played, as on a
  // machine without a sound card.
  virtual std::shared_ptr<Mixer> Audio() = 0;

  // Whether this is a headless run (deterministic, scripted).
  virtual bool IsHeadless() const = 0;
};

// The platform of this run; set once by the entry point.
Platform& GetPlatform();
void SetPlatform(std::unique_ptr<Platform> platform);

// The window platform; desktopDepth is the colour depth its desktop
// reports (16 unless a test asks for another).
std::unique_ptr<Platform> CreateSdlPlatform(int desktopDepth);

}  // namespace kb
