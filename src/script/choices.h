#pragma once
// Choices: a list of answers waits for the player, who picks one with the
// mouse or the keys (or lets a time limit run out), and the scenario goes on
// at the label of that answer inside the choice's block ("＃1", "＃2" …, and
// "＃0" for the time limit).
//
// Two kinds exist.  The text choice ("＃選択") is a window of one to three
// columns of answers, drawn by the composition from the state kept here.
// The picture choice ("＃選択裏画面") has no window: each answer is a colour
// of a hidden picture of the screen's size (the back screen), and the answer
// is the colour under the pointer.
//
// The window settings ("＃選択位置", the frame, the highlight colour, the
// face) last for the whole run; ResetChoiceState() restores every start
// value (start-up and tests).
#include <array>
#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"
#include "base/sjis_literal.h"
#include "platform/text_renderer.h"

namespace kb {

struct Surface;

inline constexpr int kMaxAnswers = 27;
inline constexpr int kMaxChoiceMargin = 40;
inline constexpr int kChoiceFontHeight = 18;

// The text choice's window.  Whether it is open is waitState.choiceActive.
struct ChoiceWindow {
  int x = 100, y = 200;           // top-left corner on the screen
  int width = 400, height = 100;  // computed at each "＃選択" unless explicit
  int explicitSize = 0;           // "＃選択位置" gave the size (at most 9 answers then)
  int explicitWidth = 0, explicitHeight = 0;
  int inDialogueBox = 0;  // answers laid out inside the dialogue box
  int margin = 3;         // inner margin, at most 40
  int rowHeight = 20;
  int columnWidth = 160;  // of each column with 10 answers or more
  int columnGap = 5;
  int rowsPerColumn = 9;                    // computed for 9 answers or more
  int count = 0;                            // answers of the open choice
  int highlighted = 0;                      // the answer under the pointer or the keys; 0 none
  int widest = 0;                           // widest answer text in pixels
  int customFrame = 0;                      // "＃選択枠" loaded a frame picture
  int barR = 255, barG = 0, barB = 0;       // the highlight colour ("＃選択反転色")
  FixedText<256> face{"ＭＳ ゴシック"_sj};  // the answers' face ("＃選択フォント")
  FontHandle font = kNoFont;                // the answer font, made anew at each "＃選択"
};

// The picture choice.  Whether it waits is waitState.backChoiceActive.
struct BackScreenChoice {
  int count = 0;
  // Per answer (index 0 is answer 1): the colour name ("なし" when unused),
  // the hover sound and the hover picture (empty when not given).
  std::array<FixedText<256>, kMaxAnswers> names;
  std::array<FixedText<256>, kMaxAnswers> sounds;
  std::array<FixedText<256>, kMaxAnswers> pictures;
  int beepOff = 0;     // no beep for answers without a sound ("＃音設定")
};

struct ChoiceTimer {
  int armed = 0;
  int limit = 0;            // milliseconds
  std::uint32_t start = 0;  // tick count when the choice opened
};

extern ChoiceWindow choiceWindow;
extern BackScreenChoice backScreenChoice;
extern ChoiceTimer choiceTimer;

void ResetChoiceState();

// --- Command handlers (the command table's rows) ---------------------------
void HandleTextChoice();        // "＃選択"; the choice then holds a click wait
void HandleBackScreenChoice();  // "＃選択裏画面"; the same
void HandleChoicePosition();    // "＃選択位置"
void HandleChoiceFrame();       // "＃選択枠"
void HandleChoiceFont();        // "＃選択フォント"
void HandleChoiceHighlight();   // "＃選択反転色"

// The two openers without the click wait the table adds.
void OpenChoices();
void OpenBackScreenChoices();

// --- Layout and hit tests ----------------------------------------------------
struct Point {
  int x = 0, y = 0;
};
// Where answer k (0-based) of the open text choice stands inside choiceText
// (and so relative to the window's corner).
Point AnswerPosition(int k);
// The answer of the text choice at a screen point, or 0.
int ChoiceAt(int mx, int my);
// The answer of the picture choice whose colour lies under a screen point,
// or -1.
int ClassifyBackScreenColour(int mx, int my);
// The colour name of a pixel colour (8-bit components): one of the 27.
std::string_view BackScreenColourName(int r, int g, int b);

// --- Time limit ---------------------------------------------------------------
// Arms the timer from "＃時間（ms）＃" on the command line; false after a
// report.
bool SetChoiceTimer(std::string_view commandLine);
// Run by the frame step on every pass: an expired limit closes the choice
// and continues after the block's "＃0".
void ChoiceTimerTick();

// --- Selection ----------------------------------------------------------------
// The line of the highlighted answer's label, or -1 after a report.  The
// timer is disarmed and the highlight reset either way.
int ChooseAnswer();

// --- Input ------------------------------------------------------------------
// The window procedure's rules (Enter, the arrows, the left button, the
// pointer) reach the choices through its input hooks; this fills in the
// choice entries: the answer count, the highlight, ChoiceAt,
// ClassifyBackScreenColour, the picture choice's hover, hiding the hover
// picture, disarming the timer and ChooseAnswer.
void InstallChoiceInput();
int ChoiceAnswerCount();  // answers of the open text choice
int HighlightedAnswer();  // 0 for none (-1: a picture choice's pointer on no answer)
void SetHighlightedAnswer(int n);
void HideHoverPicture();
void DisarmChoiceTimer();
// The pointer moved during a picture choice: the answer under it is
// highlighted, its picture shown (loaded when the answer changed), and
// moving onto another answer plays its sound or beeps.
void BackScreenChoiceHover(int x, int y);
// Left and right move the highlight to the same row of the neighbouring
// column of a text choice of two or three columns (with nothing highlighted,
// to the first answer).
void ChoiceKeyLeft();
void ChoiceKeyRight();

// --- Composition --------------------------------------------------------------
// The open text choice onto back: darkened backing, frame, highlight bar,
// answers; inside the dialogue box, the box's frame over them.  translucency
// is the composition's translucency switch (0 draws the backing black).
// Stores the window size, limited to the screen, back into choiceWindow.
void ComposeTextChoice(Surface& back, int translucency = 1);
// A text choice is open with its answers inside the dialogue box: the
// composition then leaves the dialogue box itself out.
bool ChoicesInDialogueBox();

}  // namespace kb
