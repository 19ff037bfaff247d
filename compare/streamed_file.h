#pragma once
// A text file written as it is made, whole or not at all: the rows of a comparison may outgrow
// memory (a week of epochs), so they are not gathered into one text for the program's whole-file
// writer (link/whole_file.h) but streamed to a file beside the target, by the same name with
// ".part", and renamed over the target only when all of it is written. A file not committed
// leaves the earlier target as it was and no part behind.

#include <cstdio>
#include <string>
#include <string_view>

namespace vetra {

class StreamedFile {
 public:
  StreamedFile() = default;
  ~StreamedFile();
  StreamedFile(const StreamedFile&) = delete;
  StreamedFile& operator=(const StreamedFile&) = delete;

  // False (and the system's reason in error()) when the part file cannot be made.
  bool Open(const std::string& path);
  void Append(std::string_view text);
  // Puts the file in place; false when any write failed or the rename did.
  bool Commit();
  // Removes the part file; the target stays as it was.
  void Abandon();

  bool open() const { return file_ != nullptr; }
  const std::string& error() const { return error_; }

 private:
  std::string path_, part_, error_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace vetra
