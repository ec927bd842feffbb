// ContentFile: content path resolution with the letter-case fallback, and opening of regular
// files that never waits.
#include "platform/ContentFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct FolderCloser {
  void operator()(DIR* folder) const { ::closedir(folder); }
};
using FolderPtr = std::unique_ptr<DIR, FolderCloser>;

// The list of ListResolvedPaths; the audio thread resolves the sound's path at the same time as
// start-up reads the rest, and is not listed.
thread_local std::vector<std::string>* listed = nullptr;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool Exists(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The entries of `folder` whose names are `name` but for letter case, into `found`. False when
// the budget of entries runs out before the end. More than one means none: the home platform
// could not hold both, so the content cannot mean either.
bool FindIgnoringCase(const std::string& folder, std::string_view name, size_t& budget,
                      std::vector<std::string>& found) {
  const FolderPtr entries(::opendir(folder.c_str()));
  if (!entries) return false;
  while (const dirent* entry = ::readdir(entries.get())) {
    if (budget == 0) return false;
    --budget;
    if (SameIgnoringCase(entry->d_name, name)) found.emplace_back(entry->d_name);
  }
  return true;
}

// The folders where the system shows itself as files. Their files claim to be regular, but
// many never end (/proc/self/pagemap reads as hundreds of gigabytes) and reading some of them
// acts on the system; a link in a game folder may lead to any of them. /dev/shm, shared memory,
// is the one place there that holds ordinary files.
constexpr std::string_view kSystemFolders[] = {"/proc", "/sys", "/dev"};
constexpr std::string_view kOrdinaryFolder = "/dev/shm";

bool Within(std::string_view place, std::string_view folder) {
  return place.starts_with(folder) &&
         (place.size() == folder.size() || place[folder.size()] == '/');
}

// The system folder that `path` really lies in, after every link; empty for any other place.
std::string_view SystemFolderOf(const std::string& path) {
  char real[PATH_MAX];
  if (!::realpath(path.c_str(), real) || Within(real, kOrdinaryFolder)) return {};
  for (const std::string_view folder : kSystemFolders) {
    if (Within(real, folder)) return folder;
  }
  return {};
}

// Whether an open file lies on one of the kernel's own file systems, which may be mounted
// anywhere, the system folders' among them.
bool OnSystemFileSystem(int fd) {
  struct statfs system;
  if (::fstatfs(fd, &system) != 0) return false;
  switch (system.f_type) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
    case NSFS_MAGIC:
      return true;
    default:
      return false;
  }
}

constexpr const char* kSystemFile = "it is one of the system's own files";

}  // namespace

ResolvedPath ResolveContentPath(const char* path) {
  if (listed && path) listed->push_back(path);
  if (!path || *path == '\0') return {};
  if (Exists(path)) return {path, PathMatch::Exact, {}};
  const std::string_view given(path);

  std::string resolved = IsSeparator(given.front()) ? "/" : "";
  size_t budget = ContentFile::kMaxEntriesRead;
  for (size_t start = 0; start < given.size();) {
    size_t end = start;
    while (end < given.size() && !IsSeparator(given[end])) ++end;
    const std::string_view name = given.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    if (!resolved.empty() && resolved.back() != '/') resolved += '/';
    const size_t folderLength = resolved.size();
    resolved += name;
    // A component that exists as written is kept; "." and ".." always do, so the system
    // resolves them as on any other path.
    if (Exists(resolved)) continue;
    std::vector<std::string> found;
    const std::string folder = folderLength == 0 ? "." : resolved.substr(0, folderLength);
    if (!FindIgnoringCase(folder, name, budget, found) || found.size() != 1) {
      ResolvedPath missing;
      if (found.size() > 1) {
        std::sort(found.begin(), found.end());
        for (const std::string& entry : found) {
          missing.alike.push_back(resolved.substr(0, folderLength) + entry);
        }
      }
      return missing;
    }
    resolved.replace(folderLength, std::string::npos, found.front());
  }
  // A trailing separator asks for a folder, as it does on an exact path.
  if (IsSeparator(given.back()) && resolved.back() != '/') resolved += '/';
  if (!Exists(resolved)) return {};
  return {std::move(resolved), PathMatch::Fallback, {}};
}

void ListResolvedPaths(std::vector<std::string>* into) { listed = into; }

ContentFile::ContentFile(const char* path, off_t mostBytes) {
  const ResolvedPath found = ResolveContentPath(path);
  if (found.match == PathMatch::Missing) return;
  // Only a regular file is opened at all: opening a device may start it, and opening a FIFO
  // waits for a writer, for ever if none comes.
  struct stat status;
  if (::stat(found.path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
      !SystemFolderOf(found.path).empty()) {
    return;
  }
  // The file may be swapped meanwhile: O_NONBLOCK keeps even a FIFO's open from waiting, and
  // what was opened is checked again before the flag is dropped for plain reading.
  const int fd = ::open(found.path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > mostBytes ||
      OnSystemFileSystem(fd) || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  size_ = status.st_size;
}

std::string ContentFile::WhyNotOpened(const char* path, off_t mostBytes) {
  const ResolvedPath found = ResolveContentPath(path);
  struct stat status;
  // Not found at all: a folder on the way may be there but closed to this user.
  if (found.match == PathMatch::Missing) {
    return std::strerror(::stat(path, &status) != 0 ? errno : ENOENT);
  }
  if (::stat(found.path.c_str(), &status) != 0) return std::strerror(errno);
  if (S_ISDIR(status.st_mode)) return "it is a folder";
  if (!S_ISREG(status.st_mode)) return "it is not a regular file";
  const std::string_view folder = SystemFolderOf(found.path);
  if (!folder.empty()) return kSystemFile + std::string(" (in ") + std::string(folder) + ")";
  const ContentFile file(path);
  if (!file.IsOpen()) {
    const int fd = ::open(found.path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    const bool system = OnSystemFileSystem(fd);
    ::close(fd);
    return system ? kSystemFile : "it changed while it was opened";
  }
  if (file.Size() <= mostBytes) return "";
  constexpr off_t kMebibyte = 1024 * 1024;
  const std::string most =
      std::to_string(mostBytes) +
      (mostBytes % kMebibyte == 0 ? " (" + std::to_string(mostBytes / kMebibyte) + " MiB)" : "");
  return "it holds " + std::to_string(file.Size()) + " bytes, more than the " + most +
         " a file of its kind may hold";
}

ContentFile::~ContentFile() {
  if (fd_ >= 0) ::close(fd_);
}

ContentFile::ContentFile(ContentFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

ContentFile& ContentFile::operator=(ContentFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

ssize_t ContentFile::Read(void* into, size_t count) {
  for (;;) {
    const ssize_t got = ::read(fd_, into, count);
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool ContentFile::Rewind() { return fd_ >= 0 && ::lseek(fd_, 0, SEEK_SET) == 0; }

bool ContentFile::Close() {
  if (fd_ < 0) return false;
  size_ = 0;
  return ::close(std::exchange(fd_, -1)) == 0;
}

int ContentFile::Release() {
  size_ = 0;
  return std::exchange(fd_, -1);
}
