// WinMain: the program's start-up sequence, its frame loop and its end. The exit code is 0
// in every case; what went wrong has been shown in a message box.
#pragma once

#include <cstdint>

int32_t WinMain();
