#pragma once
// The platform of headless runs: events come from the input script, the
// clock is virtual and moves only when the script says so, message boxes
// take queued answers, presented frames are kept for shots and traced with
// their CRC-32, and the sound is mixed as the clock moves (and written to a
// WAV file on request).
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "platform/platform.h"
#include "platform/wav_writer.h"

namespace kb {

class HeadlessPlatform final : public Platform {
 public:
  HeadlessPlatform(std::uint32_t startTick, int desktopDepth);
  ~HeadlessPlatform() override;

  // Driven by the input script.
  void PushEvent(const InputEvent& event) { events_.push_back(event); }
  void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  // Moves the virtual clock and mixes the sound of the time that passed.
  // Only the thread that created the platform moves the clock.
  void AdvanceClock(std::uint32_t ms);
  bool HasFrame() const { return !lastFrame_.empty(); }
  const std::vector<std::uint8_t>& LastFrame() const { return lastFrame_; }
  // Where the (imaginary) pointer is, for the pseudo-cursor's window test,
  // and whether the system cursor is shown.
  void SetPointerOverWindow(bool over) { pointerOverWindow_ = over; }
  bool CursorVisible() const { return cursorVisible_; }

  bool PollEvent(InputEvent& event) override;
  void WaitForEvent(std::uint32_t) override {}
  MessageAnswer ShowMessageBox(std::string_view caption, std::string_view text,
                               MessageButtons buttons) override;
  void Beep() override;
  std::uint32_t Ticks() override { return ticks_; }
  void Sleep(std::uint32_t ms) override { AdvanceClock(ms); }
  std::int64_t WallClockSeconds() override { return elapsed_ / 1000; }
  std::int64_t ElapsedMs() override { return elapsed_; }
  bool OpenDisplay(bool, std::string_view) override { return true; }
  void CloseDisplay() override {}
  int DesktopDepth() override { return desktopDepth_; }
  void Present(const std::uint8_t* rgb) override;
  void ShowCursor(bool visible) override { cursorVisible_ = visible; }
  bool PointerOverWindow() override { return pointerOverWindow_; }
  std::shared_ptr<Mixer> Audio() override { return mixer_; }
  bool IsHeadless() const override { return true; }

  // From now on, writes everything mixed into a WAV file (the mixer's
  // format: 44100 Hz, 16-bit, stereo).  False when it cannot be created.
  bool RecordAudio(const std::string& hostPath);
  // Fills in the WAV file's sizes and closes it (also done when the
  // platform ends); false when writing it failed.
  bool StopRecording();

 private:
  std::deque<InputEvent> events_;
  std::deque<MessageAnswer> answers_;
  std::uint32_t ticks_;
  std::int64_t elapsed_ = 0;
  int desktopDepth_;
  std::vector<std::uint8_t> lastFrame_;
  std::uint32_t lastCrc_ = 0;
  std::int64_t presents_ = 0;
  bool pointerOverWindow_ = true;
  bool cursorVisible_ = true;
  bool terminationSent_ = false;
  // Sound: the frames due at elapsed_ ms are mixed whenever the clock moves.
  std::shared_ptr<Mixer> mixer_;
  std::uint64_t framesMixed_ = 0;
  std::array<std::int16_t, 1024 * kMixChannels> mixBlock_{};
  WavWriter recording_;
};

// Names of buttons and answers as the trace and the input script write them.
const char* MessageButtonsName(MessageButtons buttons);
const char* MessageAnswerName(MessageAnswer answer);

}  // namespace kb
