// The frame loop: handles window messages as they come and composes a frame whenever the
// counter has passed the next frame time, at most MaxFrameRate frames a second, counting the
// frames of each second into FramesPerSecond. Between frames it waits for messages instead
// of spinning, and waits only while the program is inactive until a message comes.
#pragma once

#include <cstdint>
#include <functional>

// Runs until the quit message and returns its exit code. `changed`, when given, is asked each
// time the queue is empty, also while the program is inactive; when it says the game has
// changed, a frame is composed at once.
int32_t RunFrameLoop(int64_t counterFrequency, const std::function<void()>& renderFrame,
                     const std::function<bool()>& changed = {});
