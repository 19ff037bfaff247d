#include "util/thread_name.h"

#include <windows.h>

#include "util/win/wide_text.h"

namespace vetra {

// SetThreadDescription came with Windows 10 1607 and is missing from older MinGW headers: it is
// looked up at run time, and a system without it names no thread.
void NameThisThread(const char* name) {
  using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  const auto set = reinterpret_cast<SetDescription>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetThreadDescription")));
  if (set != nullptr) set(::GetCurrentThread(), WideFromUtf8(name).c_str());
}

}  // namespace vetra
