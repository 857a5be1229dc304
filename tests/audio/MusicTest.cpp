// The music stream on a device without output, mixed by the test at the stream's own rate so
// that what is heard is exactly what the buffer holds: finding the file, damaged files,
// priming, seamless looping through the real streaming thread, muting, and destruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "audio/Ogg.h"
#include "tests/audio/MusicFiles.h"
#include "tests/platform/SoundTestSupport.h"

using namespace soundtest;
using namespace musictest;

namespace {

constexpr uint32_t Rate = OutputFormat.SamplesPerSec;
constexpr uint32_t FrameBytes = OutputFormat.BlockAlign();
constexpr uint32_t HalfBytes = 2 * Rate * FrameBytes;

// One music file in a private folder, and the game's current directory somewhere empty.
struct MusicFolder {
  explicit MusicFolder(const std::vector<uint8_t>& bytes) : Cwd(Empty.Root) {
    WriteFile(File(), bytes);
  }
  fs::path File() const { return Folder.Root / "Music.ogg"; }
  std::string Path() const { return Folder.Root.string(); }
  TempDir Folder;
  TempDir Empty;
  ScopedCwd Cwd;
};

// The stream made from a music folder, on a device at the stream's own rate.
struct OpenStream {
  explicit OpenStream(const MusicFolder& folder) : Music(*Device, "Music.ogg", folder.Path(), &Available) {}
  std::unique_ptr<SoundDevice> Device = Offline();
  uint8_t Available = 0;
  TOgg Music;
};

// The buffer's bytes, read through Lock like any writer would see them.
std::vector<uint8_t> BufferBytes(StreamBuffer& buffer, uint32_t offset, uint32_t bytes) {
  std::span<uint8_t> p1, p2;
  EXPECT_EQ(buffer.Lock(offset, bytes, p1, p2), platform::SoundOk);
  EXPECT_TRUE(p2.empty());
  buffer.Unlock();
  return {p1.begin(), p1.end()};
}

// `bytes` of `pcm` from `from`, with zeros past its end, or over and over when cycling.
std::vector<uint8_t> Slice(const std::vector<uint8_t>& pcm, std::size_t from, std::size_t bytes, bool cycle) {
  std::vector<uint8_t> out(bytes, 0);
  for (std::size_t i = 0; i < bytes; ++i) {
    const std::size_t at = from + i;
    if (cycle)
      out[i] = pcm[at % pcm.size()];
    else if (at < pcm.size())
      out[i] = pcm[at];
  }
  return out;
}

}  // namespace

TEST(MusicFile, FoundInTheCurrentDirectoryThenEachPathEntryThenTheExtraOnes) {
  TempDir root;
  for (const char* dir : {"cwd", "a", "b", "c", "cwd/Music.ogg.d"}) fs::create_directories(root.Root / dir);
  const std::string a = (root.Root / "a").string();
  const std::string b = (root.Root / "b").string();
  const std::string c = (root.Root / "c").string();
  struct Case {
    const char* Name;
    std::vector<std::string> FilesIn;  // folders under root holding a Music.ogg
    std::string Path;
    std::vector<std::string> Extra;
    std::string Expected;
  };
  const Case cases[] = {
      {"current directory first", {"cwd", "a", "b", "c"}, a + ";" + b, {c}, "Music.ogg"},
      {"path entries in order", {"a", "b", "c"}, a + ";" + b, {c}, a + "/Music.ogg"},
      {"empty entries skipped", {"b"}, ";;" + a + ";;" + b + ";", {}, b + "/Music.ogg"},
      {"no doubled separator", {"a"}, a + "/", {}, a + "/Music.ogg"},
      {"extra folders after the path", {"b", "c"}, a + ";" + b, {c}, b + "/Music.ogg"},
      {"extra folders when the path has none", {"c"}, a, {"", c}, c + "/Music.ogg"},
      {"nowhere", {}, a + ";" + b, {c}, ""},
      {"a folder of that name is no file", {}, (root.Root / "cwd").string(), {}, ""},
  };
  ScopedCwd cwd(root.Root / "cwd");
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    for (const char* dir : {"cwd", "a", "b", "c"}) fs::remove(root.Root / dir / "Music.ogg");
    for (const std::string& dir : k.FilesIn) WriteFile(root.Root / dir / "Music.ogg", {1});
    if (std::string(k.Name) == "a folder of that name is no file")
      fs::create_directory(root.Root / "cwd" / "Music.ogg");
    EXPECT_EQ(FindMusicFile("Music.ogg", k.Path, k.Extra), k.Expected);
  }
}

TEST(MusicStream, FilesThatCannotPlayLeaveTheMusicOffAndNothingOpen) {
  const std::vector<uint8_t> tone = ToneFile(0.3, Rate);
  struct Case {
    const char* Name;
    std::vector<uint8_t> File;  // empty: no file at all
    bool Present;
    bool Plays;
    // What standard error says: only a music file in another format is worth a line.
    const char* Says;
  };
  const std::string text = "not music at all";
  const Case cases[] = {
      {"no file", {}, false, false, ""},
      {"not Ogg Vorbis", std::vector<uint8_t>(text.begin(), text.end()), true, false, ""},
      {"empty", {}, true, false, ""},
      {"cut inside the headers", std::vector<uint8_t>(tone.begin(), tone.begin() + 100), true, false, ""},
      {"nine channels", WithStreamFormat(tone, 9, Rate), true, false, ""},
      {"no channels", WithStreamFormat(tone, 0, Rate), true, false, ""},
      {"zero rate", WithStreamFormat(tone, 2, 0), true, false, ""},
      {"absurd rate", WithStreamFormat(tone, 2, 2000000000), true, false,
       "Music.ogg is 2000000000 Hz with 2 channels, not 44100 Hz stereo: no music\n"},
      {"another rate", ToneFile(0.3, 48000), true, false,
       "Music.ogg is 48000 Hz with 2 channels, not 44100 Hz stereo: no music\n"},
      {"intact", tone, true, true, ""},
  };
  auto device = Offline();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir folder;
    ScopedCwd cwd(folder.Root);
    if (c.Present) WriteFile(folder.Root / "Music.ogg", c.File);
    const std::size_t before = OpenFiles();
    uint8_t available = 7;
    {
      testing::internal::CaptureStderr();
      TOgg music(*device, "Music.ogg", "", &available);
      const std::string said = testing::internal::GetCapturedStderr();
      EXPECT_EQ(said, *c.Says ? std::string("huebloc: ") + c.Says : "");
      EXPECT_EQ(available, c.Plays ? 1 : 0);
      EXPECT_EQ(OpenFiles(), before + (c.Present ? 1 : 0));  // held until the stream goes
      music.Play(10, 1);
      EXPECT_EQ(music.Thread->Started.load(), c.Plays);
    }
    EXPECT_EQ(OpenFiles(), before);
  }
}

TEST(MusicStream, TheGamesOwnMusicPlays) {
  TempDir empty;
  ScopedCwd cwd(empty.Root);
  auto device = Offline();
  uint8_t available = 0;
  TOgg music(*device, "Music.ogg", std::string(";") + HUEBLOC_GENERATED_SOUNDS_DIR, &available);
  ASSERT_EQ(available, 1);
  EXPECT_EQ(music.Thread->Buffer->Bytes(), 4u * 44100 * 4);
  EXPECT_EQ(music.Thread->BufferBytes, 4u * 44100 * 4);
  EXPECT_EQ(music.Thread->HalfBytes, 2u * 44100 * 4);
}

TEST(MusicStream, PrimingFillsBothHalvesAndStopsAtTheEndBeforeLooping) {
  // A file shorter than a half fills the start of each; a longer one goes on into the second.
  for (const double seconds : {0.7, 3.0}) {
    SCOPED_TRACE(seconds);
    MusicFolder folder(ToneFile(seconds, Rate));
    const std::vector<uint8_t> pcm = Decode(folder.File());
    OpenStream stream(folder);
    ASSERT_EQ(stream.Available, 1);
    TOggThread& thread = *stream.Music.Thread;
    ASSERT_EQ(thread.BufferBytes, 2 * HalfBytes);
    ASSERT_EQ(thread.HalfBytes, HalfBytes);
    EXPECT_FALSE(thread.Loop);
    EXPECT_FALSE(thread.Started);

    const std::size_t second = pcm.size() > HalfBytes ? HalfBytes : 0;
    EXPECT_EQ(BufferBytes(*thread.Buffer, 0, HalfBytes), Slice(pcm, 0, HalfBytes, false));
    EXPECT_EQ(BufferBytes(*thread.Buffer, HalfBytes, HalfBytes), Slice(pcm, second, HalfBytes, false));
  }
}

TEST(MusicStream, PlayingLoopsAShortFileSeamlesslyThroughTheStreamingThread) {
  MusicFolder folder(ToneFile(0.7, Rate));
  const std::vector<uint8_t> pcm = Decode(folder.File());
  OpenStream stream(folder);
  ASSERT_EQ(stream.Available, 1);
  TOggThread& thread = *stream.Music.Thread;

  const uint32_t primed = thread.Fills.load();
  thread.LongestNap = std::chrono::milliseconds(5);  // the mixer runs faster than real time here
  stream.Music.Play(10, 1);
  EXPECT_TRUE(thread.Loop);
  // Heard: the two primed halves, then each refill, which cycles the file without a gap.
  std::vector<uint8_t> expected = Slice(pcm, 0, HalfBytes, false);
  for (const auto& part : {Slice(pcm, 0, HalfBytes, false), Slice(pcm, 0, 2 * HalfBytes, true)})
    expected.insert(expected.end(), part.begin(), part.end());

  const uint32_t halfFrames = HalfBytes / FrameBytes;
  const uint32_t lead = 100;  // frames into the next half, so the cursor is surely there
  std::vector<uint8_t> heard = Bytes(Mix(*stream.Device, halfFrames + lead));
  for (uint32_t fill = 1; fill <= 3; ++fill) {
    // The thread refills the half the cursor has left; only then may the mixer reach it.
    ASSERT_TRUE(WaitUntil([&] { return thread.Fills.load(std::memory_order_acquire) == primed + fill; })) << fill;
    const auto more = Bytes(Mix(*stream.Device, fill == 3 ? halfFrames - lead : halfFrames));
    heard.insert(heard.end(), more.begin(), more.end());
  }
  ASSERT_EQ(heard.size(), expected.size());
  const auto mismatch = std::mismatch(heard.begin(), heard.end(), expected.begin());
  EXPECT_EQ(mismatch.first, heard.end()) << "differs at byte " << (mismatch.first - heard.begin());
}

TEST(MusicStream, AFileOfNextToNothingIsRewoundOnlySoOftenInOneFill) {
  for (const int frames : {0, 1, 3}) {
    SCOPED_TRACE(frames);
    MusicFolder folder(ToneFile(frames / double(Rate), Rate));
    const std::vector<uint8_t> pcm = Decode(folder.File());
    OpenStream stream(folder);
    ASSERT_EQ(stream.Available, 1);
    TOggThread& thread = *stream.Music.Thread;
    // The fill the thread would make once looping, driven here: it must end, and soon.
    thread.Loop = true;
    thread.FillLower = 1;
    thread.Fill();
    std::vector<uint8_t> expected(thread.HalfBytes, 0);
    for (std::size_t i = 0; i < TOggThread::MaxRewindsPerFill * pcm.size(); ++i) expected[i] = pcm[i % pcm.size()];
    EXPECT_EQ(BufferBytes(*thread.Buffer, 0, thread.HalfBytes), expected);
  }
}

TEST(MusicStream, MutingAndRaisingAgainGoesOnWhereTheMusicWas) {
  MusicFolder folder(ToneFile(3.0, Rate));
  const std::vector<uint8_t> pcm = Decode(folder.File());
  OpenStream stream(folder);
  ASSERT_EQ(stream.Available, 1);
  StreamBuffer& buffer = *stream.Music.Thread->Buffer;

  stream.Music.Play(0, 1);  // level 0 at the first request: nothing starts
  EXPECT_FALSE(stream.Music.Thread->Started);
  EXPECT_TRUE(Silent(Mix(*stream.Device, Rate / 10)));
  EXPECT_EQ(buffer.GetCurrentPosition(), 0u);

  const uint32_t step = Rate * 3 / 10;  // 0.3 s; three steps stay inside the first half
  stream.Music.Play(10, 1);
  const auto start = Bytes(Mix(*stream.Device, step));
  EXPECT_EQ(start, Slice(pcm, 0, step * FrameBytes, false));  // from the beginning

  // A volume change glides over a few milliseconds; after that the music is silent, and
  // once raised again it is where it would have been had it never been muted.
  const std::size_t settled = step * FrameBytes / 2;
  stream.Music.Play(0, 1);
  EXPECT_EQ(VolumeOf(buffer), platform::VolumeMin);
  EXPECT_TRUE(buffer.IsPlaying());
  const auto muted = Mix(*stream.Device, step);
  EXPECT_TRUE(Silent(std::vector<int16_t>(muted.begin() + settled / 2, muted.end())));

  stream.Music.Play(10, 1);
  const auto resumed = Bytes(Mix(*stream.Device, step));
  EXPECT_TRUE(std::equal(resumed.begin() + settled, resumed.end(),
                         pcm.begin() + 2 * step * FrameBytes + settled));
}

TEST(MusicStream, DestructionReleasesEverythingStartedOrNot) {
  MusicFolder folder(ToneFile(0.7, Rate));
  for (const bool started : {false, true}) {
    SCOPED_TRACE(started);
    auto device = Offline();
    uint8_t available = 0;
    auto music = std::make_unique<TOgg>(*device, "Music.ogg", folder.Path(), &available);
    ASSERT_EQ(available, 1);
    if (started) {
      music->Play(10, 1);
      EXPECT_FALSE(Silent(Mix(*device, Rate / 10)));
    }
    music.reset();
    // A buffer left behind would still be cycling in the mixer.
    EXPECT_TRUE(Silent(Mix(*device, Rate)));
  }
}
