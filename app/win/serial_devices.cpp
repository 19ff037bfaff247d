// The serial ports of a Windows system. Every name COMn is the device \\.\COMn; the ports present
// are listed from SetupAPI (the COM port interface, with each device's friendly name, "USB Serial
// Port (COM3)") and from the registry's SERIALCOMM map, which also holds ports that no Plug and
// Play device stands behind (virtual port drivers, Wine's ports), in number order; after them the
// ports of that map whose names are no COMn (a virtual port driver's CNCA0), as \\.\NAME.
#include <windows.h>
// After windows.h:
#include <setupapi.h>

#include <optional>

#include "app/port_names.h"
#include "util/win/wide_text.h"

namespace vetra {
namespace {

// GUID_DEVINTERFACE_COMPORT, the interface that every COM port driver registers.
constexpr GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// A registry string value; nullopt when missing or not a string.
std::optional<std::wstring> StringValue(HKEY key, const wchar_t* name) {
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(::wcsnlen(value.c_str(), value.size()));
  return value;
}

// The index of "COMn" for n in 1..256.
std::optional<int> ComIndex(const std::wstring& portName) {
  return MatchPortName(Utf8FromWide(portName));
}

void FromSetupApi(std::vector<std::string>& descriptions) {
  const HDEVINFO set = ::SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr,
                                              DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    const std::optional<std::wstring> portName = StringValue(key, L"PortName");
    ::RegCloseKey(key);
    const std::optional<int> index = portName ? ComIndex(*portName) : std::nullopt;
    if (!index) continue;
    wchar_t friendly[256] = {};
    if (::SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                            reinterpret_cast<BYTE*>(friendly),
                                            sizeof friendly - sizeof(wchar_t), nullptr)) {
      descriptions[static_cast<size_t>(*index)] = Utf8FromWide(friendly);
    } else {
      descriptions[static_cast<size_t>(*index)] = Utf8FromWide(*portName);
    }
  }
  ::SetupDiDestroyDeviceInfoList(set);
}

void FromSerialCommMap(std::vector<std::string>& descriptions, std::vector<SerialDevice>& others) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD nameLength = static_cast<DWORD>(std::size(valueName));
    wchar_t data[64] = {};
    DWORD dataSize = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG result = ::RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    const std::wstring portName(data, ::wcsnlen(data, std::size(data)));
    const std::optional<int> index = ComIndex(portName);
    // The driver's device name (\Device\Serial0) says which kind of port it is.
    const std::string description =
        Utf8FromWide(portName) + " (" + Utf8FromWide(std::wstring(valueName, nameLength)) + ")";
    if (!index) {
      if (!portName.empty()) others.push_back({"\\\\.\\" + Utf8FromWide(portName), description});
      continue;
    }
    if (descriptions[static_cast<size_t>(*index)].empty()) {
      descriptions[static_cast<size_t>(*index)] = description;
    }
  }
  ::RegCloseKey(key);
}

}  // namespace

std::vector<SerialDevice> FindSerialDevices() {
  std::vector<std::string> descriptions(kPortCount);
  std::vector<SerialDevice> others;
  FromSetupApi(descriptions);
  FromSerialCommMap(descriptions, others);
  std::vector<SerialDevice> devices;
  for (int i = 0; i < kPortCount; ++i) {
    if (!descriptions[static_cast<size_t>(i)].empty()) {
      devices.push_back({"\\\\.\\" + PortName(i), descriptions[static_cast<size_t>(i)]});
    }
  }
  devices.insert(devices.end(), others.begin(), others.end());
  return devices;
}

PortMap SystemPortMap(const std::map<int, std::string>& pinned) {
  std::map<int, std::string> pins = pinned;
  for (int i = 0; i < kPortCount; ++i) {
    if (!pins.count(i)) pins[i] = "\\\\.\\" + PortName(i);  // COMn is \\.\COMn
  }
  return PortMap::WithDescriptions(FindSerialDevices(), pins);
}

}  // namespace vetra
