// TempDir: a fresh folder under the system's temporary directory for tests that need real
// files, removed with everything in it when the object goes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      ADD_FAILURE() << "cannot create a temporary folder from " << pattern;
    }
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes `bytes` exactly as given (no line-end translation) to `name` inside the folder,
  // creating sub-folders the name holds, and returns the file's full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      ADD_FAILURE() << "cannot write " << file;
    }
    return file.string();
  }

  // The full path of `name` inside the folder, whether or not it exists.
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};
