// The real platform: an SDL window with a streaming texture of the game
// screen, SDL's event queue and message boxes, and the wall clock.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/cp932.h"
#include "platform/headless_platform.h"
#include "platform/mixer.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/sdl_audio.h"
#include "platform/trace.h"

namespace kb {
namespace {

int VirtualKeyOf(const SDL_Keysym& key) {
  SDL_Keycode k = key.sym;
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return vk::kF1 + (k - SDLK_F1);
  switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vk::kReturn;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vk::kShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vk::kControl;
    case SDLK_ESCAPE: return vk::kEscape;
    case SDLK_SPACE: return vk::kSpace;
    case SDLK_LEFT: return vk::kLeft;
    case SDLK_UP: return vk::kUp;
    case SDLK_RIGHT: return vk::kRight;
    case SDLK_DOWN: return vk::kDown;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0;
  }
}

class SdlPlatform final : public Platform {
 public:
  explicit SdlPlatform(int desktopDepth)
      : start_(std::chrono::steady_clock::now()), desktopDepth_(desktopDepth) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS);
  }
  ~SdlPlatform() override {
    CloseDisplay();
    audio_.reset();
    SDL_Quit();
  }

  bool PollEvent(InputEvent& event) override {
    if (TerminationRequested() && !terminationSent_) {
      terminationSent_ = true;
      event = {EventType::CloseRequest, 0, 0, 0, {}};
      return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (Translate(e, event)) return true;
    }
    return false;
  }

  void WaitForEvent(std::uint32_t timeoutMs) override {
    SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs));
  }

  MessageAnswer ShowMessageBox(std::string_view caption, std::string_view text,
                               MessageButtons buttons) override {
    std::string c = Cp932ToUtf8(caption), t = Cp932ToUtf8(text);
    SDL_MessageBoxButtonData data[3];
    int n = 0;
    auto add = [&](int id, const char* label, Uint32 flags) { data[n++] = {flags, id, label}; };
    switch (buttons) {
      case MessageButtons::Ok:
        add(static_cast<int>(MessageAnswer::Ok), "OK",
            SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
      case MessageButtons::YesNo:
        add(static_cast<int>(MessageAnswer::Yes), "はい", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add(static_cast<int>(MessageAnswer::No), "いいえ", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
      case MessageButtons::YesNoCancel:
        add(static_cast<int>(MessageAnswer::Yes), "はい", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add(static_cast<int>(MessageAnswer::No), "いいえ", 0);
        add(static_cast<int>(MessageAnswer::Cancel), "キャンセル", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
    }
    SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, window_, c.c_str(), t.c_str(), n, data, nullptr};
    int pressed = data[0].buttonid;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
      // No way to show a dialog: say it on the terminal and take the
      // first button, as an unattended box would.
      std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
      pressed = data[0].buttonid;
    }
    if (pressed < 0) pressed = data[n - 1].buttonid;  // closed with Esc
    auto answer = static_cast<MessageAnswer>(pressed);
    Trace("messagebox", {TraceField::Text("caption", caption), TraceField::Text("text", text),
                         TraceField::Utf8("buttons", MessageButtonsName(buttons)),
                         TraceField::Utf8("answer", MessageAnswerName(answer))});
    return answer;
  }

  void Beep() override {
    Trace("beep", {});
    if (std::shared_ptr<Mixer> mixer = Audio()) mixer->Add(MakeBeepVoice());
  }

  std::uint32_t Ticks() override { return static_cast<std::uint32_t>(ElapsedMs()); }
  void Sleep(std::uint32_t ms) override { SDL_Delay(ms); }
  std::int64_t WallClockSeconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }
  std::int64_t ElapsedMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
        .count();
  }

  bool OpenDisplay(bool windowed, std::string_view captionCp932) override {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
      return false;
    }
    std::string caption = Cp932ToUtf8(captionCp932);
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (!windowed) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kScreenWidth,
                               kScreenHeight, flags);
    if (!window_) return false;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) return false;
    // The image keeps its aspect in any window size; pointer positions come
    // back in game-screen pixels.
    SDL_RenderSetLogicalSize(renderer_, kScreenWidth, kScreenHeight);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING, kScreenWidth,
                                 kScreenHeight);
    if (!texture_) return false;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    SDL_StartTextInput();
    return true;
  }

  void CloseDisplay() override {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
  }

  int DesktopDepth() override { return desktopDepth_; }

  void Present(const std::uint8_t* rgb) override {
    if (!renderer_) return;
    SDL_UpdateTexture(texture_, nullptr, rgb, kScreenWidth * 3);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  void ShowCursor(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

  bool PointerOverWindow() override {
    if (!window_) return false;
    int mx = 0, my = 0, wx = 0, wy = 0, w = 0, h = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetGlobalMouseState(&mx, &my);
    SDL_GetWindowPosition(window_, &wx, &wy);
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right);
    return mx >= wx - left && mx <= wx + w + right && my >= wy - top && my <= wy + h + bottom;
  }

  std::shared_ptr<Mixer> Audio() override {
    if (!audioTried_) {
      audioTried_ = true;
      audio_ = SdlAudioOutput::Open();
    }
    return audio_ ? audio_->mixer() : nullptr;
  }

  bool IsHeadless() const override { return false; }

 private:
  bool Translate(const SDL_Event& e, InputEvent& out) {
    switch (e.type) {
      case SDL_QUIT: out = {EventType::CloseRequest, 0, 0, 0, {}}; return true;
      case SDL_KEYDOWN: {
        int key = VirtualKeyOf(e.key.keysym);
        if (key == 0) return false;
        out = {EventType::KeyDown, key, 0, 0, {}};
        return true;
      }
      case SDL_MOUSEMOTION:
        out = {
            EventType::MouseMove, 0, Clamp(e.motion.x, kScreenWidth), Clamp(e.motion.y, kScreenHeight), {}};
        return true;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) {
          out = {EventType::LeftButtonDown,
                 0,
                 Clamp(e.button.x, kScreenWidth),
                 Clamp(e.button.y, kScreenHeight),
                 {}};
          return true;
        }
        if (e.button.button == SDL_BUTTON_RIGHT) {
          out = {EventType::RightButtonDown,
                 0,
                 Clamp(e.button.x, kScreenWidth),
                 Clamp(e.button.y, kScreenHeight),
                 {}};
          return true;
        }
        return false;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_LEAVE) {
          out = {EventType::PointerLeft, 0, 0, 0, {}};
          return true;
        }
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) Redraw();
        return false;
      case SDL_TEXTINPUT: out = {EventType::TextInput, 0, 0, 0, e.text.text}; return true;
      default: return false;
    }
  }

  static int Clamp(int v, int limit) { return v < 0 ? 0 : (v >= limit ? limit - 1 : v); }

  void Redraw() {
    if (!renderer_) return;
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  std::chrono::steady_clock::time_point start_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int desktopDepth_;
  bool terminationSent_ = false;
  std::unique_ptr<SdlAudioOutput> audio_;
  bool audioTried_ = false;
};

std::unique_ptr<Platform> current;

}  // namespace

Platform& GetPlatform() { return *current; }
void SetPlatform(std::unique_ptr<Platform> platform) { current = std::move(platform); }
std::unique_ptr<Platform> CreateSdlPlatform(int desktopDepth) {
  return std::make_unique<SdlPlatform>(desktopDepth);
}

}  // namespace kb
