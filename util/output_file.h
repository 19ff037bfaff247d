#pragma once
// An output file opened through the system's own calls, so that its bytes can be synced to the
// disk before it is put in place, and a replaced file's owner carried over. Used by the whole-file
// writer (util/whole_file.h) only. The platform layer: util/posix/output_file.cpp,
// util/win/output_file.cpp.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vetra {

class OutputFile {
 public:
  enum class Mode {
    CreateNew,     // a new file; fails with "File exists" when the name is taken
    WriteExisting  // a device or FIFO that is there: written through, never created or truncated
  };

  // nullptr with the system's reason in error when it cannot be opened.
  static std::unique_ptr<OutputFile> Open(const std::filesystem::path& path, Mode mode,
                                          std::string& error);
  // Closed without a word when Close was not called.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Every byte or false with the reason (a write may be partial: it loops).
  bool Write(std::string_view bytes, std::string& error);
  // The bytes on the disk (fsync), for a file about to replace another.
  bool Sync(std::string& error);
  bool Close(std::string& error);
  // The owner and group of original, where the system lets this process give them (root, or the
  // owner's own group); silently nothing otherwise.
  void TakeOwnerOf(const std::filesystem::path& original);

  // Best effort: the folder's entry of a renamed file on the disk too.
  static void SyncFolder(const std::filesystem::path& folder);

 private:
  explicit OutputFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
  bool open_ = true;
};

}  // namespace vetra
