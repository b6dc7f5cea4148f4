// The wave output device on the headless platform: the four-buffer
// handshake follows the virtual clock, and what it plays is read back from
// the recorded WAV file.
#include "media/wave_out_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/mixer.h"
#include "platform/pcm_stream.h"
#include "support/game_fixture.h"
#include "support/wav_file.h"

namespace {

using kb::PcmFormat;
using kb::WaveOutDevice;

// 441 frames of 16-bit stereo at 44100 Hz: one buffer plays 10 ms.
constexpr std::uint32_t kTenMs = 441 * 4;
const PcmFormat kFormat{2, 16, 44100, kTenMs};

// A buffer of frames (n, -n) counting up from `first`.
std::vector<std::uint8_t> Ramp(int first, std::uint32_t bytes = kTenMs) {
  std::vector<std::uint8_t> pcm(bytes);
  for (std::uint32_t f = 0; f < bytes / 4; ++f) {
    const int v = first + static_cast<int>(f);
    pcm[f * 4] = static_cast<std::uint8_t>(v & 0xFF);
    pcm[f * 4 + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    pcm[f * 4 + 2] = static_cast<std::uint8_t>(-v & 0xFF);
    pcm[f * 4 + 3] = static_cast<std::uint8_t>((-v >> 8) & 0xFF);
  }
  return pcm;
}

class WaveOut : public kbtest::HeadlessAudioTest {
 protected:
  void TearDown() override {
    device.reset();
    HeadlessAudioTest::TearDown();
  }

  // Moves the clock until `finished`, for work on another thread that
  // waits for played sound.
  void AdvanceUntil(const std::atomic<bool>& finished) {
    while (!finished) {
      headless->AdvanceClock(1);
      std::this_thread::yield();
    }
  }

  std::unique_ptr<WaveOutDevice> device = std::make_unique<WaveOutDevice>();
};

TEST_F(WaveOut, ASecondOpenIsRefusedAndLeavesTheFirstStreamAlone) {
  ASSERT_EQ(device->Open(kFormat), 1);
  EXPECT_EQ(device->FreeBuffers(), 4);
  const kb::PcmStream* first = device->Stream();
  const auto ramp = Ramp(100);
  EXPECT_EQ(device->Write(ramp.data(), kTenMs), 1);

  EXPECT_EQ(device->Open(PcmFormat{1, 8, 22050, 100}), 0);
  EXPECT_EQ(device->Stream(), first);
  EXPECT_EQ(first->Format().channels, 2);
  EXPECT_EQ(device->FreeBuffers(), 3);
  EXPECT_EQ(mixer->VoiceCount(), 1u);
  headless->AdvanceClock(10);
  EXPECT_EQ(device->FreeBuffers(), 4);

  kbtest::WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 441u);
  for (std::size_t f = 0; f < 441; ++f) {
    ASSERT_EQ(wav.Left(f), 100 + static_cast<int>(f));
    ASSERT_EQ(wav.Right(f), -100 - static_cast<int>(f));
  }
}

TEST_F(WaveOut, FormatsTheOutputCannotPlayAreRefused) {
  const struct {
    const char* name;
    PcmFormat format;
    int result;
  } cases[] = {
      {"three channels", {3, 16, 44100, 1024}, 0},
      {"no channels", {0, 16, 44100, 1024}, 0},
      {"24 bits", {2, 24, 44100, 1024}, 0},
      {"rate 0", {2, 16, 0, 1024}, 0},
      {"rate too high", {2, 16, 400000, 1024}, 0},
      {"no buffer", {2, 16, 44100, 0}, 0},
      {"huge buffer", {2, 16, 44100, WaveOutDevice::kMaxBufferSize + 1}, 0},
      // Only the low 16 bits of channels and bits count.
      {"high bits ignored", {0x10001, 0x70008, 8000, 64}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(device->Open(c.format), c.result);
    EXPECT_EQ(device->IsOpen(), c.result == 1);
    EXPECT_EQ(mixer->VoiceCount(), c.result == 1 ? 1u : 0u);
    device->Close();
  }
}

TEST_F(WaveOut, TheFifthWriteWaitsUntilABufferHasPlayed) {
  ASSERT_EQ(device->Open(kFormat), 1);
  std::vector<std::vector<std::uint8_t>> buffers;
  for (int i = 0; i < 5; ++i) buffers.push_back(Ramp(i * 1000));
  for (int i = 0; i < 4; ++i) ASSERT_EQ(device->Write(buffers[i].data(), kTenMs), 1);
  EXPECT_EQ(device->FreeBuffers(), 0);

  std::atomic<bool> written{false};
  std::thread writer([&] {
    device->Write(buffers[4].data(), kTenMs);
    written = true;
  });
  while (device->WaitingWriters() == 0 && !written) std::this_thread::yield();
  EXPECT_FALSE(written);
  // 9 ms: the first buffer has not played to its end.
  headless->AdvanceClock(9);
  EXPECT_EQ(device->WaitingWriters(), 1);
  EXPECT_FALSE(written);
  // At 10 ms it has; its count goes to the waiting writer.
  headless->AdvanceClock(1);
  writer.join();
  EXPECT_TRUE(written);
  EXPECT_EQ(device->FreeBuffers(), 0);
  headless->AdvanceClock(40);
  EXPECT_EQ(device->FreeBuffers(), 4);

  // The fifth buffer went into the ring's first slot and played last.
  kbtest::WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 5u * 441);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(wav.Left(i * 441), static_cast<int>(i) * 1000);
    EXPECT_EQ(wav.Left(i * 441 + 440), static_cast<int>(i) * 1000 + 440);
  }
}

TEST_F(WaveOut, AClosedDeviceRefusesEveryOperation) {
  const auto ramp = Ramp(0);
  EXPECT_EQ(device->Close(), 0);
  EXPECT_EQ(device->Write(ramp.data(), kTenMs), 0);
  EXPECT_EQ(device->Reset(), 0);
  EXPECT_EQ(device->Pause(), 0);
  EXPECT_EQ(device->Restart(), 0);
  EXPECT_EQ(device->FreeBuffers(), -1);
  // Opened and closed, it is closed again in the same way.
  ASSERT_EQ(device->Open(kFormat), 1);
  EXPECT_EQ(device->Close(), 1);
  EXPECT_EQ(device->Close(), 0);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(mixer->VoiceCount(), 0u);
  // The same object opens again for the next file.
  EXPECT_EQ(device->Open(kFormat), 1);
}

TEST_F(WaveOut, VolumeHundredAndZeroSilencesTheRightChannel) {
  ASSERT_EQ(device->Open(kFormat), 1);
  EXPECT_EQ(device->SetVolume(100, 0), 1);
  EXPECT_EQ(device->Volume(), 0x0000FFFFu);
  EXPECT_EQ(device->Stream()->LeftVolume(), 65535);
  EXPECT_EQ(device->Stream()->RightVolume(), 0);
  const auto ramp = Ramp(500);
  device->Write(ramp.data(), kTenMs);
  headless->AdvanceClock(10);

  // Percentages are clamped, so a value cannot spill into the other
  // channel's half.
  EXPECT_EQ(device->SetVolume(50, 150), 1);
  EXPECT_EQ(device->Volume(), 32767u | 65535u << 16);
  EXPECT_EQ(device->SetVolume(-5, 33), 1);
  EXPECT_EQ(device->Volume(), 0u | 21626u << 16);
  // Set while closed, the volume holds for the next stream.
  device->Close();
  device->SetVolume(0, 100);
  ASSERT_EQ(device->Open(kFormat), 1);
  EXPECT_EQ(device->Stream()->LeftVolume(), 0);
  EXPECT_EQ(device->Stream()->RightVolume(), 65535);

  kbtest::WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 441u);
  for (std::size_t f = 0; f < 441; ++f) {
    ASSERT_EQ(wav.Left(f), 500 + static_cast<int>(f));
    ASSERT_EQ(wav.Right(f), 0);
  }
}

TEST_F(WaveOut, WritesAreCutToTheBufferSize) {
  ASSERT_EQ(device->Open(PcmFormat{2, 16, 44100, 8}), 1);
  const auto ramp = Ramp(7, 12);
  EXPECT_EQ(device->Write(ramp.data(), 12), 1);
  headless->AdvanceClock(1);
  kbtest::WavFile wav = Recorded();
  EXPECT_EQ(wav.Left(0), 7);
  EXPECT_EQ(wav.Left(1), 8);
  EXPECT_EQ(wav.Left(2), 0);
}

TEST_F(WaveOut, PauseHoldsTheBuffersAndResetGivesThemAllBack) {
  ASSERT_EQ(device->Open(kFormat), 1);
  std::vector<std::vector<std::uint8_t>> buffers;
  for (int i = 0; i < 4; ++i) buffers.push_back(Ramp(i * 1000));
  for (auto& b : buffers) device->Write(b.data(), kTenMs);
  EXPECT_EQ(device->Pause(), 1);
  headless->AdvanceClock(50);
  EXPECT_EQ(device->FreeBuffers(), 0);
  EXPECT_EQ(device->Restart(), 1);
  headless->AdvanceClock(10);
  EXPECT_EQ(device->FreeBuffers(), 1);
  EXPECT_EQ(device->Reset(), 1);
  EXPECT_EQ(device->FreeBuffers(), 4);
  headless->AdvanceClock(10);

  kbtest::WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 70u * 441 / 10);
  EXPECT_EQ(wav.Left(0), 0);
  EXPECT_EQ(wav.Left(2204), 0);  // paused
  EXPECT_EQ(wav.Left(2205), 0);  // the first frame after the pause
  EXPECT_EQ(wav.Left(2206), 1);
  EXPECT_EQ(wav.Left(2205 + 440), 440);
  EXPECT_EQ(wav.Left(2205 + 441), 0);  // reset: nothing more
  EXPECT_EQ(wav.Left(3086), 0);
}

TEST_F(WaveOut, CloseWithoutResetLetsTheQueuedSoundPlayOut) {
  ASSERT_EQ(device->Open(kFormat), 1);
  std::vector<std::vector<std::uint8_t>> buffers;
  for (int i = 0; i < 3; ++i) buffers.push_back(Ramp(i * 1000 + 1));
  for (auto& b : buffers) device->Write(b.data(), kTenMs);
  // The player closes from its decoding thread at the end of a file.
  std::atomic<bool> closed{false};
  int result = -1;
  std::thread decoder([&] {
    result = device->Close();
    closed = true;
  });
  AdvanceUntil(closed);
  decoder.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(mixer->VoiceCount(), 0u);

  kbtest::WavFile wav = Recorded();
  ASSERT_GE(wav.Frames(), 3u * 441);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(wav.Left(i * 441), static_cast<int>(i) * 1000 + 1);
    EXPECT_EQ(wav.Left(i * 441 + 440), static_cast<int>(i) * 1000 + 441);
  }
}

TEST_F(WaveOut, CloseOnTheClockThreadCutsOffWhatIsQueued) {
  ASSERT_EQ(device->Open(kFormat), 1);
  const auto a = Ramp(1), b = Ramp(2000);
  device->Write(a.data(), kTenMs);
  device->Write(b.data(), kTenMs);
  headless->AdvanceClock(5);
  // Nothing moves the clock while this thread waits, so it does not wait.
  EXPECT_EQ(device->Close(), 1);
  headless->AdvanceClock(15);
  kbtest::WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 882u);
  EXPECT_EQ(wav.Left(219), 220);
  EXPECT_EQ(wav.Left(220), 0);
}

TEST_F(WaveOut, TheDestructorResetsAndCloses) {
  ASSERT_EQ(device->Open(kFormat), 1);
  const auto a = Ramp(1);
  device->Write(a.data(), kTenMs);
  device.reset();
  EXPECT_EQ(mixer->VoiceCount(), 0u);
}

TEST_F(WaveOut, AWriterIsNotLeftWaitingWhenTheSoundOutputEnds) {
  ASSERT_EQ(device->Open(kFormat), 1);
  const auto a = Ramp(1);
  for (int i = 0; i < 4; ++i) device->Write(a.data(), kTenMs);
  EXPECT_EQ(device->FreeBuffers(), 0);
  // The platform goes (the program ends) while the device is open.
  kb::SetPlatform(nullptr);
  EXPECT_TRUE(mixer->Stopped());
  EXPECT_EQ(device->FreeBuffers(), 4);
  // Writes come back at once and leave the count as it was.
  EXPECT_EQ(device->Write(a.data(), kTenMs), 1);
  EXPECT_EQ(device->FreeBuffers(), 4);
  EXPECT_EQ(device->Close(), 1);
}

}  // namespace
