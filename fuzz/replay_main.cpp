// Replays inputs through a fuzz target without libFuzzer: every file named, and every file in
// every folder named, in name order, each given once to LLVMFuzzerTestOneInput. The tests run
// the kept corpus and the regression inputs this way in the sanitizer build. Arguments that
// begin with '-' are libFuzzer's flags and are skipped; a folder that is not there holds no
// inputs, but a run that finds no input at all fails.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
// Present only in sanitizer builds.
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)());

namespace {

namespace fs = std::filesystem;

// The input being replayed, named when the process dies on it.
const char* current = nullptr;

void NameInput() {
  if (!current) return;
  constexpr char kPrefix[] = "\nFailed while replaying ";
  // Only write() here: this also runs in a signal handler.
  (void)!::write(STDERR_FILENO, kPrefix, sizeof kPrefix - 1);
  (void)!::write(STDERR_FILENO, current, std::strlen(current));
  (void)!::write(STDERR_FILENO, "\n", 1);
}

// A failed check traps and an abort raises its signal; neither passes through a sanitizer.
void OnDeadlySignal(int signal) {
  NameInput();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

std::vector<fs::path> Inputs(int argc, char** argv) {
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path named = argv[i];
    if (argv[i][0] == '-' || !fs::exists(named)) continue;
    if (!fs::is_directory(named)) {
      inputs.push_back(named);
      continue;
    }
    std::vector<fs::path> folder;
    for (const fs::directory_entry& entry : fs::directory_iterator(named)) {
      if (entry.is_regular_file()) folder.push_back(entry.path());
    }
    std::sort(folder.begin(), folder.end());
    inputs.insert(inputs.end(), folder.begin(), folder.end());
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<fs::path> inputs = Inputs(argc, argv);
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(NameInput);
  ::signal(SIGILL, OnDeadlySignal);
  ::signal(SIGABRT, OnDeadlySignal);

  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    std::vector<char> bytes(fs::file_size(input));
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
      std::fprintf(stderr, "Cannot read %s\n", input.c_str());
      return 1;
    }
    current = input.c_str();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    current = nullptr;
  }
  std::printf("Replayed %zu inputs\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
