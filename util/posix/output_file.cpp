#include "util/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace vetra {
namespace {

std::string Reason(int code) { return std::generic_category().message(code); }

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Open(const std::filesystem::path& path, Mode mode,
                                             std::string& error) {
  const int flags = mode == Mode::CreateNew ? O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC
                                            : O_WRONLY | O_NOCTTY | O_CLOEXEC;
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    error = Reason(errno);
    return nullptr;
  }
  return std::unique_ptr<OutputFile>(new OutputFile(fd));
}

OutputFile::~OutputFile() {
  if (open_) ::close(Descriptor(handle_));
}

bool OutputFile::Write(std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(Descriptor(handle_), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = Reason(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool OutputFile::Sync(std::string& error) {
  if (::fsync(Descriptor(handle_)) == 0) return true;
  error = Reason(errno);
  return false;
}

bool OutputFile::Close(std::string& error) {
  open_ = false;
  if (::close(Descriptor(handle_)) == 0) return true;
  error = Reason(errno);
  return false;
}

void OutputFile::TakeOwnerOf(const std::filesystem::path& original) {
  struct stat info {};
  if (::stat(original.c_str(), &info) != 0) return;
  // Either may be refused (only root gives a file away): the new file then stays the writer's.
  if (::fchown(Descriptor(handle_), info.st_uid, info.st_gid) != 0) {
    (void)::fchown(Descriptor(handle_), static_cast<uid_t>(-1), info.st_gid);
  }
}

void OutputFile::SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace vetra
