#pragma once
// The serial devices of a POSIX system, found under /dev in a stable order: /dev/serial/by-id/*
// (USB devices by their id), then /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* in number order, each
// device once however many names it has, and of the ttyS names only those that answer as
// terminals (they exist whether or not a UART is behind them).

#include <functional>
#include <string>
#include <vector>

namespace vetra {

// Finds the serial devices under root (normally "/dev"). answers tells whether a device opens as a
// terminal; tests replace it.
using DeviceProbe = std::function<bool(const std::string& path)>;
std::vector<std::string> ScanSerialDevices(const std::string& root = "/dev",
                                           const DeviceProbe& answers = {});
// The real probe: opens without waiting for carrier and asks for the line settings.
bool DeviceAnswers(const std::string& path);

}  // namespace vetra
