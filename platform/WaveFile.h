// WaveFile: a sound file looked at before anything decodes it. The game plays RIFF/WAVE files
// only, and only those whose sound, decoded for playback, stays within a warning sound's limit;
// any other file is refused with the reason in plain words, so that no other decoder ever sees
// it and a header that claims gigabytes is never allocated.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ContentFile.h"

class WaveFile {
 public:
  // Bytes of audio a warning sound may hold once decoded for playback as 16-bit stereo at
  // 44.1 kHz (about 23 seconds, where a warning needs a fraction of one), and as stored.
  static constexpr uint64_t kMostDecodedBytes = 4 * 1024 * 1024;

  // Opens `path` as a content file and reads its header; the file is left at its start.
  explicit WaveFile(const char* path);

  // A file that cannot be opened (missing, not a regular file) is not refused, only closed.
  bool IsOpen() const { return file_.IsOpen(); }
  // Why the file is not played; empty when it is.
  const std::string& Refusal() const { return refusal_; }
  // The open file, at its start, for the decoder to take over.
  ContentFile& File() { return file_; }

 private:
  // The refusal of a file of this header, or empty.
  std::string Inspect();

  ContentFile file_;
  std::string refusal_;
};
