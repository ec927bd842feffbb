// ContentSteps: the steps of start-up that read the game's content, in start-up's order: the
// definition's header, the characters, the board's overlays (the engine's Init) and the
// warning sound. Start-up and the content check run these same steps, so that the check
// cannot disagree with the game: start-up stops at the first failure, the check goes on past
// every one. Both run them with a findings report installed, which says what went wrong
// where; the check writes it all, start-up what explains a failed start.
//
// The steps fill the program's globals (Engine, Characters, CharacterCount, BackgroundSurface)
// on the display device in Display. A game can also be read into new objects while another
// one runs: GameObjects holds such a set, and ExchangeWithGlobals trades it for the running
// one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "content/ContentFindings.h"

class Character;
class DefinitionFile;
class GameEngine;
class Surface;
struct DefinitionHeader;

// How start-up ends on the content: the game starts, or ends without a box of the content's own
// (start-up then shows its first error in one), or stops after the box `message`.
struct ContentOutcome {
  enum class End { Starts, Silent, Stops };
  End end = End::Starts;
  std::string message;
  // Characters the game starts with (when it starts); below 1 means none.
  int32_t characters = 0;
};

class ContentSteps {
 public:
  // Start: start-up's own run, which opens the sound device and stops at the first failure;
  // the player says what is wrong with the sound when it loads it.
  // Reload: a run while a game plays, as Start with the device already open; the sound is
  // decoded here, so that the reload's findings show a sound the player cannot play.
  // Check: the check's run, which goes on past failures, reads characters the game would not,
  // and decodes the sound without opening the device.
  enum class Mode { Start, Reload, Check };

  ContentSteps(Mode mode, ContentFindings& findings);
  ~ContentSteps();
  ContentSteps(const ContentSteps&) = delete;
  ContentSteps& operator=(const ContentSteps&) = delete;

  // Runs every step, the engine having been made (it clears the background). After a run of
  // Start that does not start, Shutdown releases what the steps made, as start-up's order says.
  ContentOutcome Run();

 private:
  // The steps, each false when start-up ends there.
  bool ReadHeader(DefinitionHeader& header);
  bool ReadCharacters(const DefinitionHeader& header);
  bool InitEngine();
  void CheckSound();

  // Warnings for CHARACTER sections that are never read; the line of character `index`'s
  // first section.
  void CheckUnreadSections(int32_t count, bool countMissing);
  int32_t SectionLine(int32_t index) const;
  // Start-up ends here, unless it has ended before.
  void Ends(ContentOutcome::End end, const std::string& message = "");

  Mode mode_;
  ContentFindings& findings_;
  std::unique_ptr<DefinitionFile> definition_;
  ContentOutcome outcome_;
  bool ended_ = false;
};

// A game's objects read apart from the running one, or the running one put aside.
struct GameObjects {
  GameObjects();
  ~GameObjects();
  GameObjects(const GameObjects&) = delete;
  GameObjects& operator=(const GameObjects&) = delete;

  std::unique_ptr<GameEngine> engine;
  std::unique_ptr<std::unique_ptr<Character>[]> characters;
  int32_t characterCount = 0;
  Surface* background = nullptr;
};

// Reads the game in the working directory into the empty `objects` by start-up's steps, with
// the running game's globals put aside meanwhile and back as they were afterwards. A set that
// is not put in the running game's place releases itself.
ContentOutcome ReadGameInto(GameObjects& objects, ContentFindings& findings);

// Swaps `objects` with the globals: how a set read apart takes the running game's place. The
// board's squares may point at the running game's characters; whoever puts new characters in
// their place frees the squares first.
void ExchangeWithGlobals(GameObjects& objects);

// Releases the characters, then the engine with the background, as Shutdown does before it
// releases the display.
void ReleaseContent();
