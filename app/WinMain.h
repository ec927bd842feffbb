// WinMain: the program's start-up sequence, its frame loop and its end. The exit code is 0
// in every case; what went wrong has been shown in a message box.
#pragma once

#include <cstdint>

int32_t WinMain();

// Where the game's content starts, relative to the working directory.
constexpr const char* kDefinitionPath = "packages/morrels.pkg";
// More characters than the panel has room for end the program.
constexpr int32_t kMostCharacters = 5;
