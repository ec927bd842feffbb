// ContentWatch: --watch, the game's content kept in step with its files while the game runs.
// The game folder is watched; when a file that the last read of the game looked for is saved,
// the whole game is read again by start-up's own content steps into new objects, and these
// take the running game's place only when they would start, with the arrangement kept as far
// as the new content allows. A save that would not start leaves the running game as it is and
// shows its errors over the play screen, in the checker's words, until a later save mends it;
// its warnings and notes are counted there in one line, and every finding goes to standard
// error. No message box opens during a reload, and a reload never ends the game. The folder
// is followed by its path: deleted and made again, or replaced by another renamed into its
// place, it is entered and read anew.
#pragma once

#include <string>
#include <vector>

#include "content/ContentFindings.h"
#include "platform/FolderWatch.h"

class ContentWatch {
 public:
  // Lines shown over the play screen at most, and characters a line holds before it wraps.
  static constexpr size_t kMostLines = 28;
  static constexpr size_t kLineWidth = 80;

  // Watches the working directory, which is the game folder, and has the frame loop's waits
  // wake up for it. `startRead` lists the paths start-up's read looked for
  // (ListResolvedPaths); until a reload, only saves to them count, and without them any save.
  explicit ContentWatch(const std::vector<std::string>& startRead = {});
  ~ContentWatch();
  ContentWatch(const ContentWatch&) = delete;
  ContentWatch& operator=(const ContentWatch&) = delete;

  // For the frame loop: reads the game again when files have been saved since the last call,
  // and says whether it did.
  bool Changed();
  // Reads the game again now; true when the new content has taken the running one's place.
  bool Reload();

  // What the check says of the content as last saved, one finding a line, and what start-up
  // would do when it would not start; empty when nothing is said.
  const std::vector<std::string>& Findings() const { return findings_; }

 private:
  // Enters the folder at the game folder's path when it is no longer the working directory,
  // and watches what is there now.
  void FollowFolder();
  // Puts the errors of a save over the play screen, or clears it when there are none, and says
  // on standard error the findings not said for the save before; `outcome` is empty when the
  // save would start.
  void Show(const std::vector<ContentFindings::Finding>& findings, const std::string& outcome);

  FolderWatch folders_;
  std::vector<std::string> findings_;
  // Errors are shown over the play screen.
  bool broken_ = false;
};
