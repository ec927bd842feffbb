// FolderWatch: change notification for the folders of a game, through inotify. It watches the
// folders themselves, not single files, so that every way editors save is heard of (written in
// place, written anew and renamed over the old file, deleted and made again), and so is a
// folder removed and restored. Nothing outside its root is watched: links are not followed.
// The root is followed by its path: deleted and made again, or replaced by another folder
// renamed into its place, it is found again.
// It is not a scan: between changes it costs nothing, and its descriptor lets a wait that
// blocks on the window system wake up for a change, and for the end of a burst of them.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class FolderWatch {
 public:
  // Folders watched at most; hidden folders (a name starting with '.') are never watched.
  static constexpr size_t kMostFolders = 1000;
  // A burst of changes ends when nothing more has come for kQuietMs, or kLongestMs after its
  // first change: a save that takes several writes is taken as one.
  static constexpr int kQuietMs = 30;
  static constexpr int kLongestMs = 250;
  // While the root's path holds no folder, or not the one watched, how often it is looked at.
  static constexpr int kLookMs = 200;

  // A watch on `root` and every folder under it. What cannot be watched (no watch left in the
  // system, a path too long) is said once on standard error for each reason.
  explicit FolderWatch(const std::string& root);
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  bool IsOpen() const { return changes_ >= 0; }
  // Readable when a change has come, or when the end of a burst or a look at the root's path
  // is due: a wait on it ends whenever TakeChanges has something to do.
  int Descriptor() const { return ready_; }
  // The root's absolute path.
  const std::string& Root() const { return root_; }

  // Watches the folder now at the root's path and the folders under it again, taking in the
  // ones made since and giving up those no longer there. While the path holds no folder, the
  // old watches go on and the path is looked at until one is there again.
  void Rewatch();
  // Only changes to these paths count from now on, to folders on the way to them, and to the
  // root itself. Paths are relative to the root or absolute, as content names them: '\' is a
  // separator too and letter case is ignored. An empty list lets every change count.
  void Narrow(const std::vector<std::string>& paths);
  // Whether a change that counts has come since the last call and the burst it belongs to has
  // ended; a folder found at the root's path anew counts as one. Never blocks. Changes to
  // editors' own files (hidden names, "#name#" and "name~") do not count.
  bool TakeChanges();
  // The folders watched at the last Rewatch.
  size_t FolderCount() const { return folders_.size(); }

 private:
  // Reads every change now waiting; true when one counts.
  bool Drain();
  // Whether a change to the entry at `path` (relative to the root, letter case folded) counts.
  bool Counts(const std::string& path) const;
  // A change that counts, taken into the burst.
  void Note(int64_t now);
  // Looks at the root's path: another folder there is a change of everything; while it holds
  // none, it is looked at again every kLookMs.
  void Look(int64_t now);
  void LookNow();
  // The timer set to the next moment something is due, or stopped.
  void Arm();
  // Says why a folder (the root when `folder` is empty) is not watched, once for each reason.
  void SayUnwatched(int error, const std::string& folder);

  std::string root_;
  int changes_ = -1;  // inotify
  int timer_ = -1;
  int ready_ = -1;  // epoll over both
  // The watched folders by watch descriptor, relative to the root with letter case folded.
  std::unordered_map<int, std::string> folders_;
  int rootWatch_ = -1;
  // The root's parent, where its deletion shows: while the working directory is the root,
  // the root's own watch hears nothing of it.
  int parentWatch_ = -1;
  std::string rootName_;
  // The watched root held open, so that its inode number is not given to a new folder while
  // the watch compares the two.
  int rootHeld_ = -1;
  dev_t rootDevice_ = 0;
  ino_t rootInode_ = 0;
  // The paths that count, as Counts compares them; empty when every path does.
  std::vector<std::string> paths_;
  // The burst being gathered: when its first and its last change came.
  bool burst_ = false;
  int64_t first_ = 0;
  int64_t last_ = 0;
  bool looking_ = false;
  int64_t nextLook_ = 0;
  std::vector<int> said_;
  bool saidMost_ = false;
};
