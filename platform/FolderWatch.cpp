// FolderWatch: inotify watches on a folder tree, and bursts of its events read as one change.
#include "platform/FolderWatch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                             IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

// Swap, lock and backup files that editors write beside the file they save.
bool EditorsOwn(const char* name) {
  const std::string text = name;
  return text.empty() || text[0] == '.' || text[0] == '#' || text.back() == '~';
}

}  // namespace

FolderWatch::FolderWatch(const std::string& root) {
  std::error_code error;
  root_ = fs::absolute(root, error).lexically_normal().string();
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ >= 0) Rewatch();
}

FolderWatch::~FolderWatch() {
  if (fd_ >= 0) close(fd_);
}

void FolderWatch::Rewatch() {
  if (fd_ < 0) return;
  folders_ = 0;
  if (inotify_add_watch(fd_, root_.c_str(), kEvents | IN_ONLYDIR) < 0) return;
  folders_ = 1;
  std::error_code error;
  fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    // Links are neither followed into nor watched: what they lead to may lie outside.
    if (!it->is_directory(error) || it->is_symlink(error)) continue;
    if (it->path().filename().string()[0] == '.') {
      it.disable_recursion_pending();
      continue;
    }
    if (folders_ >= kMostFolders) break;
    if (inotify_add_watch(fd_, it->path().c_str(), kEvents | IN_ONLYDIR | IN_DONT_FOLLOW) >= 0) {
      ++folders_;
    }
  }
}

bool FolderWatch::Drain() {
  bool counts = false;
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t length = read(fd_, buffer, sizeof buffer);
    if (length <= 0) return counts;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      // An event without a name is about a watched folder itself, or an overflow of the queue.
      if (event->len == 0 || !EditorsOwn(event->name)) counts = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

bool FolderWatch::TakeChanges() {
  if (fd_ < 0 || !Drain()) return false;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(kLongestMs);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) break;
    pollfd watch{fd_, POLLIN, 0};
    if (poll(&watch, 1, static_cast<int>(left < kQuietMs ? left : kQuietMs)) <= 0) break;
    Drain();
  }
  return true;
}
