#pragma once
// The port's baud-rate table: the rates of the baud list (cbFWbaud), the auto-scan and the loader.

#include <array>

namespace vetra {

inline constexpr std::array<int, 7> kBaudRates{2400, 4800, 9600, 19200, 38400, 57600, 115200};
inline constexpr int kStartBaudIndex = 1;  // 4800 until the user chose another ([Desk] BaudRate)
inline constexpr int kLoaderBaud = 115200;

// The rate at index, or the start rate for an index outside the table.
constexpr int BaudRateAt(int index) {
  return index >= 0 && index < static_cast<int>(kBaudRates.size()) ? kBaudRates[index]
                                                                   : kBaudRates[kStartBaudIndex];
}

// The index of rate in the table; -1 when the table has no such rate.
constexpr int BaudIndexOf(int rate) {
  for (int i = 0; i < static_cast<int>(kBaudRates.size()); ++i) {
    if (kBaudRates[i] == rate) return i;
  }
  return -1;
}

}  // namespace vetra
