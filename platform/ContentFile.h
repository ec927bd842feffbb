// ContentFile: a game's content file, found the way the content's home platform finds a path
// and opened for reading only when it is a regular file outside the system's own files, without
// ever waiting.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

// How a content path was found: as written; only by reading '\' as a separator and ignoring
// letter case; or not at all.
enum class PathMatch { Exact, Fallback, Missing };

struct ResolvedPath {
  // The path to open: the given one when Exact, the one found when Fallback, empty when Missing.
  std::string path;
  PathMatch match = PathMatch::Missing;
  // When Missing because a folder holds several entries that differ from a component only in
  // letter case: their paths, sorted, so that a finding can name them all.
  std::vector<std::string> alike;
};

// Content written on a platform whose file names ignore letter case names `Images\Board.BMP`
// for `images/board.bmp`. A path that exists as written is taken as it is. Otherwise '\' is a
// separator like '/', and each component that does not exist as written is replaced by the one
// entry of its folder whose name differs from it only in the case of ASCII letters; none, or
// more than one, makes the path missing. The work is bounded: folders too big to read through
// count as missing.
ResolvedPath ResolveContentPath(const char* path);

// While a list is given, every path this thread asks ResolveContentPath for is added to it as
// written, found or not: a watch on the game learns which files a read of it looked for. Null
// ends the listing.
void ListResolvedPaths(std::vector<std::string>* into);

class ContentFile {
 public:
  // Folder entries one resolution reads at most, in all folders together; the system's own
  // limit on the length of a path bounds the other steps.
  static constexpr size_t kMaxEntriesRead = 64 * 1024;
  // The size limit of a file whose reader judges its size itself.
  static constexpr off_t kAnySize = std::numeric_limits<off_t>::max();

  // A closed file; or the file `path` resolves to, opened if it is a regular file of at most
  // `mostBytes` bytes. A missing path, a folder, a device, a FIFO, a socket, and a file that
  // really lies in the system's /proc, /sys or /dev (or on a file system like theirs) leave it
  // closed: none is opened in a way that could wait (for a FIFO's writer) or start a device,
  // and none of the system's files is read, since some of them never end.
  ContentFile() = default;
  explicit ContentFile(const char* path, off_t mostBytes = kAnySize);
  ~ContentFile();
  ContentFile(ContentFile&& other) noexcept;
  ContentFile& operator=(ContentFile&& other) noexcept;
  ContentFile(const ContentFile&) = delete;
  ContentFile& operator=(const ContentFile&) = delete;

  // Why `path` gives no open file of at most `mostBytes` bytes, as the system says it ("No such
  // file or directory") or in words of the same kind; empty when it opens.
  static std::string WhyNotOpened(const char* path, off_t mostBytes = kAnySize);

  bool IsOpen() const { return fd_ >= 0; }
  // The descriptor, and the file's size when it was opened.
  int Descriptor() const { return fd_; }
  off_t Size() const { return size_; }

  // Reading: up to `count` bytes (0 at the end of the file, -1 on an error); back to the start.
  ssize_t Read(void* into, size_t count);
  bool Rewind();

  // Closing: false when the system reported an error; the descriptor is gone either way.
  // Release hands the descriptor to a new owner instead.
  bool Close();
  int Release();

 private:
  int fd_ = -1;
  off_t size_ = 0;
};
