#include "platform/headless_platform.h"

#include <cstring>

#include "platform/image_file.h"
#include "platform/process.h"
#include "platform/trace.h"

namespace kb {

HeadlessPlatform::HeadlessPlatform(std::uint32_t startTick, int desktopDepth)
    : ticks_(startTick), desktopDepth_(desktopDepth) {}

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

void HeadlessPlatform::Beep() { Trace("beep", {}); }

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
