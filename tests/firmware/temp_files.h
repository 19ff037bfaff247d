#pragma once
// A temporary folder for file tests, removed with its contents at the end of the test.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_path.h"

namespace vetra::test {

class TempFolder {
 public:
  TempFolder() {
    path_ = UniqueTempPath("vetra-loader");
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string path() const { return path_.string(); }
  // Writes a file of the given bytes and returns its path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }
  // A file of `size` bytes with a pattern that never repeats within a kilobyte.
  std::string WritePattern(const std::string& name, size_t size, uint8_t seed = 1) const {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
    return Write(name, bytes);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vetra::test
