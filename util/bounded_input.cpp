#include "util/bounded_input.h"

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "util/utf8_path.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

const char* KindOf(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory:
      return "a directory";
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

}  // namespace

std::optional<std::string> InputFileProblem(const std::string& path, const InputLimit& limit) {
  const std::string named = "'" + path + "'";
  std::error_code code;
  const fs::file_status status = fs::status(Utf8Path(path), code);
  if (status.type() == fs::file_type::not_found) {
    return "cannot read " + named + ": " +
           std::make_error_code(std::errc::no_such_file_or_directory).message();
  }
  if (code) return "cannot read " + named + ": " + code.message();
  if (status.type() != fs::file_type::regular) {
    return named + " is " + KindOf(status.type()) + ", not a file to read";
  }
  const std::uintmax_t size = fs::file_size(Utf8Path(path), code);
  if (code) return "cannot read " + named + ": " + code.message();
  if (size > limit.maxBytes) {
    return named + " holds " + std::to_string(size) + " bytes, more than " + limit.kind + " may (" +
           std::to_string(limit.maxBytes) + ")";
  }
  return std::nullopt;
}

std::optional<std::string> ReadBoundedFile(const std::string& path, const InputLimit& limit,
                                           std::string& error) {
  if (auto problem = InputFileProblem(path, limit)) {
    error = *problem;
    return std::nullopt;
  }
  std::ifstream in(Utf8Path(path), std::ios::binary);
  if (!in) {
    error = "cannot read '" + path + "': " + std::generic_category().message(errno);
    return std::nullopt;
  }
  // The size was checked, but the file may have grown since: never more than the limit.
  std::string bytes;
  char block[4096];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    bytes.append(block, static_cast<size_t>(in.gcount()));
    if (bytes.size() > limit.maxBytes) {
      error = "'" + path + "' holds more than " + limit.kind + " may (" +
              std::to_string(limit.maxBytes) + " bytes)";
      return std::nullopt;
    }
  }
  if (in.bad()) {
    error = "cannot read '" + path + "'";
    return std::nullopt;
  }
  return bytes;
}

bool OpenRegularInput(const std::string& path, std::ifstream& in, std::string& error) {
  if (auto problem = InputFileProblem(path, {})) {
    error = *problem;
    return false;
  }
  errno = 0;
  in.open(Utf8Path(path), std::ios::binary);
  if (in) return true;
  error =
      "cannot read '" + path + "': " +
      (errno != 0 ? std::generic_category().message(errno) : std::string("it cannot be opened"));
  return false;
}

}  // namespace vetra
