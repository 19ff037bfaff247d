#include "util/output_file.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

namespace vetra {
namespace {

std::string Reason(DWORD code) { return std::system_category().message(static_cast<int>(code)); }

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Open(const std::filesystem::path& path, Mode mode,
                                             std::string& error) {
  const DWORD creation = mode == Mode::CreateNew ? CREATE_NEW : OPEN_EXISTING;
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = Reason(::GetLastError());
    return nullptr;
  }
  return std::unique_ptr<OutputFile>(new OutputFile(reinterpret_cast<std::intptr_t>(handle)));
}

OutputFile::~OutputFile() {
  if (open_) ::CloseHandle(Handle(handle_));
}

bool OutputFile::Write(std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const DWORD request = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(Handle(handle_), bytes.data(), request, &written, nullptr)) {
      error = Reason(::GetLastError());
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool OutputFile::Sync(std::string& error) {
  if (::FlushFileBuffers(Handle(handle_))) return true;
  error = Reason(::GetLastError());
  return false;
}

bool OutputFile::Close(std::string& error) {
  open_ = false;
  if (::CloseHandle(Handle(handle_))) return true;
  error = Reason(::GetLastError());
  return false;
}

// A Windows file's owner is not carried over by a rename either: nothing to do.
void OutputFile::TakeOwnerOf(const std::filesystem::path&) {}

// MoveFileEx (std::filesystem::rename) is durable enough without it.
void OutputFile::SyncFolder(const std::filesystem::path&) {}

}  // namespace vetra
