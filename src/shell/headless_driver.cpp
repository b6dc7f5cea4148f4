#include "shell/headless_driver.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "display/surface_set.h"
#include "platform/headless_platform.h"
#include "platform/image_file.h"
#include "platform/platform.h"
#include "shell/frame_step.h"
#include "shell/main_loop.h"
#include "shell/shell_state.h"
#include "shell/shutdown.h"
#include "shell/wait_state.h"
#include "shell/window_proc.h"

namespace kb {
namespace {

constexpr long kRunawayLines = 1000000;

struct HeadlessScript {
  std::vector<ScriptCommand> commands;
  std::size_t next = 0;
  long linesWithoutWait = 0;
  bool runaway = false;
};

HeadlessScript script;

HeadlessPlatform& Headless() { return static_cast<HeadlessPlatform&>(GetPlatform()); }

bool ParseAnswer(const std::string& word, MessageAnswer& out) {
  if (word == "ok")
    out = MessageAnswer::Ok;
  else if (word == "yes")
    out = MessageAnswer::Yes;
  else if (word == "no")
    out = MessageAnswer::No;
  else if (word == "cancel")
    out = MessageAnswer::Cancel;
  else
    return false;
  return true;
}

int KeyCode(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  if (name == "ENTER") return vk::kReturn;
  if (name == "SPACE") return vk::kSpace;
  if (name == "ESC") return vk::kEscape;
  if (name == "UP") return vk::kUp;
  if (name == "DOWN") return vk::kDown;
  if (name == "LEFT") return vk::kLeft;
  if (name == "RIGHT") return vk::kRight;
  if (name == "CTRL") return vk::kControl;
  if (name == "SHIFT") return vk::kShift;
  if (name == "F1") return vk::kF1;
  if (name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
    return name[0];
  return 0;
}

void DispatchEvents() {
  InputEvent event;
  while (!shellState.quitPosted && Headless().PollEvent(event)) HandleEvent(event);
}

// Runs frame steps while a line can run.  Events that did not come from
// the script (a SIGTERM turned into a close request) are taken between
// steps, as the main loop takes messages.
void RunLines() {
  while (!shellState.quitPosted && waitState.LineCanRun()) {
    DispatchEvents();
    if (shellState.quitPosted) return;
    FrameStep();
    if (++script.linesWithoutWait >= kRunawayLines) {
      script.runaway = true;
      return;
    }
  }
  if (!waitState.LineCanRun()) script.linesWithoutWait = 0;
}

// "wait": run until no line can run, with one waiting pass at this time
// (which may itself end the wait, as a timed wait of 0 or less does).
void RunUntilWaiting() {
  while (!shellState.quitPosted && !script.runaway) {
    RunLines();
    if (shellState.quitPosted || script.runaway) return;
    FrameStep();
    if (!waitState.LineCanRun()) return;
  }
}

// "advance MS": the virtual clock moves one millisecond at a time, with a
// waiting pass each millisecond and the lines that the pass lets run.
void Advance(int ms) {
  RunLines();
  for (int i = 0; i < ms && !shellState.quitPosted && !script.runaway; ++i) {
    DispatchEvents();
    if (shellState.quitPosted) return;
    Headless().AdvanceClock(1);
    if (!waitState.LineCanRun()) FrameStep();
    RunLines();
  }
}

// Without --shots the shot is not written: the current folder is the
// game's own, which a test run must leave as it was.
void WriteShot(const RunOptions& options, const std::string& name) {
  if (options.shotsDir.empty()) return;
  std::vector<std::uint8_t> black(static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 3, 0);
  const std::vector<std::uint8_t>& frame = Headless().HasFrame() ? Headless().LastFrame() : black;
  const std::string path = options.shotsDir + "/" + name;
  if (!WritePng(path, frame.data(), kScreenWidth, kScreenHeight))
    std::fprintf(stderr, "kataribedori: cannot write %s\n", path.c_str());
}

void Push(EventType type, int key = 0, int x = 0, int y = 0, std::string text = {}) {
  Headless().PushEvent(InputEvent{type, key, x, y, std::move(text)});
  DispatchEvents();
}

}  // namespace

bool ParseInputScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line = line.substr(start);
    ScriptCommand c;
    c.lineNumber = number;
    std::size_t space = line.find_first_of(" \t");
    c.verb = line.substr(0, space);
    if (space != std::string::npos) {
      std::size_t argStart = line.find_first_not_of(" \t", space);
      c.argument = argStart == std::string::npos ? "" : line.substr(argStart);
    }
    while (!c.argument.empty() && (c.argument.back() == ' ' || c.argument.back() == '\t') && c.verb != "text")
      c.argument.pop_back();
    auto fail = [&](const std::string& why) {
      error = "script line " + std::to_string(number) + ": " + why + ": " + line;
      return false;
    };
    std::istringstream args(c.argument);
    MessageAnswer answer;
    if (c.verb == "wait" || c.verb == "quit") {
      if (!c.argument.empty()) return fail("takes no argument");
    } else if (c.verb == "advance") {
      if (!(args >> c.a) || c.a < 0 || !args.eof()) return fail("needs a number of milliseconds");
    } else if (c.verb == "click" || c.verb == "rclick" || c.verb == "move") {
      if (!(args >> c.a >> c.b) || !args.eof()) return fail("needs X and Y");
    } else if (c.verb == "key") {
      c.a = KeyCode(c.argument);
      if (c.a == 0) return fail("unknown key");
    } else if (c.verb == "text") {
    } else if (c.verb == "answer") {
      if (!ParseAnswer(c.argument, answer)) return fail("needs ok, yes, no or cancel");
    } else if (c.verb == "shot") {
      if (c.argument.empty() || c.argument.find('/') != std::string::npos) return fail("needs a file name");
    } else {
      return fail("unknown command");
    }
    commands.push_back(c);
  }
  return true;
}

bool PrepareHeadlessScript(const RunOptions& options) {
  script = HeadlessScript{};
  if (!options.scriptPath.empty()) {
    std::ifstream file(options.scriptPath, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "kataribedori: cannot read the script %s\n", options.scriptPath.c_str());
      return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    std::string error;
    if (!ParseInputScript(text.str(), script.commands, error)) {
      std::fprintf(stderr, "kataribedori: %s\n", error.c_str());
      return false;
    }
  }
  // The answers before the first other command are for start-up's boxes.
  while (script.next < script.commands.size() && script.commands[script.next].verb == "answer") {
    MessageAnswer a = MessageAnswer::Ok;
    ParseAnswer(script.commands[script.next].argument, a);
    Headless().QueueAnswer(a);
    ++script.next;
  }
  return true;
}

int RunHeadlessScript(const RunOptions& options) {
  for (; script.next < script.commands.size() && !shellState.quitPosted; ++script.next) {
    const ScriptCommand& c = script.commands[script.next];
    if (c.verb == "wait")
      RunUntilWaiting();
    else if (c.verb == "advance")
      Advance(c.a);
    else if (c.verb == "click")
      Push(EventType::LeftButtonDown, 0, c.a, c.b);
    else if (c.verb == "rclick")
      Push(EventType::RightButtonDown, 0, c.a, c.b);
    else if (c.verb == "move")
      Push(EventType::MouseMove, 0, c.a, c.b);
    else if (c.verb == "key")
      Push(EventType::KeyDown, c.a);
    else if (c.verb == "text") {
      Headless().PushEvent(InputEvent{EventType::TextInput, 0, 0, 0, c.argument});
      Push(EventType::KeyDown, vk::kReturn);
    } else if (c.verb == "answer") {
      MessageAnswer a = MessageAnswer::Ok;
      ParseAnswer(c.argument, a);
      Headless().QueueAnswer(a);
    } else if (c.verb == "shot")
      WriteShot(options, c.argument);
    else if (c.verb == "quit")
      Push(EventType::CloseRequest);
    if (script.runaway) {
      std::fprintf(stderr, "kataribedori: %ld lines ran without a wait (script line %d)\n", kRunawayLines,
                   c.lineNumber);
      EndGame();
      return kRunawayExitCode;
    }
  }
  // The end of the script closes the window.
  if (!shellState.quitPosted) Push(EventType::CloseRequest);
  return shellState.quitValue;
}

}  // namespace kb
