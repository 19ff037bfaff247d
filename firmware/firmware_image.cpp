#include "firmware/firmware_image.h"
#include "util/open_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace vetra {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for binary reading; a directory or a device is no image.
File OpenRegularFile(const std::string& path, long& length) {
  std::error_code error;
  const std::filesystem::path where = Utf8Path(path);
  if (!std::filesystem::is_regular_file(where, error)) return nullptr;
  const auto size = std::filesystem::file_size(where, error);
  if (error) return nullptr;
  File file(OpenFile(where, "rb"));
  if (!file) return nullptr;
  // Beyond the capacity the exact size does not matter: such a file is refused.
  length = static_cast<long>(std::min<std::uintmax_t>(size, kImageCapacity + 1));
  return file;
}

}  // namespace

std::string FolderOf(const std::string& path) { return Utf8Text(Utf8Path(path).parent_path()); }

bool ReadImageFile(const std::string& path, FirmwareImage& image, ImageFileView& view) {
  long length = 0;
  File file = OpenRegularFile(path, length);
  if (!file) return false;
  if (length > kImageCapacity) return false;

  // A shorter image after a longer one must leave no trace of it.
  std::fill(image.buffer().begin(), image.buffer().end(), uint8_t{0xFF});

  const long blocks = (length + kImageBlock - 1) / kImageBlock;
  bool read = false;
  for (long i = 0; i < blocks; ++i) {
    // A short read is not reported: the rest of the block keeps its FFh.
    (void)std::fread(image.buffer().data() + i * kImageBlock, 1, kImageBlock, file.get());
    const int32_t size = static_cast<int32_t>(blocks * kImageBlock);
    image.set_size(size);
    view.loadSizeText = std::to_string(size / kImageBlock);
    read = true;
  }
  file.reset();
  view.filePath = path;
  view.lastFolder = FolderOf(path);
  return read;
}

std::string ImageFileProblem(const std::string& path) {
  std::error_code error;
  const std::filesystem::path where(path);
  const auto status = std::filesystem::status(where, error);
  if (status.type() == std::filesystem::file_type::not_found) return "missing";
  if (error) return error.message();
  if (!std::filesystem::is_regular_file(status)) return "not a regular file";
  const auto size = std::filesystem::file_size(where, error);
  if (error) return error.message();
  if (size == 0) return "empty";
  if (size > static_cast<std::uintmax_t>(kImageCapacity)) {
    return "larger than the chip takes (" + std::to_string(size) + " bytes; at most " +
           std::to_string(kImageCapacity) + ")";
  }
  if (!File(std::fopen(path.c_str(), "rb"))) {
    return std::error_code(errno, std::generic_category()).message();
  }
  return {};
}

std::string MonitorFilePath(bool k900, const std::string& startDirectory) {
  const char* name = k900 ? "mpdK900.srec" : "mpd.srec";
  return Utf8Text(Utf8Path(startDirectory) / name);
}

bool ReadMonitorFile(bool k900, const std::string& startDirectory, MonitorImage& monitor) {
  long length = 0;
  File file = OpenRegularFile(MonitorFilePath(k900, startDirectory), length);
  if (!file) {
    monitor.set_size(0);
    return false;
  }
  const size_t count = std::fread(monitor.buffer().data(), 1, kMonitorCapacity, file.get());
  monitor.set_size(static_cast<int32_t>(count));
  return monitor.ready();
}

uint16_t ImageXorSum(const FirmwareImage& image) {
  const auto bytes = image.data();
  uint16_t sum = 0;
  for (size_t k = 0; k + 1 < bytes.size(); k += 2) {
    sum ^= static_cast<uint16_t>(bytes[k] | (bytes[k + 1] << 8));
  }
  return sum;
}

}  // namespace vetra
