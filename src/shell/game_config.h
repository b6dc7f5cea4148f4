#pragma once
// Start-up settings: the defaults, what the configuration file "mero.ini"
// changes, and the answers to the start-up questions.  Set before the first
// line runs and unchanged afterwards.
#include "base/fixed_text.h"
#include "base/sjis_literal.h"

namespace kb {

enum class Mp3Mode { Internal, MediaControl };

inline constexpr int kCaptionBytes = 256;
inline constexpr int kFolderBytes = 260;
inline constexpr int kFaceBytes = 64;

struct GameConfig {
  int windowMode = 0;    // 0 full screen, 1 window, 2 ask at start-up
  int colourDepth = 16;  // 24 only through the plain-mode question
  FixedText<kCaptionBytes> caption{"簡単ゲーム作成アプリケーション 「カタリベドリ」（Ver 01.73）"_sj};
  FixedText<kFolderBytes> gameFolder;  // CP932, without a trailing "\"
  int noticeOff = 0;
  int askMp3Mode = 0;
  int saveKey = 0;
  int waveChannelKey = 0;
  Mp3Mode mp3Mode = Mp3Mode::Internal;
  int singleChannelNoticePending = 0;
  int scrambledSaves = 0;
  FixedText<kFaceBytes> textFace, variableFace, typingFace;  // the answers' face is the choice window's
};

extern GameConfig gameConfig;

}  // namespace kb
