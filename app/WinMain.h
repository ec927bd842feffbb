// WinMain: the program's start-up sequence, its frame loop and its end. The exit code is 0
// in every case; what went wrong has been shown in a message box.
#pragma once

#include <cstdint>

// How a start differs from the plain one: the command line has answered the configuration
// dialog, which is then not shown; the content is watched and reloaded when it is saved.
struct StartOptions {
  bool settingsGiven = false;
  bool watch = false;
};

int32_t WinMain(const StartOptions& options = {});
