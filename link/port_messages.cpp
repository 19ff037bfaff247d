#include "link/port_messages.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace vetra {
namespace {

constexpr std::string_view kSetup = "Setup: ";
constexpr std::string_view kReset = "Reset: ";

// The system's words for the code after the call's name ("SetCommState 22"); empty without one.
std::string SystemReason(std::string_view call, std::string_view name) {
  if (call.size() <= name.size() + 1 ||
      call.substr(0, name.size() + 1) != std::string(name) + " ") {
    return {};
  }
  const std::string_view digits = call.substr(name.size() + 1);
  int code = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code);
  if (ec != std::errc{} || end != digits.data() + digits.size() || code == 0) return {};
  return " (" + std::system_category().message(code) + ")";
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool IsPortSetupMessage(const std::string& text) { return StartsWith(text, kSetup); }

std::string PlainPortMessage(const std::string& text) {
  if (text == "WriteFile Failed 1.") return "writing to the port failed";
  if (text == "WaitForSingleObject failed.") return "the port took no more bytes (a stalled line)";
  std::string_view call = text;
  if (StartsWith(call, kSetup)) {
    call.remove_prefix(kSetup.size());
  } else if (StartsWith(call, kReset)) {
    call.remove_prefix(kReset.size());
  } else {
    return text;
  }
  if (call == "SetupComm") return "not a serial device";
  if (call == "PurgeComm") return "the port's buffers could not be emptied";
  if (StartsWith(call, "SetCommState")) {
    return "the device does not take the line settings" + SystemReason(call, "SetCommState");
  }
  if (StartsWith(call, "GetCommState")) {
    return "the line settings could not be read" + SystemReason(call, "GetCommState");
  }
  return text;
}

}  // namespace vetra
