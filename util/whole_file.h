#pragma once
// The one way the program writes a file whole: the settings file, the TTFF and statistics CSV,
// converted traces, saved ephemeris and almanac.
//
// What the path names decides how it is written:
// - a regular file, or nothing yet: the bytes go to a new file beside it ("NAME.part", or
//   "NAME.part1" ... when that is taken), which is synced to the disk and then renamed over it, so
//   that a full disk or a failed write leaves the earlier file as it was and no half file behind.
//   A replaced file keeps its permission bits, and its owner and group where the system lets this
//   process give them (root does);
// - a symbolic link: followed (link by link) and its target written as above; the link stays;
// - a character device or a FIFO (/dev/stdout, /dev/null, a pipe another program reads): written
//   through directly, never replaced, created or truncated;
// - a directory, a block device or a socket: refused, with the reason, before anything is written.
// Paths are UTF-8 on every platform (util/utf8_path.h).

#include <memory>
#include <string>
#include <string_view>

namespace vetra {

class OutputFile;

class WholeFileWriter {
 public:
  // Opens the output for path; ok() is false with the reason in error() when it cannot be.
  explicit WholeFileWriter(const std::string& path);
  // Without a Commit the temporary file is removed and the target is as it was.
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  bool Write(std::string_view bytes);
  // Syncs and puts the file in place (or closes the device). False with the reason in error().
  bool Commit();

  bool ok() const { return error_.empty(); }
  // The first failure's reason: "it is a directory", "No space left on device" ...
  const std::string& error() const { return error_; }
  // True when the path is a device or FIFO written through.
  bool direct() const { return direct_; }

 private:
  void Fail(const std::string& reason);

  std::string target_;     // UTF-8; links followed
  std::string temporary_;  // UTF-8; empty when written directly
  std::unique_ptr<OutputFile> file_;
  std::string error_;
  bool direct_ = false;
  bool committed_ = false;
};

// The whole text through a WholeFileWriter. False with the reason in *error (when given).
bool WriteFileWhole(const std::string& path, std::string_view text, std::string* error = nullptr);

}  // namespace vetra
