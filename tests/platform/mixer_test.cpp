// The mixer and its voices, heard through the headless platform's WAV
// recording: samples in, samples out, on the virtual clock.
#include "platform/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "platform/clip_voice.h"
#include "platform/headless_platform.h"
#include "platform/pcm_stream.h"
#include "support/game_fixture.h"
#include "support/wav_file.h"

namespace {

using kb::PcmStream;
using kb::SampleFormat;
using kbtest::WavFile;

// 16-bit little-endian bytes of the given samples.
std::vector<std::uint8_t> Pcm16(const std::vector<int>& samples) {
  std::vector<std::uint8_t> bytes;
  for (int s : samples) {
    bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
  }
  return bytes;
}

// A stereo pattern that reaches both ends of the range.
std::vector<int> Pattern(int frames) {
  std::vector<int> samples;
  std::uint32_t state = 12345;
  for (int i = 0; i < frames * 2; ++i) {
    state = state * 214013 + 2531011;
    samples.push_back(static_cast<int>(state >> 16) - 32768);
  }
  samples[0] = 32767;
  samples[1] = -32768;
  return samples;
}

class HeadlessMix : public kbtest::HeadlessAudioTest {
 protected:
  // A stream that notes each buffer reported done.
  std::shared_ptr<PcmStream> Stream(const SampleFormat& format = {}) {
    return std::make_shared<PcmStream>(format, [this](const std::uint8_t* data) { done.push_back(data); });
  }

  std::vector<const std::uint8_t*> done;
};

TEST_F(HeadlessMix, SamplesAtTheMixFormatComeOutUnchanged) {
  const std::vector<int> samples = Pattern(1000);
  const std::vector<std::uint8_t> pcm = Pcm16(samples);
  auto stream = Stream();
  ASSERT_TRUE(mixer->Add(stream));
  // Uneven pieces: frames run over from one buffer into the next.
  const std::size_t cuts[] = {0, 1001, 1004, 1007, 2500, pcm.size()};
  for (std::size_t i = 0; i + 1 < std::size(cuts); ++i)
    ASSERT_TRUE(stream->Queue(pcm.data() + cuts[i], cuts[i + 1] - cuts[i]));
  headless->AdvanceClock(30);

  WavFile wav = Recorded();
  EXPECT_EQ(wav.format, 1);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.sampleRate, 44100);
  EXPECT_EQ(wav.bitsPerSample, 16);
  EXPECT_EQ(wav.blockAlign, 4);
  EXPECT_EQ(wav.byteRate, 176400u);
  // 30 ms of sound: 1323 frames, the pattern and then silence.
  ASSERT_EQ(wav.Frames(), 1323u);
  EXPECT_EQ(wav.dataSize, 1323u * 4);
  EXPECT_EQ(wav.riffSize, 36 + wav.dataSize);
  for (std::size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(wav.samples[i], samples[i]) << "sample " << i;
  for (std::size_t i = samples.size(); i < wav.samples.size(); ++i) ASSERT_EQ(wav.samples[i], 0);
  // Every piece came back, in order.
  ASSERT_EQ(done.size(), std::size(cuts) - 1);
  for (std::size_t i = 0; i < done.size(); ++i) EXPECT_EQ(done[i], pcm.data() + cuts[i]);
}

TEST(Mixer, OtherFormatsAreBroughtToTheMixFormat) {
  const struct {
    const char* name;
    SampleFormat format;
    std::vector<std::uint8_t> pcm;
    std::vector<int> left, right;  // the frames that come out
  } cases[] = {
      // Half rate: each frame, then the midpoint to the next.  The last
      // frame has no next one yet, so the stream stops on it.
      {"mono 16-bit 22050",
       {1, 16, 22050},
       Pcm16({0, 1000, -1000, 2000}),
       {0, 500, 1000, 0, -1000, 500, 2000},
       {0, 500, 1000, 0, -1000, 500, 2000}},
      // 8-bit is unsigned around 128 and widened.
      {"mono 8-bit", {1, 8, 44100}, {128, 255, 0, 129}, {0, 32512, -32768, 256}, {0, 32512, -32768, 256}},
      // Double rate: every other frame.
      {"stereo 16-bit 88200",
       {2, 16, 88200},
       Pcm16({1, -1, 2, -2, 3, -3, 4, -4, 5, -5}),
       {1, 3, 5},
       {-1, -3, -5}},
      // A quarter of the rate: three steps between two frames.
      {"stereo 8-bit 11025",
       {2, 8, 11025},
       {192, 64, 128, 128},
       {16384, 12288, 8192, 4096, 0},
       {-16384, -12288, -8192, -4096, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kbtest::TempFolder folder;
    kb::HeadlessPlatform headless(0, 16);
    ASSERT_TRUE(headless.RecordAudio(folder.path() + "/mix.wav"));
    auto stream = std::make_shared<PcmStream>(c.format, nullptr);
    ASSERT_TRUE(headless.Audio()->Add(stream));
    ASSERT_TRUE(stream->Queue(c.pcm.data(), c.pcm.size()));
    headless.AdvanceClock(1);
    ASSERT_TRUE(headless.StopRecording());
    WavFile wav;
    ASSERT_TRUE(kbtest::ReadWav(folder.path() + "/mix.wav", wav));
    ASSERT_EQ(wav.Frames(), 44u);
    for (std::size_t i = 0; i < wav.Frames(); ++i) {
      const int left = i < c.left.size() ? c.left[i] : 0, right = i < c.right.size() ? c.right[i] : 0;
      EXPECT_EQ(wav.Left(i), left) << "frame " << i;
      EXPECT_EQ(wav.Right(i), right) << "frame " << i;
    }
  }
}

TEST_F(HeadlessMix, VolumesScaleEachChannelAndVoicesAddUp) {
  // Four streams of one constant frame each, one after the other in time:
  // each plays 1 ms alone with its volume, then two play together.
  const struct {
    std::uint16_t left, right;
    int sampleLeft, sampleRight;
    int heardLeft, heardRight;
  } cases[] = {
      {65535, 0, 20000, -20000, 20000, 0},
      {32767, 65535, 20000, -20000, 9999, -20000},
      {0, 0, 32767, -32768, 0, 0},
      {13107, 52428, -30000, 30000, -6000, 24000},
  };
  std::vector<std::vector<std::uint8_t>> buffers;
  for (const auto& c : cases) {
    buffers.push_back(Pcm16(std::vector<int>(2 * 44, 0)));
    for (int i = 0; i < 44; ++i) {
      buffers.back()[i * 4] = static_cast<std::uint8_t>(c.sampleLeft & 0xFF);
      buffers.back()[i * 4 + 1] = static_cast<std::uint8_t>((c.sampleLeft >> 8) & 0xFF);
      buffers.back()[i * 4 + 2] = static_cast<std::uint8_t>(c.sampleRight & 0xFF);
      buffers.back()[i * 4 + 3] = static_cast<std::uint8_t>((c.sampleRight >> 8) & 0xFF);
    }
    auto stream = Stream();
    stream->SetVolume(c.left, c.right);
    ASSERT_TRUE(stream->Queue(buffers.back().data(), buffers.back().size()));
    ASSERT_TRUE(mixer->Add(stream));
    headless->AdvanceClock(1);
    mixer->Remove(stream.get());
  }
  // Two loud voices together are clipped, not wrapped.
  const std::vector<std::uint8_t> loud = Pcm16({30000, -30000});
  for (int i = 0; i < 2; ++i) {
    auto stream = Stream();
    ASSERT_TRUE(stream->Queue(loud.data(), loud.size()));
    ASSERT_TRUE(mixer->Add(stream));
  }
  headless->AdvanceClock(1);

  WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 5u * 44);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(wav.Left(i * 44), cases[i].heardLeft);
    EXPECT_EQ(wav.Right(i * 44), cases[i].heardRight);
    EXPECT_EQ(wav.Left(i * 44 + 43), cases[i].heardLeft);
  }
  EXPECT_EQ(wav.Left(4 * 44), 32767);
  EXPECT_EQ(wav.Right(4 * 44), -32768);
}

TEST_F(HeadlessMix, BuffersComeBackAsTheClockPlaysThem) {
  // Three buffers of 441 frames: 10 ms each.
  std::vector<std::vector<std::uint8_t>> buffers(3, Pcm16(std::vector<int>(441 * 2, 1000)));
  auto stream = Stream();
  ASSERT_TRUE(mixer->Add(stream));
  for (auto& b : buffers) ASSERT_TRUE(stream->Queue(b.data(), b.size()));
  headless->AdvanceClock(9);
  EXPECT_TRUE(done.empty());
  EXPECT_TRUE(stream->Holds(buffers[0].data()));
  headless->AdvanceClock(1);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0], buffers[0].data());
  EXPECT_FALSE(stream->Holds(buffers[0].data()));
  headless->AdvanceClock(20);
  ASSERT_EQ(done.size(), 3u);
  EXPECT_EQ(done[2], buffers[2].data());
  EXPECT_EQ(stream->QueuedCount(), 0u);
}

TEST_F(HeadlessMix, PauseHoldsThePlaceAndResetDiscards) {
  const std::vector<int> samples = Pattern(1000);
  const std::vector<std::uint8_t> pcm = Pcm16(samples);
  const std::vector<std::uint8_t> second = Pcm16({111, 222});
  auto stream = Stream();
  ASSERT_TRUE(mixer->Add(stream));
  ASSERT_TRUE(stream->Queue(pcm.data(), pcm.size()));
  headless->AdvanceClock(5);  // frames 0-219 play
  stream->Pause();
  headless->AdvanceClock(10);  // 441 frames of silence, nothing comes back
  EXPECT_TRUE(done.empty());
  stream->Restart();
  headless->AdvanceClock(5);  // frames 220-440 play
  ASSERT_TRUE(stream->Queue(second.data(), second.size()));
  stream->Reset();
  // Both buffers came back at once, in order, and nothing more plays.
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0], pcm.data());
  EXPECT_EQ(done[1], second.data());
  headless->AdvanceClock(1);
  // A buffer queued after the reset plays from its first frame.
  ASSERT_TRUE(stream->Queue(second.data(), second.size()));
  headless->AdvanceClock(1);

  WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 970u);
  for (std::size_t i = 0; i < 220 * 2; ++i) ASSERT_EQ(wav.samples[i], samples[i]) << i;
  for (std::size_t i = 220 * 2; i < 661 * 2; ++i) ASSERT_EQ(wav.samples[i], 0) << i;
  for (std::size_t i = 661 * 2; i < 882 * 2; ++i) ASSERT_EQ(wav.samples[i], samples[i - 441 * 2]) << i;
  for (std::size_t i = 882 * 2; i < 926 * 2; ++i) ASSERT_EQ(wav.samples[i], 0) << i;
  EXPECT_EQ(wav.Left(926), 111);
  EXPECT_EQ(wav.Right(926), 222);
}

TEST_F(HeadlessMix, QueueLimitsAndLeavingTheMixer) {
  const std::vector<std::uint8_t> pcm = Pcm16({1, 2});
  auto stream = Stream();
  ASSERT_TRUE(mixer->Add(stream));
  for (std::size_t i = 0; i < PcmStream::kMaxQueued; ++i) ASSERT_TRUE(stream->Queue(pcm.data(), pcm.size()));
  EXPECT_FALSE(stream->Queue(pcm.data(), pcm.size()));
  // Taken out, the stream gives back what it held and takes nothing more.
  mixer->Remove(stream.get());
  EXPECT_FALSE(mixer->Contains(stream.get()));
  EXPECT_EQ(done.size(), PcmStream::kMaxQueued);
  EXPECT_FALSE(stream->Queue(pcm.data(), pcm.size()));

  // A full mixer refuses a voice, and so does one whose output has closed.
  std::vector<std::shared_ptr<PcmStream>> many;
  for (std::size_t i = 0; i < kb::Mixer::kMaxVoices; ++i) {
    many.push_back(Stream());
    ASSERT_TRUE(mixer->Add(many.back()));
  }
  auto extra = Stream();
  EXPECT_FALSE(mixer->Add(extra));
  EXPECT_FALSE(extra->Queue(pcm.data(), pcm.size()));
  ASSERT_TRUE(many[0]->Queue(pcm.data(), pcm.size()));
  mixer->Stop();
  EXPECT_EQ(mixer->VoiceCount(), 0u);
  EXPECT_FALSE(mixer->Add(Stream()));
  EXPECT_EQ(done.back(), pcm.data());
  EXPECT_FALSE(many[0]->Queue(pcm.data(), pcm.size()));
}

TEST_F(HeadlessMix, WaitingForPlayedSoundFollowsTheClock) {
  std::vector<std::uint8_t> pcm = Pcm16(std::vector<int>(441 * 2, 5));
  auto stream = Stream();
  ASSERT_TRUE(mixer->Add(stream));
  ASSERT_TRUE(stream->Queue(pcm.data(), pcm.size()));
  PcmStream* s = stream.get();
  const std::uint8_t* data = pcm.data();
  auto played = [s, data] { return !s->Holds(data); };

  // The thread that moves the clock would wait for itself: it is answered
  // at once.
  EXPECT_FALSE(mixer->WaitFor(played, 1000));

  // Another thread waits until the clock has played the buffer.
  std::atomic<bool> finished{false};
  bool answer = false;
  std::thread waiter([&] {
    answer = mixer->WaitFor(played, 1000);
    finished = true;
  });
  while (!finished) {
    headless->AdvanceClock(1);
    std::this_thread::yield();
  }
  waiter.join();
  EXPECT_TRUE(answer);
  EXPECT_TRUE(played());

  // A paused stream keeps its buffer: the wait ends after its time limit of
  // played sound.
  ASSERT_TRUE(stream->Queue(pcm.data(), pcm.size()));
  stream->Pause();
  finished = false;
  std::thread limited([&] {
    answer = mixer->WaitFor(played, 20);
    finished = true;
  });
  while (!finished) {
    headless->AdvanceClock(1);
    std::this_thread::yield();
  }
  limited.join();
  EXPECT_FALSE(answer);
}

TEST_F(HeadlessMix, ClipsPlayOnceOrLoopAndTheBeepSoundsForAMoment) {
  // A looping clip of two frames goes round until stopped.
  auto loop = std::make_shared<kb::ClipVoice>(SampleFormat{2, 16, 44100}, Pcm16({7, -7, 9, -9}), true);
  ASSERT_TRUE(mixer->Add(loop));
  headless->AdvanceClock(1);
  loop->Stop();
  EXPECT_FALSE(loop->Playing());
  // A clip played once ends, and the mixer lets it go.
  auto once = std::make_shared<kb::ClipVoice>(SampleFormat{1, 16, 44100}, Pcm16({300, 400}), false);
  ASSERT_TRUE(mixer->Add(once));
  headless->AdvanceClock(1);
  EXPECT_FALSE(once->Playing());
  EXPECT_EQ(mixer->VoiceCount(), 0u);
  // The beep: 120 ms of tone, then nothing.
  headless->Beep();
  EXPECT_EQ(mixer->VoiceCount(), 1u);
  headless->AdvanceClock(200);
  EXPECT_EQ(mixer->VoiceCount(), 0u);

  WavFile wav = Recorded();
  ASSERT_EQ(wav.Frames(), 88u + 8820);
  for (std::size_t i = 0; i < 44; ++i) {
    EXPECT_EQ(wav.Left(i), i % 2 ? 9 : 7);
    EXPECT_EQ(wav.Right(i), i % 2 ? -9 : -7);
  }
  EXPECT_EQ(wav.Left(44), 300);
  EXPECT_EQ(wav.Right(45), 400);
  EXPECT_EQ(wav.Left(46), 0);
  int loudest = 0;
  std::size_t last = 0;
  for (std::size_t i = 88; i < wav.Frames(); ++i) {
    if (wav.Left(i) != 0) last = i;
    loudest = std::max(loudest, std::abs(static_cast<int>(wav.Left(i))));
  }
  EXPECT_GT(loudest, 4000);
  EXPECT_LT(loudest, 16384);
  EXPECT_GT(last, 88u + 44100 * 110 / 1000);
  EXPECT_LT(last, 88u + 44100 * 120 / 1000);
}

}  // namespace
