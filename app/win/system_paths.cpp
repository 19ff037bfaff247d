#include "app/system_paths.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "util/win/wide_text.h"

namespace vetra {

std::string ProgramPath() {
  // A path may be longer than MAX_PATH: grow until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return Utf8FromWide(path);
    }
    path.resize(path.size() * 2);
  }
}

bool FolderWritable(const std::string& folder) {
  const std::filesystem::path probe =
      PathFromUtf8(folder.empty() ? "." : folder) / L".vetra-viewer-write-test";
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

std::string UserConfigFolder() {
  const wchar_t* appData = ::_wgetenv(L"APPDATA");
  return appData != nullptr ? Utf8FromWide(appData) : std::string();
}

}  // namespace vetra
