// FrameComposition: one frame of the play screen, composed into the display's back buffer from
// the play state: the panel buttons, the board background with its grid overlay, the shown
// cells, the frame-rate line and the findings of watched content. GameEngine::RenderFrame,
// Character::Draw and CharacterCell::Draw hand their work to it.
//
// The process has one composition, made on first use. Between frames it keeps what spares
// work: the board picture with the two pictures it was made from, what the last frame drew
// into each back buffer, the storage of the frame key, and the findings' lines. The board
// picture and the buffers' memories belong to one engine's pictures on one opening of the
// display, and are dropped by the first frame composed for others: both are told apart by
// their `generation`, a number that no later engine, engine release or display opening takes
// again, so that one made at a freed one's address is never mistaken for it (--watch swaps in
// new engines; tests make a new engine for every test and new displays).
//
// Lifetime: the board picture is a surface of the display, which Release gives back; Shutdown
// calls it before the display goes. Tests make and destroy displays without Shutdown, so the
// composition also releases at exit, before the check that no surface is left alive
// (display/Surface.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "display/Surface.h"
#include "platform/Window.h"

class Character;
class CharacterCell;
class DisplayDevice;
class GameEngine;

// The frame-rate line: drawn while ShowFps is non-zero, showing the frames the frame loop
// counted in the last measured second.
extern int32_t ShowFps;
extern int32_t FramesPerSecond;

class FrameComposition {
 public:
  FrameComposition(const FrameComposition&) = delete;
  FrameComposition& operator=(const FrameComposition&) = delete;

  // Composes one frame of `engine` into the display's back buffer and, unless noPresent, shows
  // it; a frame equal to the one on screen is neither composed nor presented.
  static void Compose(const GameEngine& engine, WindowHandle window, int32_t noPresent);
  // Draws a character's cells, or one cell, on their squares in the back buffer.
  static void Draw(const Character& character);
  static void Draw(const CharacterCell& cell);

  // Lines written over the play screen below the frame-rate line, white on dark red, as many
  // as fit: what is wrong with content that is being watched. None by default.
  static void SetOverlayLines(std::vector<std::string> lines);
  static const std::vector<std::string>& OverlayLines();

  // Gives back the board picture and forgets what the back buffers hold; the next frame
  // composes everything anew.
  static void Release();

  // Everything the next frame would be composed from: the pictures chosen for the buttons, the
  // board's pictures, where each drawn cell stands and with which picture, the frame-rate line,
  // the findings, and the aids beside play while they show (board/PlayAids.h). Two equal keys
  // compose the same frame.
  static void FrameKey(const GameEngine& engine, std::vector<int64_t>& key);

  // The parts of `screen` that none of the `covered` rectangles cover, as few rectangles as the
  // covering allows. Each frame clears these before drawing the rest, so that nothing a former
  // frame drew there (a preview reaching above the board) stays behind.
  static std::vector<SurfaceRect> Uncovered(const SurfaceRect& screen,
                                            std::span<const SurfaceRect> covered);

 private:
  FrameComposition() = default;
  static FrameComposition& The();

  // What the composition drew into a back buffer beyond the buttons and the board, which that
  // buffer's next frame clears instead of everything the pictures leave uncovered; one for
  // each buffer of a full-screen flip chain.
  struct BufferMemory {
    const Surface* buffer = nullptr;
    std::vector<SurfaceRect> covered;
    std::vector<SurfaceRect> drawn;
  };

  // The steps of one frame, in order. The buttons and the board cover their areas whole and
  // say which they covered; the rest of the buffer is cleared; the grid overlay (when there
  // is no board picture), the cells, the sign of a refused placement, the marks of play by
  // keys, the lines of text and the controls are drawn over it and noted in the buffer's
  // memory.
  void ComposeFrame(const GameEngine& engine, WindowHandle window, int32_t noPresent);
  void Follow(const GameEngine& engine, const DisplayDevice& display);
  static void DrawButtons(DisplayDevice& display, std::vector<SurfaceRect>& covered);
  void DrawBoard(const GameEngine& engine, DisplayDevice& display,
                 std::vector<SurfaceRect>& covered);
  static void ClearUncovered(DisplayDevice& display, const Surface& target, BufferMemory& memory,
                             std::vector<SurfaceRect> covered);
  void DrawGridOverlay(const GameEngine& engine, DisplayDevice& display, BufferMemory& memory);
  static void DrawCells(BufferMemory& memory);
  static void DrawRefusal(const GameEngine& engine, DisplayDevice& display, BufferMemory& memory);
  static void DrawMarks(const GameEngine& engine, DisplayDevice& display, BufferMemory& memory);
  static void DrawFrameRate(DisplayDevice& display, BufferMemory& memory);
  void DrawFindings(DisplayDevice& display, const Surface& target, BufferMemory& memory) const;
  static void DrawControls(const GameEngine& engine, DisplayDevice& display, BufferMemory& memory);

  // The background with the grid overlay keyed over it, made anew when either picture or the
  // back buffer's format changed; null when no picture could be made.
  Surface* BoardPicture(const GameEngine& engine, DisplayDevice& display);
  BufferMemory& MemoryOf(const Surface* buffer);

  // The engine and the display's opening that the pictures and memories below were made for.
  uint64_t engineGeneration_ = 0;
  uint64_t displayGeneration_ = 0;
  std::unique_ptr<Surface> boardPicture_;
  const Surface* boardBackground_ = nullptr;
  const Surface* boardOverlay_ = nullptr;
  BufferMemory bufferMemory_[2];
  // Kept from frame to frame, so that building the key allocates nothing.
  std::vector<int64_t> key_;
  std::vector<std::string> overlayLines_;
  // Counts the changes of the lines, for the frame key.
  int64_t overlayGeneration_ = 0;
};
