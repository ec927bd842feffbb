// ContentSteps: start-up's reading of the content, step by step, with what each step finds.
#include "app/ContentSteps.h"

#include <malloc.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "board/GameEngine.h"
#include "content/Character.h"
#include "content/DefinitionFile.h"
#include "content/GameFiles.h"
#include "content/SectionScanner.h"
#include "display/PictureBudget.h"
#include "platform/ContentFile.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"

namespace {

using Severity = ContentFindings::Severity;

// Characters a check reads at most. The game refuses more than five; each one checked is
// another pass over the definition, which bounds the time a huge count can take.
constexpr int32_t kMostChecked = 32;

std::string Stops(const std::string& message) { return "the game stops with \"" + message + "\""; }

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& items) {
  std::string list;
  for (size_t i = 0; i < items.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  }
  return list;
}

}  // namespace

ContentSteps::ContentSteps(Mode mode, ContentFindings& findings)
    : mode_(mode), findings_(findings) {}

ContentSteps::~ContentSteps() = default;

ContentOutcome ContentSteps::Run() {
  // The audio device opens while the content loads, so that the first warning plays at once.
  if (mode_ == Mode::Start) OpenSound(kWarningSound);
  ContentReport* const before = ContentReport::Active();
  ContentReport::Install(&findings_);
  // Every picture of the game read here is charged to one budget, the game running meanwhile
  // (when this reads a saved one) not among them.
  const PictureBudget budget;
  DefinitionHeader header;
  // Each step goes on to the next unless start-up would end there; a check always goes on.
  if (ReadHeader(header) && ReadCharacters(header) && InitEngine()) CheckSound();
  findings_.SumUp();
  // Start-up keeps the definition until it returns; a check is done with it.
  if (mode_ == Mode::Check) definition_.reset();
  ContentReport::Install(before);
  if (!ended_) outcome_.characters = header.characterCount;
  return outcome_;
}

bool ContentSteps::ReadHeader(DefinitionHeader& header) {
  const std::string file = kDefinitionPath;
  definition_ = std::make_unique<DefinitionFile>();
  const int32_t result = definition_->ReadHeader(kDefinitionPath, &header);
  if (!definition_->isOpen) {
    Ends(ContentOutcome::End::Silent);
    return mode_ == Mode::Check;
  }
  if (!header.complete) {
    std::vector<std::string> missing;
    if (!header.name) missing.emplace_back("NAME=");
    if (!header.description) missing.emplace_back("DESCRIPTION=");
    if (header.characterCount == 0) missing.emplace_back("a CHARACTERS= other than 0");
    int32_t line = 0;
    for (const auto& section : findings_.Sections(file)) {
      if (section.literal == "HEADER") {
        line = section.line;
        break;
      }
    }
    findings_.Add(
        Severity::Error, file, line,
        (line ? "the header lacks " + Listed(missing) : std::string("there is no HEADER section")) +
            (result == -2 ? ", as far as it is read" : "") + " (" + ContentFindings::kEndsWithBox +
            ")");
    Ends(ContentOutcome::End::Silent);
  }
  if (header.characterCount > kMostCharacters) {
    findings_.Add(Severity::Error, file, findings_.KeyLine(file, "CHARACTERS="),
                  SectionScanner::NumberAsWritten("CHARACTERS=",
                                                  findings_.KeyValue(file, "CHARACTERS=").c_str()) +
                      " is more than " + std::to_string(kMostCharacters) + " (" +
                      Stops(kTooManyCharactersMessage) + ")");
    if (!ended_) ShowMessageBox(kTooManyCharactersMessage);
    Ends(ContentOutcome::End::Stops, kTooManyCharactersMessage);
  }
  return !ended_ || mode_ == Mode::Check;
}

bool ContentSteps::ReadCharacters(const DefinitionHeader& header) {
  const std::string file = kDefinitionPath;
  const int32_t count = header.characterCount;
  const int32_t countLine = findings_.KeyLine(file, "CHARACTERS=");
  const bool checking = mode_ == Mode::Check;
  if (!definition_->isOpen) return checking;
  // Without a count, a check reads characters for as long as their sections follow each other.
  const bool countMissing = !header.complete && count == 0;
  const int32_t reading = !checking      ? count
                          : countMissing ? kMostChecked
                                         : std::min(count, kMostChecked);
  if (checking && count > kMostChecked) {
    findings_.Add(
        Severity::Note, file, countLine,
        "characters after the first " + std::to_string(kMostChecked) + " are not checked");
  }
  if (!checking && count > 0) {
    Characters = std::make_unique<std::unique_ptr<Character>[]>(static_cast<size_t>(count));
  }
  std::vector<std::string> missing;
  for (int32_t index = 0; index < reading; ++index) {
    // The reader closes the definition when it finds no section; a check reads the rest from
    // a fresh one, whose header has been heard of already.
    if (!definition_->isOpen) {
      ContentReport::Install(nullptr);
      definition_ = std::make_unique<DefinitionFile>();
      DefinitionHeader again;
      definition_->ReadHeader(kDefinitionPath, &again);
      ContentReport::Install(&findings_);
    }
    const uint64_t boxesBefore = MessageBoxesShown();
    std::unique_ptr<Character> character = definition_->ReadCharacter(index);
    if (!character) {
      if (MessageBoxesShown() != boxesBefore) {
        // The character's own box comes after those of its animation packages.
        Ends(ContentOutcome::End::Stops, LastMessageBoxText());
      } else if (countMissing) {
        break;
      } else {
        missing.push_back(std::to_string(index));
        Ends(ContentOutcome::End::Silent);
      }
      if (!checking) {
        // Shutdown releases the characters made before this one.
        CharacterCount = index;
        break;
      }
      continue;
    }
    if (character->cellCount <= 0) {
      findings_.Add(Severity::Warning, file, SectionLine(index),
                    "character " + std::to_string(index) + " has no cells");
    }
    if (!checking) Characters[index] = std::move(character);
  }
  if (!missing.empty()) {
    findings_.Add(Severity::Error, file, countLine,
                  (missing.size() == 1 ? "there is no section CHARACTER "
                                       : "there are no sections CHARACTER ") +
                      Listed(missing) + ", which CHARACTERS=" + std::to_string(count) +
                      " asks for (" + ContentFindings::kEndsWithBox + ")");
  }
  CheckUnreadSections(count, countMissing);
  if (checking) return true;
  if (ended_) return false;
  definition_->Close();
  CharacterCount = count;
  return true;
}

bool ContentSteps::InitEngine() {
  // The engine reports each overlay it loads; a failed one is an error of its own.
  if (Engine->Init()) return true;
  if (!ended_) ShowMessageBox(kEngineFailureMessage);
  Ends(ContentOutcome::End::Stops, kEngineFailureMessage);
  return mode_ == Mode::Check;
}

void ContentSteps::CheckSound() {
  findings_.CheckSound(kWarningSound);
  if (mode_ == Mode::Start) return;
  const std::string failure = SoundDecodeFailure(kWarningSound);
  if (!failure.empty()) {
    findings_.Add(ContentFindings::Severity::Warning, kWarningSound, 0,
                  "no warning sound will play: " + failure);
  }
}

void ContentSteps::CheckUnreadSections(int32_t count, bool countMissing) {
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

int32_t ContentSteps::SectionLine(int32_t index) const {
  for (const auto& section : findings_.Sections(kDefinitionPath)) {
    if (section.literal == "CHARACTER" && section.number == index) return section.line;
  }
  return 0;
}

void ContentSteps::Ends(ContentOutcome::End end, const std::string& message) {
  if (ended_) return;
  ended_ = true;
  outcome_.end = end;
  outcome_.message = message;
}

GameObjects::GameObjects() = default;

GameObjects::~GameObjects() {
  if (!engine && !characters && !background) return;
  // What was never put in the running game's place goes as Shutdown would release it.
  ExchangeWithGlobals(*this);
  ReleaseContent();
  ExchangeWithGlobals(*this);
  // The allocator keeps freed blocks of pictures in its heap, where the next game's pictures do
  // not always fit them: without giving them back, each reload could leave more memory held.
  malloc_trim(0);
}

ContentOutcome ReadGameInto(GameObjects& objects, ContentFindings& findings) {
  ExchangeWithGlobals(objects);
  Engine = std::make_unique<GameEngine>();
  ContentOutcome outcome = ContentSteps(ContentSteps::Mode::Reload, findings).Run();
  // A game that does not start keeps what it made until the set goes.
  ExchangeWithGlobals(objects);
  return outcome;
}

void ExchangeWithGlobals(GameObjects& objects) {
  std::swap(objects.engine, Engine);
  std::swap(objects.characters, Characters);
  std::swap(objects.characterCount, CharacterCount);
  std::swap(objects.background, BackgroundSurface);
}

void ReleaseContent() {
  if (Characters) {
    for (int32_t i = 0; i < CharacterCount; ++i) Characters[i].reset();
    Characters.reset();
  }
  // The engine gives its surfaces back to the display, which must then find none alive.
  Engine.reset();
}
