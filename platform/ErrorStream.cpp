// ErrorStream: writes that never wait, and the count of the lines they dropped.
#include "platform/ErrorStream.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/ProgramOutput.h"

namespace {

size_t Lines(std::string_view text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Holds SIGPIPE back while it lives, and takes away one that a write raised meanwhile: a
// reader that has gone makes the write fail instead of ending the program.
class BrokenPipeHeld {
 public:
  BrokenPipeHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    pendingBefore_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &before_);
  }
  ~BrokenPipeHeld() {
    sigset_t pending;
    if (!pendingBefore_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
      const timespec none{};
      sigtimedwait(&pipe_, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
  }
  BrokenPipeHeld(const BrokenPipeHeld&) = delete;
  BrokenPipeHeld& operator=(const BrokenPipeHeld&) = delete;

 private:
  sigset_t pipe_;
  sigset_t before_;
  bool pendingBefore_ = false;
};

}  // namespace

ErrorStream::ErrorStream(int fd) : fd_(fd) {}

ErrorStream::~ErrorStream() {
  if (reopened_ >= 0) ::close(reopened_);
}

void ErrorStream::Follow() {
  struct stat status;
  if (::fstat(fd_, &status) != 0) {
    known_ = false;
    way_ = Way::Plain;
    return;
  }
  if (known_ && status.st_dev == device_ && status.st_ino == inode_) return;
  known_ = true;
  device_ = status.st_dev;
  inode_ = status.st_ino;
  rest_.clear();
  if (reopened_ >= 0) ::close(reopened_);
  reopened_ = -1;
  if (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode)) {
    way_ = Way::Plain;
  } else if (S_ISSOCK(status.st_mode)) {
    way_ = Way::Socket;
  } else {
    // The descriptor's own description is shared with the shell and whoever else holds the
    // terminal or pipe: making it non-blocking would change their writes too.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    reopened_ = ::open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    way_ = reopened_ >= 0 ? Way::Reopened : Way::Polled;
  }
}

size_t ErrorStream::Put(std::string_view bytes) {
  const BrokenPipeHeld held;
  size_t done = 0;
  while (done < bytes.size()) {
    const char* from = bytes.data() + done;
    const size_t count = bytes.size() - done;
    ssize_t got = -1;
    switch (way_) {
      case Way::Plain:
        got = ::write(fd_, from, count);
        break;
      case Way::Socket:
        got = ::send(fd_, from, count, MSG_DONTWAIT | MSG_NOSIGNAL);
        break;
      case Way::Reopened:
        got = ::write(reopened_, from, count);
        break;
      case Way::Polled: {
        // A pipe with room takes PIPE_BUF bytes at once without waiting.
        pollfd room{fd_, POLLOUT, 0};
        if (::poll(&room, 1, 0) != 1 || (room.revents & POLLOUT) == 0) return done;
        got = ::write(fd_, from, std::min<size_t>(count, PIPE_BUF));
        break;
      }
    }
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

void ErrorStream::Write(std::string_view lines) {
  Follow();
  if (!rest_.empty()) {
    rest_.erase(0, Put(rest_));
    if (!rest_.empty()) {
      dropped_ += Lines(lines);
      return;
    }
  }
  std::string out;
  if (dropped_ > 0) {
    out = kProgramPrefix + std::to_string(dropped_) +
          (dropped_ == 1 ? " line of standard error was dropped\n"
                         : " lines of standard error were dropped\n");
  }
  out.append(lines);
  const size_t written = Put(out);
  if (written == 0) {
    dropped_ += Lines(lines);
    return;
  }
  // What is under way is finished first; the count, once begun, has been said.
  size_t kept = written;
  if (out[written - 1] != '\n') {
    const size_t end = out.find('\n', written);
    kept = end == std::string::npos ? out.size() : end + 1;
    rest_ = out.substr(written, kept - written);
  }
  dropped_ = Lines(std::string_view(out).substr(kept));
}
