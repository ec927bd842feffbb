// WaveFile: the RIFF chunks up to the sound data, and the size of that data once decoded.
#include "platform/WaveFile.h"

#include <unistd.h>

#include <cstring>

namespace {

// The format the mixer plays in: 16-bit stereo at 44.1 kHz.
constexpr uint64_t kPlaybackRate = 44100;
constexpr uint64_t kPlaybackFrameBytes = 4;
// Chunks looked at before the sound data at most, as many as SDL's own reader looks at.
constexpr int32_t kMostChunks = 10000;

uint32_t Little32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t Little16(const unsigned char* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

// Reads exactly `count` bytes; false at the end of the file or on an error.
bool ReadAll(ContentFile& file, unsigned char* into, size_t count) {
  while (count > 0) {
    const ssize_t got = file.Read(into, count);
    if (got <= 0) return false;
    into += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

WaveFile::WaveFile(const char* path) : file_(path) {
  if (!file_.IsOpen()) return;
  refusal_ = Inspect();
  file_.Rewind();
}

std::string WaveFile::Inspect() {
  if (file_.Size() == 0) return "the file is empty";
  unsigned char riff[12];
  if (!ReadAll(file_, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return "it is not a WAV file: the game plays RIFF/WAVE files only";
  }
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint16_t bits = 0;
  bool formatMet = false;
  for (int32_t chunks = 0; chunks < kMostChunks; ++chunks) {
    unsigned char header[8];
    if (!ReadAll(file_, header, sizeof header)) break;
    const uint32_t size = Little32(header + 4);
    if (std::memcmp(header, "data", 4) == 0) {
      if (!formatMet) return "its sound data comes before any 'fmt ' chunk";
      // An upper bound for every encoding SDL decodes: ADPCM gives its 4 bits per sample.
      const uint64_t frames = uint64_t{size} * 8 / (uint64_t{bits} * channels);
      const uint64_t decoded = frames * kPlaybackRate / rate * kPlaybackFrameBytes;
      const std::string limit = std::to_string(kMostDecodedBytes) + " a warning sound may hold";
      if (decoded > kMostDecodedBytes) {
        return "it decodes to " + std::to_string(decoded) + " bytes of audio, more than the " +
               limit;
      }
      // The data is read whole before it is decoded, so its own size is bounded as well.
      if (size > kMostDecodedBytes) {
        return "its sound data takes " + std::to_string(size) + " bytes, more than the " + limit;
      }
      return "";
    }
    // The decoder takes the first 'fmt ' chunk and skips any later one; so is it judged here.
    if (std::memcmp(header, "fmt ", 4) == 0 && !formatMet) {
      unsigned char format[16];
      if (size < sizeof format) return "its 'fmt ' chunk is too short";
      if (!ReadAll(file_, format, sizeof format)) break;
      channels = Little16(format + 2);
      rate = Little32(format + 4);
      bits = Little16(format + 14);
      if (channels == 0 || rate == 0 || bits == 0) {
        return "its 'fmt ' chunk gives no channels, sample rate or sample size";
      }
      formatMet = true;
      if (::lseek(file_.Descriptor(), (size - sizeof format) + (size & 1), SEEK_CUR) < 0) break;
    } else if (::lseek(file_.Descriptor(), off_t{size} + (size & 1), SEEK_CUR) < 0) {
      break;
    }
  }
  return "it holds no sound data: there is no 'data' chunk";
}
