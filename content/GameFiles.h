// GameFiles: what every game has in the same place. The files a game folder holds at fixed
// paths (relative to the game folder, which is the working directory), the most characters a
// game may have, and the messages start-up shows when the content stops it.
#pragma once

#include <cstdint>

// Where the game's content starts.
constexpr const char* kDefinitionPath = "packages/morrels.pkg";
// The board's overlays: the grid is drawn over the background, the shaded one is only loaded.
// The engine fails without either.
constexpr const char* kShadedOverlayPath = "images/ShadedOverlay.bmp";
constexpr const char* kGridOverlayPath = "images/GridOverlay.bmp";
// Played when a placement is blocked.
constexpr const char* kWarningSound = "sounds/bleep14.wav";

// More characters than the panel has room for end the program.
constexpr int32_t kMostCharacters = 5;

// Start-up's boxes when the content stops it (a failed package shows its own code).
constexpr const char* kTooManyCharactersMessage =
    "Too many characters in definition file. Terminating";
constexpr const char* kEngineFailureMessage = "Failed to initialize game engine.";
