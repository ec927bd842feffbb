// Fuzz target of the content readers. The input holds a game definition, a character package
// and a cell package, separated by NUL bytes; they become the files "game", "c" and "e" of a
// private working folder, and the definition is read the way start-up reads it. No display
// exists, so every picture fails to load as a missing file would.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/WinMain.h"
#include "content/Character.h"
#include "content/DefinitionFile.h"
#include "platform/MessageBox.h"

namespace {

std::filesystem::path& Folder() {
  static std::filesystem::path folder;
  return folder;
}

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Folder(), ignored);
}

// Makes the private folder the working directory, once, and silences the message boxes.
bool Prepare() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr || ::chdir(pattern.c_str()) != 0) abort();
  Folder() = pattern;
  std::atexit(RemoveFolder);
  SetMessageBoxHandler([](const std::string&, const std::string&) {});
  return true;
}

void WriteFile(const char* name, std::string_view bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = Prepare();
  (void)prepared;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // Paths without a slash name only the three files here: nothing else on the machine (an
  // endless device file, say) is ever opened.
  if (input.find('/') != std::string_view::npos) return 0;

  const size_t first = input.find('\0');
  const size_t second = first == std::string_view::npos ? first : input.find('\0', first + 1);
  WriteFile("game", input.substr(0, first));
  WriteFile("c",
            first == std::string_view::npos ? "" : input.substr(first + 1, second - first - 1));
  WriteFile("e", second == std::string_view::npos ? "" : input.substr(second + 1));

  DefinitionFile definition;
  DefinitionHeader header;
  definition.ReadHeader("game", &header);
  for (int32_t index = 0; index <= kMostCharacters; ++index) {
    definition.ReadCharacter(index);
  }
  definition.Close();
  return 0;
}
