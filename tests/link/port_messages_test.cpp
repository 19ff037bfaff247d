#include "link/port_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>

namespace vetra {
namespace {

TEST(PortMessages, ThePortsOwnTextsInPlainWordsWithTheSystemsReason) {
  // The code is the system's own (errno, or GetLastError on Windows).
  const std::string io = std::system_category().message(5);
  const struct {
    const char* text;
    std::string plain;
  } rows[] = {
      {"Setup: SetupComm", "not a serial device"},
      {"Reset: GetCommState 5", "the line settings could not be read (" + io + ")"},
      {"Reset: SetCommState", "the device does not take the line settings"},
      {"Setup: PurgeComm", "the port's buffers could not be emptied"},
      {"WriteFile Failed 1.", "writing to the port failed"},
      {"Wrong com!", "Wrong com!"},  // not the port's own: unchanged
  };
  for (const auto& row : rows) EXPECT_EQ(PlainPortMessage(row.text), row.plain) << row.text;
  EXPECT_TRUE(IsPortSetupMessage("Setup: SetCommState 22"));
  EXPECT_FALSE(IsPortSetupMessage("Reset: SetCommState"));
}

}  // namespace
}  // namespace vetra
