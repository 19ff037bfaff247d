#pragma once
// Every input the program reads has an end. A file read whole (the settings, an ephemeris or
// almanac file) must be a regular file of at most the size such a file has; a file that is
// streamed (a receive log to replay, a trace capture to convert) must be a regular file, so that
// it ends. A device (/dev/zero), a FIFO or a directory is refused with a message that names the
// file, before a byte is read. Paths are UTF-8 (util/utf8_path.h).

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace vetra {

// What may be read: the most bytes and what such a file is called in a message.
struct InputLimit {
  std::uintmax_t maxBytes = UINTMAX_MAX;
  const char* kind = "input";  // "a settings file" ...
};

// Why path is no regular file within limit, as a sentence that names it ("'/dev/zero' is a
// character device, not a file"); nullopt when it is one.
std::optional<std::string> InputFileProblem(const std::string& path, const InputLimit& limit);

// The whole file, or nullopt with the reason in error.
std::optional<std::string> ReadBoundedFile(const std::string& path, const InputLimit& limit,
                                           std::string& error);

// Opens a regular file for streaming in binary mode; false with the reason in error.
bool OpenRegularInput(const std::string& path, std::ifstream& in, std::string& error);

}  // namespace vetra
