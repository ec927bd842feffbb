// ContentWatch: reloading on a save, and the findings of a save that would not start.
#include "app/ContentWatch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "app/ContentSteps.h"
#include "board/Arrangement.h"
#include "board/GameEngine.h"
#include "composition/FrameComposition.h"
#include "content/ContentFindings.h"
#include "display/DisplayDevice.h"
#include "platform/ContentFile.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"
#include "platform/Sound.h"
#include "platform/StopSignals.h"

namespace {

// What start-up would do with the saved content, when it would not start.
std::string Outcome(const ContentOutcome& outcome) {
  const std::string would = outcome.end == ContentOutcome::End::Silent
                                ? "would show its first error in a box and end"
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
  // A stop request cuts the reading short: the game as saved is not judged by what it missed.
  if (StopRequested()) return false;
  const bool starts = outcome.end == ContentOutcome::End::Starts;
  if (starts) {
    ExchangeWithGlobals(objects);
    arrangement.Restore(*Engine);
    ForgetSounds();
  }
  // `objects` now holds the game that is not kept, and releases it.
  Show(findings.Findings(), starts ? "" : Outcome(outcome));
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

void ContentWatch::Show(const std::vector<ContentFindings::Finding>& findings,
                        const std::string& outcome) {
  std::vector<std::string> said;
  std::vector<std::string> errors;
  size_t others = 0;
  for (const ContentFindings::Finding& finding : findings) {
    said.push_back(finding.text);
    if (finding.severity == ContentFindings::Severity::Error) {
      errors.push_back(finding.text);
    } else {
      ++others;
    }
  }
  if (!outcome.empty()) {
    said.push_back(outcome);
    errors.push_back(outcome);
  }
  if (said == findings_) return;
  // A save that changes little says only what is new, and what the game would do.
  bool written = false;
  for (const std::string& line : said) {
    if (std::find(findings_.begin(), findings_.end(), line) != findings_.end() &&
        !(written && line == outcome)) {
      continue;
    }
    WriteErrorLine(line);
    written = true;
  }
  if (broken_ && errors.empty()) WriteErrorLine("reloaded: the problems are mended");
  broken_ = !errors.empty();
  findings_ = std::move(said);

  // Only what keeps the saved game from starting covers the board; the rest is counted.
  if (broken_ && others > 0) {
    errors.push_back("and " + std::to_string(others) +
                     (others == 1 ? " warning or note" : " warnings and notes") +
                     " more, on standard error");
  }
  std::vector<std::string> shown;
  for (const std::string& error : errors) {
    for (std::string& piece : Wrapped(Printable(error), kLineWidth)) {
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
