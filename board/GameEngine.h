// GameEngine: the state of the play screen (the pressed panel button, the selected character,
// the board's overlays) and what acts on it: the mouse handlers, the keys, hit testing and
// the placement rule, and the composition of each frame.
#pragma once

#include <cstdint>

#include "platform/Message.h"

class Character;
class Surface;

// What a screen point lies on.
constexpr int32_t HitButton = 0;
constexpr int32_t HitSquare = 1;
constexpr int32_t HitNone = 2;

// A board square, or for a panel button column 0 and the button's index as row.
struct BoardPosition {
  int32_t column = 0;
  int32_t row = 0;
};

constexpr const char* kWarningSound = "sounds/bleep14.wav";

class GameEngine {
 public:
  GameEngine();
  virtual ~GameEngine();
  GameEngine(const GameEngine&) = delete;
  GameEngine& operator=(const GameEngine&) = delete;

  // Life cycle: Init loads the overlays and lays out the board (1, or 0 when an overlay is
  // missing); Release gives back the overlays and the background, any number of times.
  int32_t Init();
  void Release();

  // Places every square of the Grid on the play screen.
  static void LayOutBoard();

  // Pure rules, used by the handlers: what a point hits, and whether a character of
  // `length` cells can stand at a start square.
  static int32_t HitTest(int32_t x, int32_t y, BoardPosition& position);
  static bool IsBlocked(int32_t column, int32_t row, int32_t length, int32_t orientation);

  // Mouse handlers, with play-screen coordinates: press and select on the panel, preview,
  // turn, place and lift on the board.
  void OnMouseMove(int32_t x, int32_t y);
  void OnLButtonDown(int32_t x, int32_t y);
  void OnLButtonUp(int32_t x, int32_t y);
  void OnRButtonUp(int32_t x, int32_t y);

  // Keys: F12 ends the program; system keys do nothing.
  static void OnKeyDown(int32_t key);
  void OnSysKey();

  // Composes one frame into the display's back buffer and, unless noPresent, shows it.
  void RenderFrame(WindowHandle window, int32_t noPresent);

  int32_t pressedButton = -1;
  int32_t selectedCharacter = -1;
  Surface* shadedOverlay = nullptr;
  Surface* gridOverlay = nullptr;

 private:
  Character* Selected() const;
  // Moves a start square back so that the whole character lies on the board.
  static void Clamp(BoardPosition& position, int32_t length, int32_t orientation);
  // Gives each square under the character's cells the occupant (null frees them).
  static void Occupy(const Character& character, Character* occupant);
};
