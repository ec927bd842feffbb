// FrameComposition: one frame of the play screen, composed into the display's back buffer from
// the play state: the panel buttons, the board background with its grid overlay, the shown
// cells and the frame-rate line. GameEngine::RenderFrame, Character::Draw and
// CharacterCell::Draw are defined with it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "display/Surface.h"

class GameEngine;

// The frame-rate line: drawn while ShowFps is non-zero, showing the frames the frame loop
// counted in the last measured second.
extern int32_t ShowFps;
extern int32_t FramesPerSecond;

namespace FrameComposition {

// The parts of `screen` that none of the `covered` rectangles cover, as few rectangles as the
// covering allows. Each frame clears these before drawing the rest, so that nothing a former
// frame drew there (a preview reaching above the board) stays behind.
std::vector<SurfaceRect> Uncovered(const SurfaceRect& screen, std::span<const SurfaceRect> covered);

// Everything the next frame would be composed from: the pictures chosen for the buttons, the
// board's pictures, where each drawn cell stands and with which picture, and the frame-rate
// line. Two equal keys compose the same frame, which is then not composed again.
void FrameKey(const GameEngine& engine, std::vector<int64_t>& key);

// Lines written over the play screen below the frame-rate line, white on dark red, as many as
// fit: what is wrong with content that is being watched. None by default.
void SetOverlayLines(std::vector<std::string> lines);
const std::vector<std::string>& OverlayLines();

}  // namespace FrameComposition
