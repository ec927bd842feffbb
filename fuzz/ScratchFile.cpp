// ScratchFile: a file from mkstemp, truncated and rewritten in place for every input.
#include "fuzz/ScratchFile.h"

#include <stdlib.h>
#include <unistd.h>

ScratchFile::ScratchFile() {
  path_ = (Folder() / "tarnwick-fuzz-XXXXXX").string();
  fd_ = ::mkstemp(path_.data());
  // Without its file a target can test nothing; stopping at once beats a run of false results.
  if (fd_ < 0) abort();
}

ScratchFile::~ScratchFile() {
  ::close(fd_);
  ::unlink(path_.c_str());
}

const char* ScratchFile::Write(const uint8_t* data, size_t size) {
  if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) {
    abort();
  }
  return path_.c_str();
}

std::filesystem::path ScratchFile::Folder() {
  std::error_code ignored;
  if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}
