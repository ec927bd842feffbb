// Fuzz target of the content readers: a game definition, a character package and a cell
// package, each under a path of its own, are written into a private folder and read there the
// way start-up reads them, on a display of SDL's dummy driver. Every surface the readers made
// must then be held by what they returned, and given back once it is gone.
//
// An input is six fields separated by NUL bytes: the definition's path and text, the
// character package's path and text, the cell package's path and text. Paths are relative to
// the private folder, and a file with an empty path is not written. Every value in the texts
// that ends in ".bmp" names a small picture that the folder holds too, so pictures load
// wherever a text names one. The texts hold no NUL bytes; the section reader's target feeds
// those to the stream.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/Character.h"
#include "content/CharacterCell.h"
#include "content/DefinitionFile.h"
#include "content/GameFiles.h"
#include "display/DisplayDevice.h"
#include "display/Surface.h"
#include "fuzz/ScratchFile.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

namespace {

namespace fs = std::filesystem;

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// The picture behind every ".bmp" value: 3 x 2 pixels at 24 bits, so that its rows are
// padded, with one pixel of the transparent pure green.
constexpr int32_t kPictureWidth = 3;
constexpr int32_t kPictureHeight = 2;

std::string Picture() {
  constexpr uint32_t kHeaders = 14 + 40;
  constexpr uint32_t kRowBytes = 12;
  std::string bytes;
  const auto put = [&bytes](uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
  };
  bytes += "BM";
  put(kHeaders + kRowBytes * kPictureHeight, 4);
  put(0, 4);
  put(kHeaders, 4);
  put(40, 4);
  put(kPictureWidth, 4);
  put(kPictureHeight, 4);
  put(1, 2);
  put(24, 2);
  bytes.append(24, '\0');
  // Bottom row first; each pixel blue, green, red.
  bytes += std::string("\x00\xFF\x00\x00\x00\xFF\xFF\x00\x00\x00\x00\x00", kRowBytes);
  bytes += std::string("\xFF\xFF\xFF\x00\x00\x00\x80\x80\x80\x00\x00\x00", kRowBytes);
  return bytes;
}

struct ContentFile {
  std::string_view path;
  std::string_view text;
};
using ContentFiles = std::array<ContentFile, 3>;

// A path that stays inside the folder it is taken relative to.
bool StaysInside(std::string_view path) {
  if (path.starts_with('/')) return false;
  for (size_t start = 0; start <= path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    if (path.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// The input's three files, or nothing when a path could lead out of the private folder: a
// file's own path that does, or a text holding a value that begins with '/' or a "../" step.
// Nothing else on the machine (a device, or a pipe that no one writes) is ever opened.
std::optional<ContentFiles> Split(std::string_view input) {
  std::array<std::string_view, 6> fields;
  for (std::string_view& field : fields) {
    const size_t end = std::min(input.find('\0'), input.size());
    field = input.substr(0, end);
    input.remove_prefix(std::min(end + 1, input.size()));
  }
  ContentFiles files;
  for (size_t i = 0; i < files.size(); ++i) {
    files[i] = {fields[2 * i], fields[2 * i + 1]};
    if (!StaysInside(files[i].path) || files[i].text.find("=/") != std::string_view::npos ||
        files[i].text.find("../") != std::string_view::npos) {
      return std::nullopt;
    }
  }
  return files;
}

// The values of `text` that name pictures, as the readers see them: the text ends at its
// first 0x1A, a CR before an LF belongs to the line end, and a value follows the first '='.
std::vector<std::string_view> PicturePaths(std::string_view text) {
  text = text.substr(0, text.find('\x1A'));
  std::vector<std::string_view> paths;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (end < text.size() && line.ends_with('\r')) line.remove_suffix(1);
    text.remove_prefix(std::min(end + 1, text.size()));
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view value = line.substr(equals + 1);
    if (value.ends_with(".bmp")) paths.push_back(value);
  }
  return paths;
}

// What lasts the whole run: the private folder, the way back to the working directory, and
// the display device in Display. Message boxes are silent.
class Run {
 public:
  Run() : picture_(Picture()) {
    SetMessageBoxHandler([](const std::string&, const std::string&) {});
    SetMessageBoxEcho(false);
    home_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(home_ >= 0);
    std::string pattern = (ScratchFile::Folder() / "tarnwick-fuzz-XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr);
    folder_ = pattern;
    Check(InitVideo());
    const WindowHandle window = CreatePlatformWindow(
        "Tarnwick", 0, 0, 640, 480, true,
        [](WindowHandle, uint32_t, uint64_t, int64_t) -> int64_t { return 0; });
    Check(window != nullptr);
    Display = std::make_unique<DisplayDevice>();
    Check(Display->Init(1, window, 640, 480, 32, 0) == 1);
  }
  ~Run() {
    // The display goes before the process's end checks that no surface is left.
    Display.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    ::close(home_);
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // Empties the folder and writes the pictures, then the three files; false when a file
  // cannot be written where its path says (under another file, say).
  bool Fill(const ContentFiles& files) {
    std::error_code ignored;
    std::vector<fs::path> previous;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ignored)) {
      previous.push_back(entry.path());
    }
    for (const fs::path& entry : previous) fs::remove_all(entry, ignored);
    for (const ContentFile& file : files) {
      for (std::string_view path : PicturePaths(file.text)) Write(path, picture_);
    }
    for (const ContentFile& file : files) {
      if (!file.path.empty() && !Write(file.path, file.text)) return false;
    }
    return true;
  }

  // The working directory while the readers run, and afterwards the one the run began in.
  void Enter() const { Check(::chdir(folder_.c_str()) == 0); }
  void Leave() const { Check(::fchdir(home_) == 0); }

  // The lowest descriptor number that is free: a descriptor left open by the readers takes it.
  int FreeDescriptor() const {
    const int descriptor = ::fcntl(home_, F_DUPFD_CLOEXEC, 0);
    ::close(descriptor);
    return descriptor;
  }

 private:
  bool Write(std::string_view path, std::string_view bytes) const {
    const fs::path file = folder_ / path;
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0) return false;
    const bool written =
        ::write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(descriptor);
    return written;
  }

  const std::string picture_;
  fs::path folder_;
  int home_ = -1;
};

// The surfaces a character holds: its buttons and its cells' still pictures, each still
// keyed and its size taken from the picture.
int32_t HeldSurfaces(const Character& character) {
  int32_t held = (character.buttonUpSurface != nullptr) + (character.buttonDownSurface != nullptr);
  if (!character.cells) return held;
  Check(character.cellCount > 0 && character.cellCount <= Character::kMaxCells);
  for (int32_t i = 0; i < character.cellCount; ++i) {
    const CharacterCell* cell = character.cells[i].get();
    Check(cell != nullptr);
    if (cell->stillSurface) {
      ++held;
      Check(cell->stillSurface->HasColorKey());
      Check(cell->width == kPictureWidth && cell->height == kPictureHeight);
    } else {
      Check(cell->width == 0 && cell->height == 0);
    }
  }
  return held;
}

// Reads the definition as start-up does, and every character it might name; the surfaces
// made meanwhile must be exactly those the header and the characters hold.
void ReadContent(const std::string& path) {
  const int32_t surfacesBefore = Display->surfaceCount;
  std::vector<std::unique_ptr<Character>> characters;
  {
    DefinitionFile definition;
    DefinitionHeader header;
    const int32_t result = definition.ReadHeader(path.c_str(), &header);
    Check(result == header.characterCount || result == -1 || result == -2);
    Check(!header.complete || (header.name && header.description));
    int32_t held = BackgroundSurface ? 1 : 0;
    for (int32_t index = 0; index <= kMostCharacters; ++index) {
      std::unique_ptr<Character> character = definition.ReadCharacter(index);
      if (!character) continue;
      held += HeldSurfaces(*character);
      characters.push_back(std::move(character));
    }
    definition.Close();
    Check(Display->surfaceCount == surfacesBefore + held);
  }
  characters.clear();
  if (BackgroundSurface) {
    Display->ReleaseSurface(BackgroundSurface);
    BackgroundSurface = nullptr;
  }
  Check(Display->surfaceCount == surfacesBefore);
}

}  // namespace

// libFuzzer writes crash, timeout and out-of-memory inputs while an input runs, which is when
// the private folder is the working directory: its artifact paths are made absolute here,
// before it reads them. Every other path it uses (corpus folders, the dictionary) it uses
// between inputs, in the working directory the run began in.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  static std::vector<std::string> texts;
  static std::vector<char*> arguments;
  const std::string here = fs::current_path().string() + "/";
  bool prefixGiven = false;
  for (int i = 0; i < *argc; ++i) {
    std::string text = (*argv)[i];
    for (const std::string_view flag : {"-artifact_prefix=", "-exact_artifact_path="}) {
      if (!text.starts_with(flag)) continue;
      prefixGiven = prefixGiven || flag == "-artifact_prefix=";
      if (text.size() == flag.size() || text[flag.size()] != '/') text.insert(flag.size(), here);
    }
    texts.push_back(std::move(text));
  }
  if (!prefixGiven) texts.push_back("-artifact_prefix=" + here);
  for (std::string& text : texts) arguments.push_back(text.data());
  arguments.push_back(nullptr);
  *argc = static_cast<int>(texts.size());
  *argv = arguments.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Run run;
  const std::optional<ContentFiles> files =
      Split(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!files || !run.Fill(*files)) return -1;

  run.Enter();
  const int freeDescriptor = run.FreeDescriptor();
  ReadContent(std::string((*files)[0].path));
  Check(run.FreeDescriptor() == freeDescriptor);
  run.Leave();
  return 0;
}
