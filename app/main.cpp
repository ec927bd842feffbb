// Tarnwick: the program's entry point.
#include "app/WinMain.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

int main() {
  const int32_t exitCode = WinMain();
  ShutdownSound();
  ShutdownPlatform();
  return exitCode;
}
