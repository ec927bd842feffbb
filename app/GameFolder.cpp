// GameFolder: the choice between the command line, the working directory and the installed
// sample game.
#include "app/GameFolder.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/BuildInfo.h"
#include "content/GameFiles.h"

namespace {

// Anything at the definition's place counts, even what cannot be opened: the game then
// reports it, rather than quietly playing another one.
bool HoldsGame(const std::filesystem::path& folder) {
  std::error_code ignored;
  return std::filesystem::exists(
      std::filesystem::symlink_status(folder / kDefinitionPath, ignored));
}

}  // namespace

std::optional<std::string> ChooseGameFolder(const std::optional<std::string>& given,
                                            const std::string& workingDirectory,
                                            const std::string& programPath) {
  if (given) return given;
  if (HoldsGame(workingDirectory) || programPath.empty()) return std::nullopt;
  const std::filesystem::path installed =
      (std::filesystem::path(programPath).parent_path() / kInstalledGameFromProgram)
          .lexically_normal();
  if (!HoldsGame(installed)) return std::nullopt;
  return installed.string();
}

bool EnterGameFolder(const std::string& folder, std::string* error) {
  if (::chdir(folder.c_str()) != 0 || ::access(".", R_OK) != 0) {
    *error = "cannot open game folder '" + folder + "': " + std::strerror(errno);
    return false;
  }
  return true;
}

std::string ProgramPath() {
  std::error_code failed;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", failed);
  return failed ? std::string() : path.string();
}
