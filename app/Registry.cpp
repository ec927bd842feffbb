// The running objects.
#include "app/Registry.h"

#include "board/GameEngine.h"
#include "content/Character.h"
#include "display/DisplayDevice.h"

WindowHandle MainWindow = nullptr;
std::unique_ptr<DisplayDevice> Display;
std::unique_ptr<GameEngine> Engine;
std::unique_ptr<std::unique_ptr<Character>[]> Characters;
int32_t CharacterCount = 0;
Surface* BackgroundSurface = nullptr;
int32_t FramesPerSecond = 0;
