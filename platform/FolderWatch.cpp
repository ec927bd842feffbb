// FolderWatch: inotify watches on a folder tree, bursts of their events read as one change
// without waiting for them to end, and the root followed by its path.
#include "platform/FolderWatch.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/ContentFile.h"
#include "platform/ProgramOutput.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                             IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t kParentEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                   IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// What tells that the root folder has left its path.
constexpr uint32_t kRootGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
constexpr int64_t kNanosecondsPerMs = 1000000;

int64_t Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 * kNanosecondsPerMs + now.tv_nsec;
}

// Swap, lock and backup files that editors write beside the file they save.
bool EditorsOwn(const char* name) {
  const std::string text = name;
  return text.empty() || text[0] == '.' || text[0] == '#' || text.back() == '~';
}

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsAbsolute(const std::string& path) {
  return !path.empty() && (path[0] == '/' || path[0] == '\\');
}

// A content path as Counts compares it: relative to `root`, with '\' read as '/' and letter
// case folded; empty for the root itself and for what lies outside it.
std::string Comparable(const fs::path& root, std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  const fs::path full = IsAbsolute(path) ? fs::path(path) : root / path;
  std::string relative = full.lexically_normal().lexically_relative(root).string();
  while (relative.ends_with("/.") || relative.ends_with("/")) {
    relative.resize(relative.size() - (relative.back() == '/' ? 1 : 2));
  }
  if (relative == "." || relative == ".." || relative.starts_with("../")) return "";
  return Folded(relative);
}

}  // namespace

FolderWatch::FolderWatch(const std::string& root) {
  std::error_code error;
  root_ = fs::absolute(root, error).lexically_normal().string();
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  rootName_ = fs::path(root_).filename().string();
  changes_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  ready_ = epoll_create1(EPOLL_CLOEXEC);
  epoll_event changes{EPOLLIN, {.fd = changes_}};
  epoll_event timer{EPOLLIN, {.fd = timer_}};
  if (changes_ < 0 || timer_ < 0 || ready_ < 0 ||
      epoll_ctl(ready_, EPOLL_CTL_ADD, changes_, &changes) != 0 ||
      epoll_ctl(ready_, EPOLL_CTL_ADD, timer_, &timer) != 0) {
    SayUnwatched(errno, "");
    for (int* fd : {&changes_, &timer_, &ready_}) {
      if (*fd >= 0) close(*fd);
      *fd = -1;
    }
    return;
  }
  Rewatch();
}

FolderWatch::~FolderWatch() {
  for (const int fd : {changes_, timer_, ready_, rootHeld_}) {
    if (fd >= 0) close(fd);
  }
}

void FolderWatch::Rewatch() {
  if (changes_ < 0) return;
  struct stat root;
  const bool found = stat(root_.c_str(), &root) == 0;
  if (!found || !S_ISDIR(root.st_mode)) {
    if (found || errno == ENOENT || errno == ENOTDIR) {
      looking_ = true;
      nextLook_ = Now() + kLookMs * kNanosecondsPerMs;
      Arm();
    } else {
      SayUnwatched(errno, "");
    }
    return;
  }
  std::unordered_map<int, std::string> watched;
  const int rootWatch = inotify_add_watch(changes_, root_.c_str(), kEvents | IN_ONLYDIR);
  if (rootWatch < 0) {
    SayUnwatched(errno, "");
    return;
  }
  watched[rootWatch] = "";
  std::error_code error;
  fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    // Links are neither followed into nor watched: what they lead to may lie outside.
    if (!it->is_directory(error) || it->is_symlink(error)) continue;
    if (it->path().filename().string()[0] == '.') {
      it.disable_recursion_pending();
      continue;
    }
    const std::string folder = it->path().lexically_relative(root_).string();
    if (watched.size() >= kMostFolders) {
      if (!saidMost_) {
        WriteErrorLine("--watch watches the first " + std::to_string(kMostFolders) +
                       " folders of the game only; saves in the others are not seen");
      }
      saidMost_ = true;
      break;
    }
    const int watch =
        inotify_add_watch(changes_, it->path().c_str(), kEvents | IN_ONLYDIR | IN_DONT_FOLLOW);
    if (watch >= 0) {
      watched[watch] = Folded(folder);
    } else {
      SayUnwatched(errno, folder);
    }
  }
  // Folders no longer under the root's path (a root replaced, a folder moved out) are given up.
  for (const auto& [watch, folder] : folders_) {
    if (!watched.contains(watch)) inotify_rm_watch(changes_, watch);
  }
  folders_ = std::move(watched);
  const int parentWatch =
      inotify_add_watch(changes_, fs::path(root_).parent_path().c_str(), kParentEvents);
  if (parentWatch_ >= 0 && parentWatch != parentWatch_) inotify_rm_watch(changes_, parentWatch_);
  // The system's root folder is its own parent.
  parentWatch_ = parentWatch == rootWatch ? -1 : parentWatch;
  if (root.st_dev != rootDevice_ || root.st_ino != rootInode_ || rootHeld_ < 0) {
    if (rootHeld_ >= 0) close(rootHeld_);
    rootHeld_ = open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  rootWatch_ = rootWatch;
  rootDevice_ = root.st_dev;
  rootInode_ = root.st_ino;
  looking_ = false;
  Arm();
}

void FolderWatch::Narrow(const std::vector<std::string>& paths) {
  paths_.clear();
  std::error_code error;
  const fs::path root(root_);
  const fs::path real = fs::weakly_canonical(root, error);
  for (const std::string& path : paths) {
    paths_.push_back(Comparable(root, path));
    // A path through a link is changed where the link leads: that place counts too.
    const std::string full = IsAbsolute(path) ? path : root_ + "/" + path;
    const ResolvedPath found = ResolveContentPath(full.c_str());
    if (found.match == PathMatch::Missing) continue;
    const fs::path target = fs::weakly_canonical(found.path, error);
    if (!error) paths_.push_back(Comparable(real, target.string()));
  }
  std::sort(paths_.begin(), paths_.end());
  paths_.erase(std::unique(paths_.begin(), paths_.end()), paths_.end());
}

bool FolderWatch::Counts(const std::string& path) const {
  if (path.empty() || paths_.empty()) return true;
  return std::any_of(paths_.begin(), paths_.end(), [&path](const std::string& wanted) {
    return wanted.starts_with(path) && (wanted.size() == path.size() || wanted[path.size()] == '/');
  });
}

bool FolderWatch::Drain() {
  bool counts = false;
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t length = read(changes_, buffer, sizeof buffer);
    if (length <= 0) return counts;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      // Changes were lost: any of them may have counted.
      if (event->mask & IN_Q_OVERFLOW) {
        counts = true;
        continue;
      }
      if (event->wd == parentWatch_) {
        if (event->len == 0 || rootName_ == event->name) LookNow();
        continue;
      }
      const auto folder = folders_.find(event->wd);
      // A watch given up by the last Rewatch.
      if (folder == folders_.end()) continue;
      if (event->wd == rootWatch_ && (event->mask & kRootGone)) LookNow();
      if (event->len == 0) {
        // About the watched folder itself.
        counts = counts || Counts(folder->second);
      } else if (!EditorsOwn(event->name)) {
        const std::string name = Folded(event->name);
        counts = counts || Counts(folder->second.empty() ? name : folder->second + "/" + name);
      }
      if (event->mask & IN_IGNORED) folders_.erase(folder);
    }
  }
}

bool FolderWatch::TakeChanges() {
  if (changes_ < 0) return false;
  // Nothing has come and nothing is due: the common case costs this one call.
  epoll_event ready[2];
  const int count = epoll_wait(ready_, ready, 2, 0);
  if (count <= 0) return false;
  const int64_t now = Now();
  for (int i = 0; i < count; ++i) {
    if (ready[i].data.fd == changes_ && Drain()) Note(now);
    uint64_t expirations = 0;
    if (ready[i].data.fd == timer_) {
      [[maybe_unused]] const ssize_t cleared = read(timer_, &expirations, sizeof expirations);
    }
  }
  if (looking_ && now >= nextLook_) Look(now);
  const bool ended = burst_ && (now - last_ >= kQuietMs * kNanosecondsPerMs ||
                                now - first_ >= kLongestMs * kNanosecondsPerMs);
  if (ended) burst_ = false;
  Arm();
  return ended;
}

void FolderWatch::Note(int64_t now) {
  if (!burst_) first_ = now;
  burst_ = true;
  last_ = now;
}

void FolderWatch::LookNow() {
  looking_ = true;
  nextLook_ = 0;
}

void FolderWatch::Look(int64_t now) {
  struct stat root;
  nextLook_ = now + kLookMs * kNanosecondsPerMs;
  if (stat(root_.c_str(), &root) != 0 || !S_ISDIR(root.st_mode)) return;
  looking_ = false;
  // The folder renamed away and back is the one watched; another one is a change of all.
  if (root.st_dev != rootDevice_ || root.st_ino != rootInode_) Note(now);
}

void FolderWatch::Arm() {
  int64_t due = 0;
  if (burst_) {
    due = std::min(last_ + kQuietMs * kNanosecondsPerMs, first_ + kLongestMs * kNanosecondsPerMs);
  }
  if (looking_ && (due == 0 || nextLook_ < due)) due = nextLook_;
  // All zero stops the timer.
  itimerspec when{};
  when.it_value.tv_sec = static_cast<time_t>(due / (1000 * kNanosecondsPerMs));
  when.it_value.tv_nsec = static_cast<long>(due % (1000 * kNanosecondsPerMs));
  timerfd_settime(timer_, TFD_TIMER_ABSTIME, &when, nullptr);
}

void FolderWatch::SayUnwatched(int error, const std::string& folder) {
  if (std::find(said_.begin(), said_.end(), error) != said_.end()) return;
  said_.push_back(error);
  const std::string reason =
      error == ENOSPC ? "the system's inotify watches are used up (fs.inotify.max_user_watches)"
                      : std::strerror(error);
  WriteErrorLine("--watch cannot watch " +
                 (folder.empty() ? std::string("the game folder") : "'" + folder + "'") + ": " +
                 reason + "; " + (folder.empty() ? "saves are" : "saves in it are") + " not seen");
}
