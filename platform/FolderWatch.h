// FolderWatch: change notification for the folders of a game, through inotify. It watches the
// folders themselves, not single files, so that every way editors save is heard of (written in
// place, written anew and renamed over the old file, deleted and made again), and so is a
// folder removed and restored. Nothing outside its root is watched: links are not followed.
// It is not a scan: between changes it costs nothing, and its descriptor lets a wait that
// blocks on the window system wake up for a change too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FolderWatch {
 public:
  // Folders watched at most; hidden folders (a name starting with '.') are never watched.
  static constexpr size_t kMostFolders = 1000;
  // A burst of changes ends when nothing more has come for kQuietMs, or kLongestMs after its
  // first change: a save that takes several writes is taken as one.
  static constexpr int kQuietMs = 30;
  static constexpr int kLongestMs = 250;

  // A watch on `root` and every folder under it; closed when the system has no watch to give.
  explicit FolderWatch(const std::string& root);
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // Readable when a change has come and not been taken.
  int Descriptor() const { return fd_; }

  // Watches the root and the folders under it again, taking in the ones made since; the
  // system forgets removed ones by itself.
  void Rewatch();
  // Whether a file or folder has changed since the last call, after the burst it belongs to
  // has ended. Never blocks when nothing has changed. Changes to editors' own files (hidden
  // names, "#name#" and "name~") do not count.
  bool TakeChanges();
  // The folders watched at the last Rewatch.
  size_t FolderCount() const { return folders_; }

 private:
  // Reads every change now waiting; true when one counts.
  bool Drain();

  std::string root_;
  int fd_ = -1;
  size_t folders_ = 0;
};
