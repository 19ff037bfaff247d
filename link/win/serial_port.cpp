// TSerialPort on a Win32 communications device.
//
// How the receiver's port operations map onto Win32:
//   open the device              -> CreateFileW(\\.\COMn, read and write, no sharing,
//                                   OPEN_EXISTING); a missing or busy device returns false
//                                   without a message
//   request the queue sizes      -> SetupComm
//   purge both directions        -> PurgeComm with all four flags
//   line settings                -> GetCommState, every field the port depends on set
//                                   (ReceiverLineSettings), SetCommState, read back and compared
//   pending line error, queued   -> ClearCommError; when it fails the device has gone (a USB
//                                   receiver unplugged), and rxData reports -1
//   device gone, nothing queued  -> GetCommModemStatus, where the driver answered it at open:
//                                   some drivers keep ClearCommError succeeding after an unplug,
//                                   but none answers for modem lines it no longer has
//   bounded wait                 -> COMMTIMEOUTS: a read returns what is queued at once, or
//                                   waits at most 50 ms for the first byte
//   DTR and RTS                  -> EscapeCommFunction; a device without modem lines (a virtual
//                                   port) refuses, and nothing is lost by that
// The handle is not overlapped: a read and a write from two threads take turns on it, and a read
// never holds it longer than the 50 ms wait. Every call holds the handle while it uses it
// (DeviceUse); Close takes it away, cancels what is under way (CancelIoEx) and closes it only when
// no call holds it any more, so a late read never reaches a handle value that the system has
// given to another file meanwhile.
#include "link/serial_port.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "link/win/line_format.h"
#include "util/win/wide_text.h"

namespace vetra {
namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

// The messages that carry the system's error number.
std::string FormatCode(const char* format, DWORD code) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<int>(code));
  return text;
}

// "COM3" and "\\.\COM3" both open \\.\COM3: the device namespace serves every port number.
// A path in that namespace (\\.\CNCA0, //./COM41) is taken as it is.
std::wstring DeviceFileName(const std::string& path) {
  if (path.rfind("\\\\", 0) == 0 || path.rfind("//", 0) == 0) return WideFromUtf8(path);
  return L"\\\\.\\" + WideFromUtf8(path);
}

// The system's words for an error code, without the line break it ends with.
std::string SystemErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = length > 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
  if (text != nullptr) ::LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                            words.back() == L' ' || words.back() == L'.')) {
    words.pop_back();
  }
  return words.empty() ? FormatCode("error %d", code) : Utf8FromWide(words);
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

constexpr std::intptr_t kNone = -1;  // INVALID_HANDLE_VALUE

// The device held for one call: Close waits until no call holds it before it closes the handle.
// The count goes up before the handle is read, so that either the call sees the port closed or
// Close sees the call.
class DeviceUse {
 public:
  DeviceUse(std::atomic<int>& users, const std::atomic<std::intptr_t>& handle) : users_(users) {
    users_.fetch_add(1);
    handle_ = handle.load();
  }
  ~DeviceUse() { users_.fetch_sub(1); }
  DeviceUse(const DeviceUse&) = delete;
  DeviceUse& operator=(const DeviceUse&) = delete;
  bool open() const { return handle_ != kNone; }
  HANDLE device() const { return AsHandle(handle_); }

 private:
  std::atomic<int>& users_;
  std::intptr_t handle_;
};

}  // namespace

bool TSerialPort::Open() {
  if (isOpen()) Close();
  openFailure_ = OpenFailure::None;
  openReason_.clear();
  const HANDLE device =
      ::CreateFileW(DeviceFileName(devicePath_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    // Missing, or opened by another program: a COM port is never shared, and Windows says "access
    // denied" for one in use.
    const DWORD code = ::GetLastError();
    const OpenFailure kind =
        code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ? OpenFailure::InUse
        : code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? OpenFailure::Missing
                                                                       : OpenFailure::Other;
    return OpenFailed(kind, SystemErrorText(code));
  }
  handle_ = reinterpret_cast<std::intptr_t>(device);
  DWORD errors = 0;
  ::ClearCommError(device, &errors, nullptr);

  if (inputQueueSize_ <= 0 || outputQueueSize_ <= 0 ||
      !::SetupComm(device, static_cast<DWORD>(inputQueueSize_),
                   static_cast<DWORD>(outputQueueSize_))) {
    Report("Setup: SetupComm");
    return false;
  }
  if (!::PurgeComm(device, kPurgeAll)) {
    Report("Setup: PurgeComm");
    return false;
  }
  if (ApplyLineSettings(true) != LineResult::Ok) {
    Report(FormatCode("Setup: SetCommState %d", ::GetLastError()));
    return false;
  }
  ::EscapeCommFunction(device, SETDTR);
  ::EscapeCommFunction(device, SETRTS);
  // A driver that answers for the modem lines now stops answering when its device goes.
  DWORD lines = 0;
  modemProbe_ = ::GetCommModemStatus(device, &lines) != 0;
  return true;
}

TSerialPort::LineResult TSerialPort::ApplyLineSettings(bool fromScratch) {
  const DeviceUse use(users_, handle_);
  const HANDLE device = use.device();
  // Built on the driver's own state: its fields that the port does not set must be ones it takes.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(device, &dcb)) {
    return fromScratch ? LineResult::ApplyFailed : LineResult::ReadFailed;
  }
  if (!ReceiverLineSettings(dcb, baudRate_, byteSize_, stopBits_, parity_)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return LineResult::ApplyFailed;
  }
  if (!::SetCommState(device, &dcb)) return LineResult::ApplyFailed;
  DCB now{};
  now.DCBlength = sizeof now;
  if (!::GetCommState(device, &now)) return LineResult::ApplyFailed;
  if (!SameLineFormat(now, dcb)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return LineResult::ApplyFailed;
  }
  COMMTIMEOUTS timeouts = ReceiverTimeouts(baudRate_);
  if (!::SetCommTimeouts(device, &timeouts)) return LineResult::ApplyFailed;
  return LineResult::Ok;
}

bool TSerialPort::Close() {
  const std::intptr_t handle = handle_.exchange(kNoDevice);
  if (handle == kNoDevice) return true;
  // A read or write of another thread ends now instead of after its wait; one that began its
  // transfer after a cancel is cancelled by the next.
  while (users_.load() != 0) {
    ::CancelIoEx(AsHandle(handle), nullptr);
    ::Sleep(1);
  }
  return ::CloseHandle(AsHandle(handle)) != 0;
}

bool TSerialPort::Reset(int baudRate, int byteSize, int stopBits, int parity) {
  const DeviceUse use(users_, handle_);
  const HANDLE device = use.device();
  DWORD errors = 0;
  ::ClearCommError(device, &errors, nullptr);
  if (baudRate != 0) baudRate_ = baudRate;
  parity_ = evenParityForced_ ? kParityEven : parity;
  byteSize_ = byteSize;
  stopBits_ = stopBits;
  switch (ApplyLineSettings(false)) {
    case LineResult::ReadFailed:
      Report(FormatCode("Reset: GetCommState %d", ::GetLastError()));
      return false;
    case LineResult::ApplyFailed:
      Report("Reset: SetCommState");
      return false;
    case LineResult::Ok:
      break;
  }
  if (!::PurgeComm(device, kPurgeAll)) {
    Report("Reset: PurgeComm");
    return false;
  }
  return true;
}

int TSerialPort::txData(const uint8_t* bytes, int count) {
  const DeviceUse use(users_, handle_);
  const HANDLE device = use.device();
  DWORD errors = 0;
  ::ClearCommError(device, &errors, nullptr);
  int written = 0;
  while (written < count) {
    DWORD done = 0;
    if (!::WriteFile(device, bytes + written, static_cast<DWORD>(count - written), &done,
                     nullptr)) {
      throw PortWriteError("WriteFile Failed 1.");
    }
    // The write time-out ran out without a byte leaving: the line is stuck, and the caller
    // hears of it instead of hanging.
    if (done == 0) throw PortWriteError("WaitForSingleObject failed.");
    written += static_cast<int>(done);
  }
  return written;
}

int TSerialPort::rxData(uint8_t* buffer, int maxCount) {
  const DeviceUse use(users_, handle_);
  if (!use.open()) return -1;
  const HANDLE device = use.device();
  DWORD errors = 0;
  COMSTAT status{};
  if (!::ClearCommError(device, &errors, &status)) return -1;  // the device has gone
  if (status.cbInQue == 0 && modemProbe_.load()) {
    DWORD lines = 0;
    if (!::GetCommModemStatus(device, &lines)) return -1;  // gone, whatever ClearCommError says
  }
  if (maxCount <= 0) return 0;
  // With bytes queued the read takes them at once; with none it waits the bounded time for the
  // first, which also lets a vanished device show as a failed read.
  const DWORD request = status.cbInQue > 0 ? std::min(static_cast<DWORD>(maxCount), status.cbInQue)
                                           : static_cast<DWORD>(maxCount);
  DWORD got = 0;
  if (!::ReadFile(device, buffer, request, &got, nullptr)) return -1;
  return static_cast<int>(got);
}

}  // namespace vetra
