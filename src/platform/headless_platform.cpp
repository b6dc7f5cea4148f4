#include "platform/headless_platform.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <thread>

#include "platform/image_file.h"
#include "platform/process.h"
#include "platform/trace.h"

namespace kb {

// The mix goes to the WAV file as it lies in memory.
static_assert(std::endian::native == std::endian::little, "WAV samples are little-endian");

HeadlessPlatform::HeadlessPlatform(std::uint32_t startTick, int desktopDepth)
    : ticks_(startTick), desktopDepth_(desktopDepth), mixer_(std::make_shared<Mixer>()) {
  mixer_->SetDrivingThread(std::this_thread::get_id());
}

HeadlessPlatform::~HeadlessPlatform() {
  mixer_->Stop();
  StopRecording();
}

void HeadlessPlatform::AdvanceClock(std::uint32_t ms) {
  elapsed_ += ms;
  ticks_ += ms;
  // The sound of [before, elapsed_) is mixed now, from what the voices
  // held before the clock moved.
  const auto due = static_cast<std::uint64_t>(elapsed_) * kMixRate / 1000;
  const std::size_t blockFrames = mixBlock_.size() / kMixChannels;
  while (framesMixed_ < due) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(due - framesMixed_, blockFrames));
    mixer_->Mix(mixBlock_.data(), n);
    recording_.Write(mixBlock_.data(), n * kMixChannels * sizeof(std::int16_t));
    framesMixed_ += n;
  }
}

bool HeadlessPlatform::RecordAudio(const std::string& hostPath) {
  return recording_.Open(hostPath, SampleFormat{});
}

bool HeadlessPlatform::StopRecording() { return recording_.Close(); }

bool HeadlessPlatform::PollEvent(InputEvent& event) {
  // SIGTERM or SIGINT ends a headless run as the close box ends a window.
  if (TerminationRequested() && !terminationSent_) {
    terminationSent_ = true;
    event = InputEvent{EventType::CloseRequest, 0, 0, 0, {}};
    return true;
  }
  if (events_.empty()) return false;
  event = events_.front();
  events_.pop_front();
  return true;
}

const char* MessageButtonsName(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return "ok";
    case MessageButtons::YesNo: return "yesno";
    case MessageButtons::YesNoCancel: return "yesnocancel";
  }
  return "ok";
}

const char* MessageAnswerName(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok: return "ok";
    case MessageAnswer::Yes: return "yes";
    case MessageAnswer::No: return "no";
    case MessageAnswer::Cancel: return "cancel";
  }
  return "ok";
}

MessageAnswer HeadlessPlatform::ShowMessageBox(std::string_view caption, std::string_view text,
                                               MessageButtons buttons) {
  MessageAnswer first = buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
  MessageAnswer answer = first;
  if (!answers_.empty()) {
    MessageAnswer queued = answers_.front();
    answers_.pop_front();
    bool fits = false;
    switch (buttons) {
      case MessageButtons::Ok: fits = queued == MessageAnswer::Ok; break;
      case MessageButtons::YesNo: fits = queued == MessageAnswer::Yes || queued == MessageAnswer::No; break;
      case MessageButtons::YesNoCancel: fits = queued != MessageAnswer::Ok; break;
    }
    if (fits) answer = queued;
  }
  Trace("messagebox", {TraceField::Text("caption", caption), TraceField::Text("text", text),
                       TraceField::Utf8("buttons", MessageButtonsName(buttons)),
                       TraceField::Utf8("answer", MessageAnswerName(answer))});
  return answer;
}

void HeadlessPlatform::Beep() {
  Trace("beep", {});
  mixer_->Add(MakeBeepVoice());
}

void HeadlessPlatform::Present(const std::uint8_t* rgb) {
  const std::size_t size = static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 3;
  ++presents_;
  // Waiting passes present the same picture many times a second; the trace
  // records a present only when the picture has changed.
  if (!lastFrame_.empty() && std::memcmp(lastFrame_.data(), rgb, size) == 0) return;
  lastFrame_.assign(rgb, rgb + size);
  lastCrc_ = Crc32(rgb, size);
  Trace("present",
        {TraceField("frame", presents_), TraceField("crc32", static_cast<std::int64_t>(lastCrc_))});
}

}  // namespace kb
