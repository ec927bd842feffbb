// ContentWatch: reloading on a save, and the findings of a save that would not start.
#include "app/ContentWatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "app/ContentSteps.h"
#include "board/Arrangement.h"
#include "board/GameEngine.h"
#include "content/ContentFindings.h"
#include "display/DisplayDevice.h"
#include "display/FrameComposition.h"
#include "platform/ContentFile.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"
#include "platform/Sound.h"

namespace {

// What start-up would do with the saved content, when it would not start.
std::string Outcome(const ContentOutcome& outcome) {
  const std::string would = outcome.end == ContentOutcome::End::Silent
                                ? "would end without a message"
                                : "would stop with \"" + outcome.message + "\"";
  return "the game as saved " + would + "; the last good game goes on until a save mends it";
}

// A line cut into pieces of at most `width` characters, at a space where there is one; the
// pieces after the first are indented.
std::vector<std::string> Wrapped(const std::string& line, size_t width) {
  std::vector<std::string> pieces;
  std::string rest = line;
  while (rest.size() > width) {
    size_t cut = rest.rfind(' ', width);
    if (cut == std::string::npos || cut < width / 2) cut = width;
    pieces.push_back(rest.substr(0, cut));
    rest = "    " + rest.substr(rest[cut] == ' ' ? cut + 1 : cut);
  }
  pieces.push_back(rest);
  return pieces;
}

}  // namespace

ContentWatch::ContentWatch(const std::vector<std::string>& startRead) : folders_(".") {
  folders_.Narrow(startRead);
  SetWakeDescriptor(folders_.Descriptor());
}

ContentWatch::~ContentWatch() {
  SetWakeDescriptor(-1);
  FrameComposition::SetOverlayLines({});
}

bool ContentWatch::Changed() {
  if (!folders_.TakeChanges() || !Engine || !Display) return false;
  Reload();
  return true;
}

bool ContentWatch::Reload() {
  // Folders made since the last reload are watched before anything is read, so that a save
  // made while reading is not missed.
  FollowFolder();
  const Arrangement arrangement = Arrangement::Take(*Engine);
  // The check's kind of findings, kept instead of written as they are found.
  std::ostringstream unwritten;
  ContentFindings findings(unwritten);
  const int32_t lastError = LastError;
  GameObjects objects;
  ContentOutcome outcome;
  {
    // The findings say what the boxes of a start would.
    const MessageBoxesHeld held;
    std::vector<std::string> read;
    ListResolvedPaths(&read);
    outcome = ReadGameInto(objects, findings);
    ListResolvedPaths(nullptr);
    folders_.Narrow(read);
  }
  LastError = lastError;
  const bool starts = outcome.end == ContentOutcome::End::Starts;
  if (starts) {
    ExchangeWithGlobals(objects);
    arrangement.Restore(*Engine);
    ForgetSounds();
  }
  // `objects` now holds the game that is not kept, and releases it.
  std::vector<std::string> lines;
  for (const ContentFindings::Finding& finding : findings.Findings()) {
    lines.push_back(finding.text);
  }
  if (!starts) lines.push_back(Outcome(outcome));
  Show(std::move(lines));
  return starts;
}

void ContentWatch::FollowFolder() {
  struct stat here, there;
  const std::string& folder = folders_.Root();
  if (stat(".", &here) == 0 && stat(folder.c_str(), &there) == 0 &&
      (here.st_dev != there.st_dev || here.st_ino != there.st_ino)) {
    // A folder that cannot be entered leaves the read where it was, and its findings say what
    // is missing there.
    [[maybe_unused]] const bool entered = chdir(folder.c_str()) == 0;
  }
  folders_.Rewatch();
}

void ContentWatch::Show(std::vector<std::string> findings) {
  if (findings == findings_) return;
  for (const std::string& line : findings) WriteErrorLine(line);
  if (findings.empty()) WriteErrorLine("reloaded: the problems are mended");
  findings_ = std::move(findings);

  std::vector<std::string> shown;
  for (const std::string& finding : findings_) {
    for (std::string& piece : Wrapped(Printable(finding), kLineWidth)) {
      shown.push_back(std::move(piece));
    }
  }
  if (shown.size() > kMostLines) {
    const size_t more = shown.size() - (kMostLines - 1);
    shown.resize(kMostLines - 1);
    shown.push_back("... and " + std::to_string(more) + " more lines on standard error");
  }
  FrameComposition::SetOverlayLines(std::move(shown));
}
