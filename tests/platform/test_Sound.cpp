// The warning sound on SDL's own audio drivers: opened at start-up, said once when there is no
// device, played once a call, and a sound file missing at start-up played once it is there.
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "content/TempDir.h"
#include "platform/Sound.h"

namespace {

using namespace std::chrono_literals;

class SoundTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ShutdownSound();
    unsetenv("SDL_AUDIODRIVER");
  }

  // The bytes other than silence that the disk driver has written since the last look.
  size_t Sounding() {
    std::ifstream in(folder.PathOf("played.raw"), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(read_));
    char bytes[4096];
    size_t sounding = 0;
    while (in.read(bytes, sizeof bytes) || in.gcount() > 0) {
      read_ += static_cast<size_t>(in.gcount());
      sounding += static_cast<size_t>(std::count_if(bytes, bytes + in.gcount(), NotSilent));
    }
    return sounding;
  }
  static bool NotSilent(char byte) { return byte != 0; }
  bool Heard() { return Sounding() > 0; }

  bool HeardWithin(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (Heard()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  std::string Sample() const {
    const char* root = std::getenv("TARNWICK_SOURCE_DIR");
    return std::string(root ? root : ".") + "/game/sounds/bleep14.wav";
  }

  TempDir folder;
  size_t read_ = 0;
};

TEST_F(SoundTest, NoDeviceIsSaidOnceAndThenSilence) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  ::testing::internal::CaptureStderr();
  OpenSound(Sample().c_str());
  PlaySoundFile(Sample().c_str());
  PlaySoundFile(Sample().c_str());
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("Tarnwick: no sound: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(SoundTest, AFileMissingAtStartIsPlayedOnceItIsThere) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", folder.PathOf("played.raw").c_str(), 1);
  const std::string sound = folder.PathOf("bleep.wav");
  ::testing::internal::CaptureStderr();
  OpenSound(sound.c_str());
  PlaySoundFile(sound.c_str());
  EXPECT_FALSE(HeardWithin(std::chrono::milliseconds(300)));
  std::filesystem::copy_file(Sample(), sound);
  PlaySoundFile(sound.c_str());
  EXPECT_TRUE(HeardWithin(std::chrono::seconds(3)));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "audio drivers kept quiet";
}

// Through the real device: a call plays the sound once, as many sounding bytes as it holds.
TEST_F(SoundTest, ACallPlaysTheSoundOnce) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", folder.PathOf("played.raw").c_str(), 1);
  PlaySoundFile(Sample().c_str());
  for (int i = 0; i < 500 && Mix_Playing(-1) > 0; ++i) std::this_thread::sleep_for(10ms);
  Mix_Chunk* sound = Mix_LoadWAV(Sample().c_str());
  ASSERT_NE(sound, nullptr);
  const auto once = std::count_if(sound->abuf, sound->abuf + sound->alen, NotSilent);
  Mix_FreeChunk(sound);
  ShutdownSound();
  EXPECT_EQ(Sounding(), static_cast<size_t>(once));
}

// A sound the game will not play, whether refused before decoding or by the decoder, is said
// once however often it is asked for: the sample with `bytes` written at `offset`.
TEST_F(SoundTest, ASoundNotPlayedIsSaidOnce) {
  struct Case {
    const char* name;
    std::streamoff offset;
    std::string bytes;
    const char* said;
  };
  const Case cases[] = {
      {"huge.wav", 40, std::string("\0\0\0\x10", 4),
       "it decodes to 1073741824 bytes of audio, more than the 4194304 a warning sound may hold"},
      {"mp3.wav", 20, std::string("\x55\0", 2), "it cannot be decoded: MPEG formats not supported"},
  };
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", folder.PathOf("played.raw").c_str(), 1);
  for (const Case& c : cases) {
    const std::string sound = folder.PathOf(c.name);
    std::filesystem::copy_file(Sample(), sound);
    std::fstream(sound, std::ios::in | std::ios::out | std::ios::binary)
        .seekp(c.offset)
        .write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
    ::testing::internal::CaptureStderr();
    PlaySoundFile(sound.c_str());
    PlaySoundFile(sound.c_str());
    EXPECT_FALSE(HeardWithin(std::chrono::milliseconds(300))) << c.name;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tarnwick: no sound: " + sound + ": " + c.said + "\n");
  }
}

}  // namespace
