// ScratchFile: one temporary file that a fuzz target rewrites with every input, so that the
// code under test reads a real file; it is removed when the object goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

class ScratchFile {
 public:
  ScratchFile();
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Replaces the file's contents with `size` bytes and returns its path.
  const char* Write(const uint8_t* data, size_t size);

  // Where the files of a fuzz run go: the memory-backed /dev/shm where the machine has it,
  // since creating and truncating files on a disk costs more than most inputs take to run.
  static std::filesystem::path Folder();

 private:
  std::string path_;
  int fd_ = -1;
};
