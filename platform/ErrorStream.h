// ErrorStream: lines written to a descriptor (in the program, standard error) without ever
// waiting for whoever reads it. Standard error may be a pipe nobody reads or a terminal held
// with Ctrl+S; a game that waited for them would freeze, and not even a stop request could end
// it. So a line that does not fit at once is dropped whole, and how many were dropped is said
// once a line fits again. Lines are never mixed: one cut by a full pipe is finished before
// anything else is written. Regular files never make a writer wait and are written as always.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

class ErrorStream {
 public:
  // Writes to `fd`, which stays the caller's; what it is is looked at again whenever another
  // file is put in its place.
  explicit ErrorStream(int fd);
  ~ErrorStream();
  ErrorStream(const ErrorStream&) = delete;
  ErrorStream& operator=(const ErrorStream&) = delete;

  // Writes whole lines, each ending in '\n', as far as they fit without waiting.
  void Write(std::string_view lines);

  // Lines dropped since a count was last said.
  uint64_t Dropped() const { return dropped_; }

 private:
  // How the descriptor is written without waiting: as it is (a file), by sends that do not
  // wait (a socket), through a non-blocking description of its own (a pipe, a FIFO, a
  // terminal), or, where that cannot be opened, only while poll says there is room.
  enum class Way { Plain, Socket, Reopened, Polled };
  void Follow();
  // The bytes of `bytes` written now, from the start.
  size_t Put(std::string_view bytes);

  int fd_;
  bool known_ = false;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  Way way_ = Way::Plain;
  int reopened_ = -1;
  std::string rest_;
  uint64_t dropped_ = 0;
};
