#pragma once
// A fresh path under the system's temporary folder for a test's files. Tests of several programs
// may run at once (ctest -j), so a random part keeps them apart without a process id, which is
// not portable.
#include <atomic>
#include <filesystem>
#include <random>
#include <string>

namespace vetra::test {

inline std::filesystem::path UniqueTempPath(const std::string& prefix) {
  static const unsigned program = std::random_device{}();
  static std::atomic<unsigned> counter{0};
  return std::filesystem::temp_directory_path() /
         (prefix + "-" + std::to_string(program) + "-" + std::to_string(counter++));
}

}  // namespace vetra::test
