// GameEngine: the state of the play screen (the pressed panel button, the selected character,
// the board's overlays, the aids beside them) and what acts on it: the mouse handlers and the
// small operations they are made of, the keys, hit testing and the placement rule. Frames are
// composed from this state by the composition layer above (composition/FrameComposition.h).
#pragma once

#include <cstdint>
#include <memory>

#include "board/BoardPosition.h"
#include "board/PlayAids.h"
#include "display/Surface.h"
#include "platform/Message.h"

class Character;
class CharacterCell;

// What a screen point lies on.
constexpr int32_t HitButton = 0;
constexpr int32_t HitSquare = 1;
constexpr int32_t HitNone = 2;

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

  // Pure rules: what a point hits; whether a character of `length` cells can stand at a start
  // square; and the start square moved back so that the whole character lies on the board.
  static int32_t HitTest(int32_t x, int32_t y, BoardPosition& position);
  static bool IsBlocked(int32_t column, int32_t row, int32_t length, int32_t orientation);
  static void Clamp(BoardPosition& position, int32_t length, int32_t orientation);

  // Mouse handlers, with play-screen coordinates: each turns the point into a button or a
  // square and runs the operations below.
  void OnMouseMove(int32_t x, int32_t y);
  void OnLButtonDown(int32_t x, int32_t y);
  void OnLButtonUp(int32_t x, int32_t y);
  void OnRButtonUp(int32_t x, int32_t y);

  // Panel operations: a button goes down, the pressed one comes up, and a character becomes
  // the selected one (hiding the one selected before, and lifting it off the board if placed).
  void PressButton(int32_t button);
  void ReleasePressedButton();
  void Select(int32_t index);

  // Board operations on the selected character, given the square under the pointer; without a
  // selection they do nothing. TryPlace sounds the warning and returns false when the place is
  // blocked.
  void Preview(BoardPosition square);
  void Turn(BoardPosition square);
  bool TryPlace(BoardPosition square);

  // Keys: F12 ends the program; system keys do nothing.
  static void OnKeyDown(int32_t key);
  void OnSysKey();

  // Play beside the mouse, through the mouse handlers: a key of play with its message's flags
  // acts at the board cursor's square or on a panel button (board/KeyMapping.h); a move of the
  // real pointer hides the keys' marks and takes the cursor to its square before OnMouseMove.
  void OnPlayKey(int32_t key, int64_t flags);
  void OnPointerMove(int32_t x, int32_t y);

  // Composes one frame into the display's back buffer and, unless noPresent, shows it; the
  // composition layer does the work and defines this.
  void RenderFrame(WindowHandle window, int32_t noPresent);

  int32_t pressedButton = -1;
  int32_t selectedCharacter = -1;
  Surface* shadedOverlay = nullptr;
  Surface* gridOverlay = nullptr;
  // A number of the whole process that each engine takes when made and again at each Release:
  // the pictures an engine holds under one number stay the same throughout, so that what is
  // kept for them is never taken for later ones made at their addresses.
  uint64_t generation = 0;
  PlayAids aids;

 private:
  Character* Selected() const;
  // Gives each square under the character's cells the occupant (null frees them).
  static void Occupy(const Character& character, Character* occupant);
  static void Lift(Character& character);
};

// The one game engine, made at start-up and destroyed by Shutdown.
extern std::unique_ptr<GameEngine> Engine;
