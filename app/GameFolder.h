// GameFolder: the folder the game reads its content from, chosen and entered before start-up.
#pragma once

#include <optional>
#include <string>

// The folder to play in: `given` when there is one; otherwise none (stay) when
// `workingDirectory` holds a game; otherwise the sample game installed beside the program at
// `programPath`, when it is there; otherwise none, and start-up finds no game.
std::optional<std::string> ChooseGameFolder(const std::optional<std::string>& given,
                                            const std::string& workingDirectory,
                                            const std::string& programPath);

// Makes `folder` the working directory. False, with one line saying why in `error`, when it
// does not exist, is no folder or cannot be read; the line serves playing and checking alike.
bool EnterGameFolder(const std::string& folder, std::string* error);

// The running program's own file, links resolved; empty when the system does not tell.
std::string ProgramPath();
