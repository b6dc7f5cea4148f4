// The window platform's sound output, pulled by SDL's audio thread.  SDL's
// "disk" driver stands in for a sound card and writes what it is given to
// a file, in which the stream's samples must turn up unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "platform/mixer.h"
#include "platform/pcm_stream.h"
#include "platform/platform.h"
#include "support/game_fixture.h"

namespace {

TEST(SdlAudio, TheAudioThreadPlaysTheStreamAndHandsItsBufferBack) {
  kbtest::TempFolder folder;
  const std::string file = folder.path() + "/card.raw";
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  std::unique_ptr<kb::Platform> platform = kb::CreateSdlPlatform(16);
  std::shared_ptr<kb::Mixer> mixer = platform->Audio();
  ASSERT_TRUE(mixer);

  std::vector<std::uint8_t> pcm(3000 * 4);
  std::uint32_t state = 99;
  for (auto& b : pcm) {
    state = state * 214013 + 2531011;
    b = static_cast<std::uint8_t>(state >> 16);
  }
  std::mutex lock;
  std::condition_variable doneSignal;
  bool played = false;
  auto stream = std::make_shared<kb::PcmStream>(kb::SampleFormat{}, [&](const std::uint8_t*) {
    std::lock_guard<std::mutex> guard(lock);
    played = true;
    doneSignal.notify_all();
  });
  ASSERT_TRUE(stream->Queue(pcm.data(), pcm.size()));
  ASSERT_TRUE(mixer->Add(stream));
  {
    // The bound only keeps a broken build from hanging; the buffer comes
    // back after about 70 ms of sound.
    std::unique_lock<std::mutex> guard(lock);
    ASSERT_TRUE(doneSignal.wait_for(guard, std::chrono::seconds(30), [&] { return played; }));
  }
  // One more device pass, so the block holding the end has been written.
  mixer->WaitFor([] { return false; }, 50);
  mixer->Remove(stream.get());
  platform.reset();
  ::unsetenv("SDL_AUDIODRIVER");
  ::unsetenv("SDL_DISKAUDIOFILE");
  EXPECT_TRUE(mixer->Stopped());

  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::search(written.begin(), written.end(), pcm.begin(), pcm.end()), written.end())
      << written.size() << " bytes written";
}

}  // namespace
