// Tarnwick: the program's entry point.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/GameFolder.h"
#include "app/WinMain.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

int main(int argc, char** argv) {
  const CommandLine commandLine(argc, argv);
  if (commandLine.action() != CommandLine::Play) return commandLine.Respond(stdout, stderr);
  const auto folder = ChooseGameFolder(commandLine.gameFolder(), ".", ProgramPath());
  std::string error;
  if (folder && !EnterGameFolder(*folder, &error)) {
    std::fprintf(stderr, "tarnwick: %s\n", error.c_str());
    return 2;
  }
  const int32_t exitCode = WinMain();
  ShutdownSound();
  ShutdownPlatform();
  return exitCode;
}
