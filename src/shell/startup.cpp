#include "shell/startup.h"

#include <cstdio>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "display/layers.h"
#include "display/surface_set.h"
#include "platform/cp932.h"
#include "platform/crt.h"
#include "platform/files.h"
#include "platform/headless_platform.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/trace.h"
#include "script/call_stack.h"
#include "script/choices.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "script/waits.h"
#include "shell/config.h"
#include "shell/game_config.h"
#include "shell/main_loop.h"
#include "shell/packed_mode.h"
#include "shell/shell_state.h"
#include "shell/shutdown.h"
#include "shell/wait_state.h"
#include "shell/window_proc.h"
#include "text/message_window.h"
#include "vars/variables.h"

namespace kb {

GameConfig gameConfig;

namespace {

// The deepest game folder path that starts: its length less one is compared
// with 150.
constexpr int kMaxFolderBytes = 151;

MessageAnswer Box(std::string_view text, MessageButtons buttons = MessageButtons::Ok) {
  return GetPlatform().ShowMessageBox(gameConfig.caption.view(), text, buttons);
}

bool FolderDepthAllowed(const std::string& hostFolder) {
  std::string folder = Utf8ToCp932(hostFolder);
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  gameConfig.gameFolder.Set(folder);
  if (static_cast<int>(folder.size()) <= kMaxFolderBytes) return true;
  Box(Format(
      "%s\n%s\n\n%s\n%s"_sj,
      {"●このゲームのフォルダのある位置が深すぎるか、"_sj, "間に長い名前のフォルダをはさんでいます。"_sj,
       "ゲームのフォルダを「ﾃﾞｽｸﾄｯﾌﾟ」などの"_sj, "浅い階層に移動する事をお勧めします。"_sj}));
  Box(Format("%s\n\n%s\n%s"_sj,
             {"●安全のため終了します。"_sj, "終了後にゲームのフォルダを「ﾃﾞｽｸﾄｯﾌﾟ」などの"_sj,
              "浅い階層に移動してからプレイしてください。"_sj}));
  return false;
}

// Finds the start scenario: "start.st1" makes a packed game; "start.txt"
// is a game being written (plain mode).  False when there is neither.
bool DetectStartFile() {
  if (ProbePath("start.st1") == 2) {
    EnterPackedMode();
    callStack.names[0].Set("start.st1");
    return true;
  }
  if (ProbePath("start.txt") == 2) {
    callStack.names[0].Set("start.txt");
    Box(Format("%s%s%s"_sj, {"このソフトは\n"_sj, "簡単ゲーム作成アプリケーション \n"_sj,
                             "「カタリベドリVer 1.73」を使用しています。\n\n"_sj}));
    return true;
  }
  Box("startシナリオがありません"_sj);
  return false;
}

void ShowDisplayNotice() {
  Box("●お楽しみいただく前に\n\nこのソフトは「ダイレクトＸ」を使っています。\nほとんどのマシンでは「ダイレクトＸ」は正常に動きますが、\n\n極めて稀に「一部のマシン」と「ダイレクトＸ」の\n相性が悪い場合があります。\n\nもしプレイ中に以下の様な現象が出ましたら、\n「グラフィックス」の「ハードウェア・アクセラレータ」を\n「なし」にしてください。\n\n・ＭＰ３などの音が、途切れ途切れに鳴る\n・マウスを動かすと画像が乱れる\n・画像が正しく表示されない\n\nなお、繰り返しますが、\nほとんどのマシンでは問題は起こりませんので\n安心してプレイしてくださいね。\n"_sj);
}

void AskMp3Mode() {
  MessageAnswer a = Box(
      "●このゲームはＭＰ３を使用しています。\n\n殆どのマシンでは問題ありませんが、\nごく一部のマシンではＭＰ３の再生に\n問題がある場合があります。\n\n万一、グラフィック・アクセラレータを\n「なし」にしても問題が解決しなかった場合は\nＭＰ３の再生仕様を変えてプレイしてみてください。\n\n通常のＭＰ３再生仕様を使いますか？\n（特に問題がない場合は「はい」を押して下さい）\n"_sj,
      MessageButtons::YesNo);
  gameConfig.mp3Mode = a == MessageAnswer::Yes ? Mp3Mode::Internal : Mp3Mode::MediaControl;
}

// Plain mode's colour question, asked only for full screen.  False on
// Cancel.
bool AskColourDepth() {
  MessageAnswer a = Box(
      "●画面カラーの設定\n\nゲーム画面は２４ビットを推奨しますが、１６ビットもサポートしています。\n\nゲーム画面を２４ビットにしますか？\n（いいえを選ぶと１６ビットになります）\n\n（キャンセルを押すとゲームを中止します）\n\n"_sj,
      MessageButtons::YesNoCancel);
  if (a == MessageAnswer::Cancel) return false;
  gameConfig.colourDepth = a == MessageAnswer::Yes ? 24 : 16;
  return true;
}

// Opens the window and the display.  False (after the messages) refuses
// the start.
bool OpenWindowAndDisplay(const RunOptions& options) {
  Platform& platform = GetPlatform();
  const bool windowed = gameConfig.windowMode != 0;
  if (!platform.OpenDisplay(windowed, gameConfig.caption.view())) {
    ShowDisplayFailure();
    return false;
  }
  shellState.windowOpen = 1;
  if (windowed) {
    const int depth = platform.DesktopDepth();
    if (depth != 16) {
      Box(Format(
          "現在の画面は %dビットです\nこのソフトは１６ビットカラーでお楽しみください\n\n安全の為終了します。"_sj,
          {depth}));
      ReleaseDisplay();
      return false;
    }
  }
  if (gameConfig.colourDepth == 24)
    displayState.layout = kLayout888;
  else
    displayState.layout = options.pixelFormat555 ? kLayout555 : kLayout565;
  return StartDisplay();
}

std::string ProgramFolder() {
  std::string exe = ExecutablePath();
  std::size_t slash = exe.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

}  // namespace

void ResetAllState() {
  waitState = WaitState{};
  frameState = FrameState{};
  gameConfig = GameConfig{};
  packedMode = PackedMode{};
  callStack.depth = 0;
  for (auto& n : callStack.names) n.Clear();
  callStack.returnLines.fill(0);
  callStack.rightClickName.Clear();
  callStack.rightClickSet = callStack.rightClickActive = callStack.rightClickEntryDepth = 0;
  mediaPaths = MediaPaths{};
  errorReporter = ErrorReporter{};
  waitSettings = WaitSettings{};
  shellState = ShellState{};
  pointerState = PointerState{};
  ResetMessageWindow();
  ResetChoiceState();
  declarationState = DeclarationState{};
  ClearVariables();
  displayState = DisplayState{};
  layerState = LayerState{};
  ReleaseSurfaces();
  scenarioStore.lineCount = 0;
  programCounter = 0;
}

int RunProgram(const RunOptions& options) {
  // 1. The game folder becomes the current folder.
  std::string folder = options.gameFolder.empty() ? ProgramFolder() : options.gameFolder;
  if (!HostFolderExists(folder)) {
    std::fprintf(stderr, "kataribedori: no such folder: %s\n", folder.c_str());
    return 2;
  }
  folder = AbsoluteHostPath(folder);
  SetHostCurrentFolder(folder);
  SetGameFolder(folder);

  // 2. The folder-depth check.
  if (!FolderDepthAllowed(folder)) return 0;

  // 3. The sweeper switch.
  if (options.sweep) return RunSweeper(options.sweepProcessId);

  // 4. Variables, random seed, the call stack's first level.
  ClearVariables();
  CrtSeed(static_cast<std::uint32_t>(GetPlatform().WallClockSeconds()));
  callStack.depth = 0;
  callStack.returnLines[0] = 0;

  // 5. The start file.
  if (!DetectStartFile()) return 0;

  // 6. The configuration file.
  ReadConfiguration();

  // 7, 8. The display notice and the MP3 question.
  if (!gameConfig.noticeOff) ShowDisplayNotice();
  if (gameConfig.askMp3Mode) AskMp3Mode();

  // 9. Wave channels: the mixer offers as many as the game plays, so the
  // single-channel notice is never armed.  Plain mode then asks for the
  // colour depth of a full-screen game.
  if (!packedMode.packed && gameConfig.windowMode == 0 && !AskColourDepth()) return 0;

  // 11. The window and the display.
  if (!OpenWindowAndDisplay(options)) return 0;

  // 12. Font faces.
  gameConfig.textFace.Set("ＭＳ Ｐゴシック"_sj);
  choiceWindow.face.Set("ＭＳ ゴシック"_sj);
  gameConfig.variableFace.Set("ＭＳ ゴシック"_sj);
  gameConfig.typingFace.Set("ＭＳ Ｐゴシック"_sj);

  // 14. Scrambled saves.
  if (gameConfig.saveKey && packedMode.packed) gameConfig.scrambledSaves = 1;

  // 15, 16. The surfaces.
  if (!CreateSurfaces()) {
    ReleaseDisplay();
    return 0;
  }
  PrepareSurfaces();

  // 17, 18. The start scenario; a failure is already on the error page.
  LoadScenario(callStack.names[0].view());
  programCounter = 0;

  // 19. The main loop, with the input rules wired to the choices and Ctrl
  // to the text window.
  InstallChoiceInput();
  inputHooks.toggleTextWindow = ToggleTextWindowHidden;
  int code = RunMainLoop(options);
  ReleaseDisplay();
  return code;
}

}  // namespace kb
