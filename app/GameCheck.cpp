// GameCheck: start-up's reading of the content, with every failure reported instead of ending.
#include "app/GameCheck.h"

#include <stdlib.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/WinMain.h"
#include "board/GameEngine.h"
#include "content/Character.h"
#include "content/ContentFindings.h"
#include "content/DefinitionFile.h"
#include "display/DisplayDevice.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

namespace {

using Severity = ContentFindings::Severity;

// What start-up shows when it ends on these failures.
constexpr const char* kTooManyMessage = "Too many characters in definition file. Terminating";
constexpr const char* kEngineMessage = "Failed to initialize game engine.";
// The board overlays the engine loads; without either it fails.
constexpr const char* kOverlays[] = {"images/ShadedOverlay.bmp", "images/GridOverlay.bmp"};
constexpr int32_t kOverlaySide = 432;
// Characters checked at most. The game refuses more than five; each one checked is another
// pass over the definition, which bounds the time a huge count can take.
constexpr int32_t kMostChecked = 32;

std::string Stops(const std::string& message) { return "the game stops with \"" + message + "\""; }
constexpr const char* kEndsSilently = "the game ends without a message";

std::string Counted(int32_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

int64_t Procedure(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

class Check {
 public:
  Check(std::ostream& out, std::ostream& err) : out_(out), err_(err), findings_(out) {}

  int Run();

 private:
  bool OpenDisplay();
  // The steps of start-up that read content, in its order.
  void CheckHeader(const DefinitionHeader& header, int32_t result);
  void CheckCharacters(std::unique_ptr<DefinitionFile>& definition, const DefinitionHeader& header);
  // Warnings for CHARACTER sections that start-up never reads.
  void CheckUnreadSections(int32_t count, bool countMissing);
  // The line of the first section of character `index` in the definition.
  int32_t SectionLine(int32_t index) const;
  void CheckEngine();
  // The sound as the game plays it: only a WAV file within the limit.
  void CheckSound();
  // Start-up ends here, unless it has ended before.
  void Ends(const std::string& outcome) {
    if (!outcome_) outcome_ = outcome;
  }

  std::ostream& out_;
  std::ostream& err_;
  ContentFindings findings_;
  std::optional<std::string> outcome_;
  int32_t characters_ = 0;
  // Texts of the message boxes that start-up would show.
  std::vector<std::string> boxes_;
};

int Check::Run() {
  if (!OpenDisplay()) {
    err_ << "tarnwick: cannot check: no display device"
         << (LastError > 0 ? std::string(" (") + ErrorMessages[LastError] + ")" : "") << '\n';
    return kCheckCannotRun;
  }
  SetMessageBoxHandler(
      [this](const std::string& text, const std::string&) { boxes_.push_back(text); });
  SetMessageBoxEcho(false);
  ContentReport::Install(&findings_);

  {
    auto definition = std::make_unique<DefinitionFile>();
    DefinitionHeader header;
    const int32_t result = definition->ReadHeader(kDefinitionPath, &header);
    if (definition->isOpen) {
      CheckHeader(header, result);
      CheckCharacters(definition, header);
      definition->Close();
    } else {
      Ends(kEndsSilently);
    }
  }
  CheckEngine();
  CheckSound();

  const int32_t errors = findings_.Count(Severity::Error);
  out_ << Counted(errors, "error") << ", " << Counted(findings_.Count(Severity::Warning), "warning")
       << ", " << Counted(findings_.Count(Severity::Note), "note") << ": "
       << outcome_.value_or("the game starts with " + (characters_ > 0
                                                           ? Counted(characters_, "character")
                                                           : std::string("no characters")))
       << std::endl;
  return errors > 0 ? kCheckErrors : kCheckClean;
}

bool Check::OpenDisplay() {
  // The dummy driver needs no screen, so the check runs over ssh and in CI alike.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!InitVideo()) return false;
  const WindowHandle window = CreatePlatformWindow("Tarnwick", 0, 0, 640, 480, true, Procedure);
  Display = std::make_unique<DisplayDevice>();
  // Made before the definition is read, as at start-up: it clears the background.
  Engine = std::make_unique<GameEngine>();
  return window && Display->Init(1, window, 640, 480, 32, 0);
}

void Check::CheckHeader(const DefinitionHeader& header, int32_t result) {
  const std::string file = kDefinitionPath;
  if (!header.complete) {
    std::vector<std::string> missing;
    if (!header.name) missing.emplace_back("NAME=");
    if (!header.description) missing.emplace_back("DESCRIPTION=");
    if (header.characterCount == 0) missing.emplace_back("a CHARACTERS= other than 0");
    std::string lacks;
    for (size_t i = 0; i < missing.size(); ++i) {
      lacks += (i == 0 ? "" : i + 1 == missing.size() ? " and " : ", ") + missing[i];
    }
    int32_t line = 0;
    for (const auto& section : findings_.Sections(file)) {
      if (section.literal == "HEADER") {
        line = section.line;
        break;
      }
    }
    findings_.Add(Severity::Error, file, line,
                  (line ? "the header lacks " + lacks : std::string("there is no HEADER section")) +
                      (result == -2 ? ", as far as it is read" : "") + " (" + kEndsSilently + ")");
    Ends(kEndsSilently);
  }
  if (header.characterCount > kMostCharacters) {
    findings_.Add(Severity::Error, file, findings_.KeyLine(file, "CHARACTERS="),
                  "CHARACTERS=" + std::to_string(header.characterCount) + " is more than " +
                      std::to_string(kMostCharacters) + " (" + Stops(kTooManyMessage) + ")");
    Ends(Stops(kTooManyMessage));
  }
}

void Check::CheckCharacters(std::unique_ptr<DefinitionFile>& definition,
                            const DefinitionHeader& header) {
  const std::string file = kDefinitionPath;
  const int32_t count = header.characterCount;
  const int32_t countLine = findings_.KeyLine(file, "CHARACTERS=");
  // Without a count, the characters are read for as long as their sections follow each other.
  const bool countMissing = !header.complete && count == 0;
  const int32_t checked = countMissing ? kMostChecked : std::min(count, kMostChecked);
  if (count > kMostChecked) {
    findings_.Add(
        Severity::Note, file, countLine,
        "characters after the first " + std::to_string(kMostChecked) + " are not checked");
  }
  std::vector<int32_t> missing;
  for (int32_t index = 0; index < checked; ++index) {
    // The reader closes the definition when it finds no section; the rest are read from a
    // fresh one, whose header has been heard of already.
    if (!definition->isOpen) {
      ContentReport::Install(nullptr);
      definition = std::make_unique<DefinitionFile>();
      DefinitionHeader again;
      definition->ReadHeader(kDefinitionPath, &again);
      ContentReport::Install(&findings_);
    }
    boxes_.clear();
    const std::unique_ptr<Character> character = definition->ReadCharacter(index);
    if (!character && boxes_.empty()) {
      if (countMissing) break;
      missing.push_back(index);
      Ends(kEndsSilently);
      continue;
    }
    if (!character) {
      // The character's own box comes after those of its animation packages.
      Ends(Stops(boxes_.back()));
    } else if (character->cellCount <= 0) {
      findings_.Add(Severity::Warning, file, SectionLine(index),
                    "character " + std::to_string(index) + " has no cells");
    }
  }
  if (!missing.empty()) {
    std::string numbers;
    for (size_t i = 0; i < missing.size(); ++i) {
      numbers += (i == 0                    ? ""
                  : i + 1 == missing.size() ? " and "
                                            : ", ") +
                 std::to_string(missing[i]);
    }
    findings_.Add(Severity::Error, file, countLine,
                  (missing.size() == 1 ? "there is no section CHARACTER "
                                       : "there are no sections CHARACTER ") +
                      numbers + ", which CHARACTERS=" + std::to_string(count) + " asks for (" +
                      kEndsSilently + ")");
  }
  CheckUnreadSections(count, countMissing);
  characters_ = count;
}

void Check::CheckUnreadSections(int32_t count, bool countMissing) {
  const std::string file = kDefinitionPath;
  std::map<int32_t, int32_t> firstLines;
  for (const auto& section : findings_.Sections(file)) {
    if (section.literal != "CHARACTER") continue;
    const std::string name = "section 'CHARACTER " + std::to_string(section.number) + "'";
    const auto [first, added] = firstLines.emplace(section.number, section.line);
    if (!added) {
      findings_.Add(Severity::Warning, file, section.line,
                    name + " is never read: the one at line " + std::to_string(first->second) +
                        " comes first");
    } else if (!countMissing && (section.number < 0 || section.number >= count)) {
      findings_.Add(
          Severity::Warning, file, section.line,
          name + " is never read: CHARACTERS=" + std::to_string(count) +
              (count > 0 ? " reads CHARACTER 0 to " + std::to_string(count - 1) : " reads none"));
    }
  }
}

int32_t Check::SectionLine(int32_t index) const {
  for (const auto& section : findings_.Sections(kDefinitionPath)) {
    if (section.literal == "CHARACTER" && section.number == index) return section.line;
  }
  return 0;
}

void Check::CheckEngine() {
  for (const char* overlay : kOverlays) findings_.CheckPath(overlay, overlay, 0);
  if (!Engine->Init()) {
    for (const char* overlay : kOverlays) {
      Surface* surface = Display->LoadBitmap(0, overlay);
      if (!surface) {
        findings_.Add(Severity::Error, overlay, 0,
                      "board overlay cannot be loaded (" + Stops(kEngineMessage) + ")");
      }
      Display->ReleaseSurface(surface);
    }
    Ends(Stops(kEngineMessage));
    return;
  }
  const Surface* loaded[] = {Engine->shadedOverlay, Engine->gridOverlay};
  for (size_t i = 0; i < std::size(kOverlays); ++i) {
    const SurfaceRect size = DisplayDevice::GetSurfaceSize(loaded[i]);
    if (size.right != kOverlaySide || size.bottom != kOverlaySide) {
      findings_.Add(Severity::Warning, kOverlays[i], 0,
                    "board overlay is " + std::to_string(size.right) + " x " +
                        std::to_string(size.bottom) + ", not 432 x 432");
    }
  }
}

void Check::CheckSound() { findings_.CheckSound(kWarningSound); }

}  // namespace

int RunCheck(std::ostream& out, std::ostream& err) {
  Check check(out, err);
  const int result = check.Run();
  // Everything made for the check goes, the surfaces before the device that made them.
  ContentReport::Install(nullptr);
  SetMessageBoxHandler(nullptr);
  SetMessageBoxEcho(true);
  Engine.reset();
  Display.reset();
  ShutdownPlatform();
  return result;
}
