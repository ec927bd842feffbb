// The running objects, reachable by every part of the program. Start-up fills them in and
// Shutdown releases them: the characters first, then the engine, then the display device.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Message.h"

class Character;
class DisplayDevice;
class GameEngine;
class Surface;

extern WindowHandle MainWindow;
extern std::unique_ptr<DisplayDevice> Display;
extern std::unique_ptr<GameEngine> Engine;
// One entry per character of the game definition, in index order; an entry may be empty.
extern std::unique_ptr<std::unique_ptr<Character>[]> Characters;
// Entries of Characters; a value below 1 means no characters.
extern int32_t CharacterCount;
// The board background, loaded by the game definition and given back by the engine.
extern Surface* BackgroundSurface;
// Frames counted in the last measured second.
extern int32_t FramesPerSecond;
