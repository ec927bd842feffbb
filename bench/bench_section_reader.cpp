// Benchmark of the section reading core: synthetic content files of nearly the largest size
// read, scanned from disk.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "content/SectionScanner.h"
#include "content/SectionStream.h"

namespace {

// The last section written may pass this by a few hundred bytes.
constexpr size_t kFileBytes = SectionStream::kMostBytes - 1024;

enum class Layout { kBodiesLf, kBodiesCrLf, kUnrecognised };

// A file of recognised sections with key lines, comments and blank lines, or (kUnrecognised)
// one whose text lies outside any recognised body, so that the scan takes it character by
// character.
std::string MakeText(Layout layout) {
  const char* end = layout == Layout::kBodiesCrLf ? "\r\n" : "\n";
  std::string text;
  text.reserve(kFileBytes + 4096);
  for (int section = 0; text.size() < kFileBytes; ++section) {
    const std::string number = std::to_string(section % 1000);
    if (layout == Layout::kUnrecognised) {
      text += "[UNUSED " + number + "]\nCELLS=" + number + "\nSTILL=images/cell" + number +
              ".bmp\nIDLE PACKAGES=2\nIdle1=packages/anim/idle_a.pkg\n\n";
      continue;
    }
    text += "; section " + number + end;
    text += (section % 3 == 0 ? "[CHARACTER " : "[CELL ") + number + "]" + end;
    text += std::string("CELLS=") + number + end;
    text += "STILL=images/cell" + number + ".bmp " + end;
    text += std::string("IDLE PACKAGES=3") + end;
    text += std::string("Package=packages/characters/a_rather_long_package_name.pkg") + end;
    text += std::string("unknown key that matches nothing at all=1") + end;
    text += end;
  }
  return text;
}

// The generated files, written once to a private temporary folder removed at exit.
class SampleFiles {
 public:
  SampleFiles() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarnwick-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      folder_ = pattern;
    }
  }
  ~SampleFiles() {
    std::error_code ignored;
    if (!folder_.empty()) {
      std::filesystem::remove_all(folder_, ignored);
    }
  }

  // The path of the file for `layout`, written on first use; empty when it cannot be written.
  std::string PathFor(Layout layout) {
    const std::filesystem::path path =
        folder_ / ("sample" + std::to_string(static_cast<int>(layout)) + ".pkg");
    if (!folder_.empty() && !std::filesystem::exists(path)) {
      const std::string text = MakeText(layout);
      std::ofstream out(path, std::ios::binary);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      if (!out) {
        return {};
      }
    }
    return folder_.empty() ? std::string() : path.string();
  }

 private:
  std::filesystem::path folder_;
};

SampleFiles& Samples() {
  static SampleFiles samples;
  return samples;
}

void BM_ScanSectionFile(benchmark::State& state) {
  const std::string path = Samples().PathFor(static_cast<Layout>(state.range(0)));
  if (path.empty()) {
    state.SkipWithError("cannot write the sample file");
    return;
  }
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  int64_t lines = 0;
  for (auto _ : state) {
    SectionStream stream;
    stream.Open(path.c_str());
    SectionScanner scanner(stream);
    int64_t total = 0;
    scanner.Scan({"HEADER", "CHARACTER", "CELL"}, [&](size_t, const char* rest) {
      total += SectionScanner::ReadNumber(rest);
      return scanner.Body({"CELLS=", "STILL=", "IDLE PACKAGES=", "Package="},
                          [&](size_t key, const char* value) {
                            ++lines;
                            if (key == 0 || key == 2) {
                              total += SectionScanner::ReadNumber(value);
                            } else if (key != SectionScanner::kNoKey) {
                              total += static_cast<int64_t>(std::strlen(value));
                            }
                            return 0;
                          });
    });
    benchmark::DoNotOptimize(total);
    stream.Close();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["lines"] =
      benchmark::Counter(static_cast<double>(lines) / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_ScanSectionFile)
    ->ArgName("layout")
    ->Arg(static_cast<int>(Layout::kBodiesLf))
    ->Arg(static_cast<int>(Layout::kBodiesCrLf))
    ->Arg(static_cast<int>(Layout::kUnrecognised))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
