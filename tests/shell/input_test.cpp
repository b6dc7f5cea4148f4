// The window procedure: what each key, click and pointer event does to the
// wait flags, the choice highlight and the program counter, in-process on
// the headless platform.  The choice, text window, scroll and variable
// hooks are small fakes that log what was asked of them.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "display/surface_set.h"
#include "platform/headless_platform.h"
#include "script/call_stack.h"
#include "script/scenario_store.h"
#include "script/waits.h"
#include "shell/frame_step.h"
#include "shell/game_config.h"
#include "shell/packed_mode.h"
#include "shell/shell_state.h"
#include "shell/startup.h"
#include "shell/wait_state.h"
#include "shell/window_proc.h"
#include "support/engine_fixture.h"
#include "text/message_window.h"

using namespace kb;

namespace {

// --- the fakes ----------------------------------------------------------------

struct Fakes {
  int highlighted = 0;
  bool textHidden = false;
  bool pseudoCursor = false;
  std::string log;
};
Fakes fakes;

void Log(const std::string& what) { fakes.log += what + " "; }

// A text choice of three answers in rows 10 pixels high from y = 10; a
// picture choice whose answers are the colours at x = 100, 200, 300.
// Answer 3's label is missing: picking it fails.
void InstallFakes() {
  fakes = Fakes{};
  inputHooks.choiceAnswerCount = [] { return 3; };
  inputHooks.highlightedAnswer = [] { return fakes.highlighted; };
  inputHooks.setHighlightedAnswer = [](int n) { fakes.highlighted = n; };
  inputHooks.choiceAt = [](int, int y) { return y >= 10 && y < 40 ? y / 10 : 0; };
  inputHooks.classifyBackScreenColour = [](int x, int) { return x >= 100 && x < 400 ? x / 100 : -1; };
  inputHooks.pictureChoiceHover = [](int, int) { Log("hover"); };
  inputHooks.hideHoverPicture = [] { Log("hide"); };
  inputHooks.disarmChoiceTimer = [] { Log("disarm"); };
  inputHooks.chooseAnswer = [] {
    Log("choose");
    const int answer = fakes.highlighted;
    fakes.highlighted = 0;
    return answer == 3 ? -1 : 30 + answer;
  };
  inputHooks.toggleTextWindow = [] { fakes.textHidden = !fakes.textHidden; };
  inputHooks.pseudoCursorOn = [] { return fakes.pseudoCursor; };
  inputHooks.typingKey = [](int key) { Log("typing:" + std::to_string(key)); };
  waitHooks.storeNumericVariable = [](std::string_view name, std::int32_t value) {
    if (name != "vx" && name != "vy") return false;
    Log(std::string(name) + "=" + std::to_string(value));
    return true;
  };
  waitHooks.stopScroll = [](ScrollLayer layer) {
    Log(layer == ScrollLayer::Picture  ? "stop:picture"
        : layer == ScrollLayer::Figure ? "stop:figure"
                                       : "stop:foreground");
  };
  waitHooks.scrollOffset = [](ScrollLayer, int& x, int& y) {
    x = 12;
    y = 34;
  };
}

// --- the state as words ---------------------------------------------------------

struct FlagName {
  const char* name;
  int WaitState::*flag;
};
const FlagName kFlags[] = {
    {"halted", &WaitState::halted},
    {"clickWait", &WaitState::clickWait},
    {"choiceActive", &WaitState::choiceActive},
    {"backChoiceActive", &WaitState::backChoiceActive},
    {"timeWait", &WaitState::timeWait},
    {"fadeInRunning", &WaitState::fadeInRunning},
    {"fadeOutRunning", &WaitState::fadeOutRunning},
    {"overlapRunning", &WaitState::overlapRunning},
    {"pictureScrollClickWait", &WaitState::pictureScrollClickWait},
    {"figureScrollClickWait", &WaitState::figureScrollClickWait},
    {"foregroundScrollClickWait", &WaitState::foregroundScrollClickWait},
    {"clickPositionWait", &WaitState::clickPositionWait},
    {"charByCharPageWait", &WaitState::charByCharPageWait},
    {"typingGameRunning", &WaitState::typingGameRunning},
};

// Other state the rules read or change, by the same kind of word:
// restarted, packed, skipOff, view (the back-screen view), textHidden,
// menuSet (a right-click scenario is set), inMenu (it runs), dialogueBlock,
// textPage, quit (the game has ended), hN (answer N highlighted).
struct Extra {
  const char* name;
  int* field;
};
std::vector<Extra> Extras() {
  return {{"restarted", &frameState.restarted},
          {"packed", &packedMode.packed},
          {"view", &displayState.backScreenView},
          {"menuSet", &callStack.rightClickSet},
          {"inMenu", &callStack.rightClickActive},
          {"dialogueBlock", &dialogueBox.blockOpen},
          {"textPage", &textPage.open},
          {"quit", &shellState.quitPosted}};
}

void SetState(const std::string& words) {
  std::istringstream in(words);
  std::string w;
  while (in >> w) {
    bool known = false;
    for (const FlagName& f : kFlags)
      if (w == f.name) waitState.*f.flag = 1, known = true;
    for (const Extra& e : Extras())
      if (w == e.name) *e.field = 1, known = true;
    if (w == "skipOff") waitSettings.skipAllowed = 0, known = true;
    if (w == "textHidden") fakes.textHidden = true, known = true;
    if (w[0] == 'h' && w.size() > 1 && (std::isdigit(static_cast<unsigned char>(w[1])) || w[1] == '-'))
      fakes.highlighted = std::stoi(w.substr(1)), known = true;
    ASSERT_TRUE(known) << w;
  }
}

std::string DescribeState() {
  std::string out;
  auto add = [&](const std::string& w) { out += (out.empty() ? "" : " ") + w; };
  for (const FlagName& f : kFlags)
    if (waitState.*f.flag) add(f.name);
  if (fakes.highlighted) add("h" + std::to_string(fakes.highlighted));
  for (const Extra& e : Extras())
    if (*e.field) add(e.name);
  if (!waitSettings.skipAllowed) add("skipOff");
  if (fakes.textHidden) add("textHidden");
  return out;
}

// --- events -----------------------------------------------------------------------

InputEvent Key(int key) { return {EventType::KeyDown, key, 0, 0, {}}; }
InputEvent Click(int x, int y) { return {EventType::LeftButtonDown, 0, x, y, {}}; }
InputEvent RightClick() { return {EventType::RightButtonDown, 0, 5, 5, {}}; }
InputEvent Move(int x, int y) { return {EventType::MouseMove, 0, x, y, {}}; }
InputEvent Close() { return {EventType::CloseRequest, 0, 0, 0, {}}; }
const InputEvent kEnter = Key(vk::kReturn), kSpace = Key(vk::kSpace), kUp = Key(vk::kUp),
                 kDown = Key(vk::kDown);

constexpr int kStartLine = 5;
// Lines 5 and 6 name the variables a click position or a scroll stores.
constexpr const char* kScenario = "//\n//\n//\n//\n//\nvx\nvy\n＃印\n";

class InputTest : public kbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    InstallFakes();
    game->WriteText("menu.txt", "＃クリック待ち\n");
  }
  void TearDown() override {
    inputHooks = InputHooks{};
    waitHooks = WaitHooks{};
    EngineTest::TearDown();
  }
  // The state the words name, as DescribeState gives it back.
  static std::string Described(const std::string& words) {
    ResetAllState();
    fakes.highlighted = 0;
    fakes.textHidden = false;
    SetState(words);
    return DescribeState();
  }
  // A fresh game standing at line 5 with the state the words name.
  void Fresh(const std::string& words) {
    ResetAllState();
    StartDisplay();
    CreateSurfaces();
    PrepareSurfaces();
    LoadScenarioText(kScenario);
    programCounter = kStartLine;
    callStack.rightClickName.Set("menu.txt");
    fakes.highlighted = 0;
    fakes.textHidden = false;
    fakes.log.clear();
    SetState(words);
  }
};

struct Case {
  const char* before;
  std::vector<InputEvent> events;
  const char* after;
  int counter;      // the program counter after (it starts at 5)
  const char* log;  // what the fakes were asked, in order
};

// Each rule of Enter, the left and the right button, each row of the key
// table, and the mouse move.
const std::vector<Case> kCases = {
    // Enter, first rule that applies.
    {"halted clickWait restarted", {kEnter}, "restarted", 5, ""},
    {"halted clickWait clickPositionWait", {kEnter}, "clickPositionWait", 5, ""},
    {"clickPositionWait pictureScrollClickWait", {kEnter}, "clickPositionWait pictureScrollClickWait", 5, ""},
    {"pictureScrollClickWait figureScrollClickWait",
     {kEnter},
     "figureScrollClickWait",
     7,
     "stop:picture vx=12 vy=34 "},
    {"figureScrollClickWait foregroundScrollClickWait",
     {kEnter},
     "foregroundScrollClickWait",
     7,
     "stop:figure vx=12 vy=34 "},
    {"foregroundScrollClickWait backChoiceActive",
     {kEnter},
     "backChoiceActive",
     7,
     "stop:foreground vx=12 vy=34 "},
    {"clickWait backChoiceActive h2", {kEnter}, "clickWait backChoiceActive h2", 5, ""},
    {"clickWait choiceActive h2", {kEnter}, "", 33, "disarm choose "},
    {"clickWait choiceActive h3", {kEnter}, "", 6, "disarm choose "},  // the label is missing
    {"clickWait choiceActive", {kEnter}, "choiceActive", 5, ""},
    {"clickWait charByCharPageWait restarted", {kEnter}, "", 5, ""},
    {"timeWait", {kEnter}, "timeWait", 5, ""},

    // Left button, first rule that applies.
    {"halted clickWait restarted", {Click(1, 1)}, "restarted", 5, ""},
    {"halted clickWait clickPositionWait", {Click(1, 1)}, "clickPositionWait", 5, ""},
    {"clickPositionWait pictureScrollClickWait", {Click(7, 8)}, "pictureScrollClickWait", 7, "vx=7 vy=8 "},
    {"figureScrollClickWait choiceActive", {Click(0, 25)}, "choiceActive", 7, "stop:figure vx=12 vy=34 "},
    {"clickWait backChoiceActive", {Click(250, 0)}, "", 33, "hide disarm choose "},
    {"clickWait backChoiceActive h1", {Click(50, 0)}, "clickWait backChoiceActive h-1", 5, ""},
    {"clickWait choiceActive", {Click(0, 25)}, "", 33, "disarm choose "},
    {"clickWait choiceActive h2", {Click(0, 90)}, "clickWait choiceActive", 5, ""},
    {"clickWait charByCharPageWait restarted", {Click(1, 1)}, "", 5, ""},
    {"clickWait timeWait", {Click(1, 1)}, "timeWait", 5, ""},

    // Right button: only during an ordinary click wait.
    {"clickWait menuSet", {RightClick()}, "menuSet inMenu", -1, ""},
    {"clickWait menuSet choiceActive", {RightClick()}, "clickWait menuSet choiceActive", 5, ""},
    {"clickWait menuSet backChoiceActive", {RightClick()}, "clickWait menuSet backChoiceActive", 5, ""},
    {"clickWait menuSet overlapRunning", {RightClick()}, "clickWait menuSet overlapRunning", 5, ""},
    {"clickWait menuSet fadeInRunning", {RightClick()}, "clickWait menuSet fadeInRunning", 5, ""},
    {"clickWait menuSet fadeOutRunning", {RightClick()}, "clickWait menuSet fadeOutRunning", 5, ""},
    {"clickWait menuSet dialogueBlock", {RightClick()}, "clickWait menuSet dialogueBlock", 5, ""},
    {"clickWait menuSet textPage", {RightClick()}, "clickWait menuSet textPage", 5, ""},
    {"clickWait menuSet inMenu", {RightClick()}, "clickWait menuSet inMenu", 5, ""},
    {"menuSet", {RightClick()}, "menuSet", 5, ""},
    {"clickWait", {RightClick()}, "clickWait", 5, ""},

    // The key table.
    {"clickWait", {Key(vk::kShift)}, "clickWait", 5, ""},
    {"", {Key(vk::kControl)}, "textHidden", 5, ""},
    {"", {Key(vk::kControl), Key(vk::kControl)}, "", 5, ""},
    {"halted clickWait", {Key(vk::kEscape)}, "halted clickWait quit", 5, ""},
    {"clickWait", {kSpace}, "", 5, ""},
    {"clickWait skipOff", {kSpace}, "clickWait skipOff", 5, ""},
    {"halted clickWait", {kSpace}, "halted", 5, ""},
    {"clickWait choiceActive timeWait", {kSpace}, "choiceActive timeWait", 5, ""},
    {"choiceActive", {kUp}, "choiceActive h1", 5, ""},
    {"choiceActive h3", {kUp}, "choiceActive h2", 5, ""},
    {"choiceActive h1", {kUp}, "choiceActive h1", 5, ""},
    {"backChoiceActive h2", {kUp, kDown}, "backChoiceActive h2", 5, ""},
    {"choiceActive h1", {kDown}, "choiceActive h2", 5, ""},
    {"choiceActive h3", {kDown}, "choiceActive h3", 5, ""},
    {"", {Key(vk::kF1)}, "view", 5, ""},
    {"view", {Key(vk::kF1)}, "", 5, ""},
    {"packed", {Key(vk::kF1)}, "packed", 5, ""},
    {"typingGameRunning", {Key('A'), Key('7')}, "typingGameRunning", 5, "typing:65 typing:55 "},
    {"clickWait", {Key('A')}, "clickWait", 5, ""},

    // Mouse moves highlight the answer under the pointer and keep it when
    // the pointer leaves the answers.
    {"clickWait choiceActive", {Move(0, 25)}, "clickWait choiceActive h2", 5, ""},
    {"clickWait choiceActive h2", {Move(0, 90)}, "clickWait choiceActive h2", 5, ""},
    {"clickWait backChoiceActive", {Move(250, 5)}, "clickWait backChoiceActive", 5, "hover "},
    {"clickWait", {Move(0, 25)}, "clickWait", 5, ""},

    // The close box.
    {"clickWait", {Close()}, "clickWait quit", 5, ""},
};

TEST_F(InputTest, EventsChangeTheWaitStateByTheRules) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string("before: ") + c.before + ", event " +
                 std::to_string(static_cast<int>(c.events[0].type)) + "/" + std::to_string(c.events[0].key));
    const std::string expected = Described(c.after);
    Fresh(c.before);
    for (const InputEvent& e : c.events) HandleEvent(e);
    EXPECT_EQ(DescribeState(), expected);
    EXPECT_EQ(programCounter, c.counter);
    EXPECT_EQ(fakes.log, c.log);
  }
}

TEST_F(InputTest, WithoutTheChoiceHooksAChoiceTakesNoAnswer) {
  // Until the choices are wired up, a click on an open choice finds no
  // answer and Enter finds none highlighted.
  inputHooks = InputHooks{};
  Fresh("clickWait choiceActive");
  HandleEvent(Click(0, 25));
  HandleEvent(kEnter);
  EXPECT_EQ(DescribeState(), "choiceActive");
  EXPECT_EQ(programCounter, kStartLine);
  Fresh("clickWait backChoiceActive");
  HandleEvent(Click(250, 0));
  EXPECT_EQ(DescribeState(), "clickWait backChoiceActive");
}

TEST_F(InputTest, PointerAndCursor) {
  auto& platform = static_cast<HeadlessPlatform&>(GetPlatform());
  Fresh("clickWait");
  gameConfig.windowMode = 1;

  HandleEvent(Move(33, 44));
  EXPECT_EQ(pointerState.lastX, 33);
  EXPECT_EQ(pointerState.lastY, 44);

  // Without the pseudo-cursor the arrow always shows and the pointer test
  // changes nothing.
  platform.SetPointerOverWindow(false);
  FrameStep();
  EXPECT_EQ(pointerState.pointerInside, 1);
  EXPECT_TRUE(platform.CursorVisible());

  // With it, the system cursor hides while the pointer is inside.
  fakes.pseudoCursor = true;
  platform.SetPointerOverWindow(true);
  FrameStep();
  EXPECT_FALSE(platform.CursorVisible());
  // Outside the window's rectangle the pointer test lowers pointer inside
  // and the arrow comes back; coming back over the window does not raise
  // it, only the next event does.
  platform.SetPointerOverWindow(false);
  FrameStep();
  EXPECT_EQ(pointerState.pointerInside, 0);
  EXPECT_TRUE(platform.CursorVisible());
  platform.SetPointerOverWindow(true);
  FrameStep();
  EXPECT_EQ(pointerState.pointerInside, 0);
  HandleEvent(Move(1, 1));
  FrameStep();
  EXPECT_EQ(pointerState.pointerInside, 1);
  EXPECT_FALSE(platform.CursorVisible());

  // Leaving over the frame shows the arrow at once.
  HandleEvent({EventType::PointerLeft, 0, 0, 0, {}});
  EXPECT_EQ(pointerState.pointerInside, 0);
  EXPECT_TRUE(platform.CursorVisible());

  // Full screen: the pointer test does nothing.
  gameConfig.windowMode = 0;
  HandleEvent(Move(1, 1));
  platform.SetPointerOverWindow(false);
  FrameStep();
  EXPECT_EQ(pointerState.pointerInside, 1);
  EXPECT_FALSE(platform.CursorVisible());
}

}  // namespace
