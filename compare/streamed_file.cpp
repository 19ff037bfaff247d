#include "compare/streamed_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vetra {

StreamedFile::~StreamedFile() { Abandon(); }

bool StreamedFile::Open(const std::string& path) {
  Abandon();
  path_ = path;
  part_ = path + ".part";
  file_ = std::fopen(part_.c_str(), "wb");
  failed_ = false;
  if (file_ == nullptr) {
    error_ = std::strerror(errno);
    return false;
  }
  return true;
}

void StreamedFile::Append(std::string_view text) {
  if (file_ == nullptr || failed_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
}

bool StreamedFile::Commit() {
  if (file_ == nullptr) return false;
  if (std::fflush(file_) != 0 && !failed_) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  if (std::fclose(file_) != 0 && !failed_) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  file_ = nullptr;
  std::error_code code;
  if (!failed_) std::filesystem::rename(part_, path_, code);
  if (failed_ || code) {
    if (code) error_ = code.message();
    std::filesystem::remove(part_, code);
    return false;
  }
  return true;
}

void StreamedFile::Abandon() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  std::error_code ignored;
  std::filesystem::remove(part_, ignored);
}

}  // namespace vetra
