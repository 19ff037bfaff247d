#include "link/whole_file.h"
#include "link/open_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vetra {

bool WriteFileWhole(const std::string& path, std::string_view text) {
  const std::filesystem::path temporary = FilePathFromUtf8(path + ".part");
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, FilePathFromUtf8(path), error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace vetra
