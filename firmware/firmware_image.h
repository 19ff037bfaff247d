#pragma once
// The two buffers a firmware load needs, and the reading of their files.
//
// FirmwareImage: the image that goes into the receiver's flash. Its buffer is 512 KiB; the size is
// the file's length rounded up to whole kilobytes, and every byte past the file's end is FFh (the
// erased state of flash), so the padded image is what the receiver gets and what the checksum
// covers.
//
// MonitorImage: the boot-monitor program that is first sent into the receiver's RAM when loading
// through the boot monitor. Its bytes go to the receiver exactly as they stand in the file; the
// ".srec" files are not parsed.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vetra {

inline constexpr int kImageCapacity = 524'288;   // 512 KiB
inline constexpr int kImageBlock = 1'024;        // sizes are whole blocks
inline constexpr int kMonitorCapacity = 30'720;  // a longer monitor file is cut here

class FirmwareImage {
 public:
  FirmwareImage() : bytes_(kImageCapacity, 0xFF) {}

  // The whole buffer, also beyond size().
  std::span<const uint8_t> buffer() const { return bytes_; }
  std::span<uint8_t> buffer() { return bytes_; }
  // The image as it is sent: the first size() bytes.
  std::span<const uint8_t> data() const { return {bytes_.data(), static_cast<size_t>(size_)}; }
  // 0 until an image was read; afterwards a multiple of 1,024 between 1,024 and 524,288.
  int32_t size() const { return size_; }
  void set_size(int32_t size) { size_ = size; }
  bool ready() const { return size_ > 0; }

 private:
  std::vector<uint8_t> bytes_;
  int32_t size_ = 0;
};

class MonitorImage {
 public:
  MonitorImage() : bytes_(kMonitorCapacity, 0) {}

  std::span<const uint8_t> data() const { return {bytes_.data(), static_cast<size_t>(size_)}; }
  std::span<uint8_t> buffer() { return bytes_; }
  // The number of bytes read from the monitor file; 0 means no monitor loaded.
  int32_t size() const { return size_; }
  void set_size(int32_t size) { size_ = size; }
  bool ready() const { return size_ > 0; }

 private:
  std::vector<uint8_t> bytes_;
  int32_t size_ = 0;
};

// What the Upgrade page shows about the image file.
struct ImageFileView {
  std::string loadSizeText = "256";  // leLoadSize, "Size (K bytes)": size / 1,024 with "%d"
  std::string filePath;              // edFilePath
  std::string lastFolder;            // the last image file's folder: the file dialog starts there
};

// Fills image from the file at path. True when at least one block was read. A file that cannot be
// opened, is not a regular file or is longer than 512 KiB changes nothing. Otherwise the whole
// buffer is refilled with FFh first; an empty file then still shows its path and becomes the last
// folder, but keeps the previous size and returns false.
bool ReadImageFile(const std::string& path, FirmwareImage& image, ImageFileView& view);

// Why ReadImageFile refuses the file at path, in words that follow "Wrong file!": "missing",
// "not a regular file", "empty", "larger than the chip takes (600000 bytes; at most 524288)", or
// the system's reason it does not open ("Permission denied"). Empty when it would be read.
std::string ImageFileProblem(const std::string& path);

// The boot-monitor file of a chip: "mpd.srec" (K700) or "mpdK900.srec" (K900) in startDirectory.
std::string MonitorFilePath(bool k900, const std::string& startDirectory);

// Fills monitor from the chip's monitor file in startDirectory (at most 30,720 bytes, the rest of a
// longer file is left out without a message). True when the monitor is ready (size above 0); a
// missing file sets the size to 0.
bool ReadMonitorFile(bool k900, const std::string& startDirectory, MonitorImage& monitor);

// XOR of the padded image's 16-bit little-endian words (byte k low, byte k + 1 high). The boot
// monitor reports the same sum with its two bytes swapped.
uint16_t ImageXorSum(const FirmwareImage& image);

// The folder part of a file path, as the file dialog wants it for its initial folder.
std::string FolderOf(const std::string& path);

}  // namespace vetra
