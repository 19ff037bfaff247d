#pragma once
// The loader's states and the two texts of each: the status-bar text is the loader's own, the page
// text goes to the state label of the Upgrade page.

#include <array>
#include <string_view>

namespace vetra {

enum LoadState : int {
  kLoadNeedSetup = 0,       // idle, image or monitor missing
  kLoadReady = 1,           // idle, ready
  kLoadStartPmon = 2,       // boot monitor: sending the monitor program
  kLoadCheckPmon = 3,       // boot monitor: waiting for <MPD>
  kLoadPmonErase = 4,       // boot monitor: waiting for <ERASE>
  kLoadPmonSend = 5,        // boot monitor: sending the image
  kLoadCheckCode = 6,       // boot monitor: waiting for <DONEhhhh>
  kLoadStart = 7,           // running firmware: sending the start frame
  kLoadWaitAck = 8,         // running firmware: waiting for the start acknowledge
  kLoadErase = 9,           // running firmware: waiting for the end of the erase
  kLoadSendData = 10,       // running firmware: sending 64-byte chunks
  kLoadWaitRequest = 11,    // running firmware: waiting for the data request
  kLoadCheckCrc = 12,       // running firmware: the receiver programs, checks and restarts
  kLoadCheckRevision = 13,  // running firmware: its revision was asked for, waiting for it
  kLoadProgramOk = 14,      // success, held one second
  kLoadStopped = 15,        // stopped by the user
};
inline constexpr int kLoadStateCount = 16;

inline constexpr std::array<std::string_view, kLoadStateCount> kLoadStatusTexts = {
    "Need setup!",          "Ready to load!",      "Start pmon",   "Checking Pmon",
    "Erasing ...",          "Sending ...",         "Check code",   "Start loading",
    "Wait for response...", "Erasing ...",         "Sending data", "Waiting for receiver ack",
    "check CRC data",       "check Revision data", "Program OK!",  "STOP!"};

inline constexpr std::array<std::string_view, kLoadStateCount> kLoadPageTexts = {
    "setup",      "Standby",        "Start pmon",  "Checking Pmon", "Erasing ...", "Sending ...",
    "Check code", "Start loading",  "Wait ...",    "Erasing ...",   "Sending",     "Programming",
    "check CRC",  "check Revision", "Program OK!", "STOP!"};

static_assert(kLoadStatusTexts.size() == kLoadStopped + 1);
static_assert(kLoadPageTexts.size() == kLoadStopped + 1);

// Verdicts in the result label: red for failures, green for "PASS!", amber for a load that was
// sent whole but that the receiver never confirmed.
inline constexpr std::string_view kVerdictPass = "PASS!";
inline constexpr std::string_view kVerdictPmonFail = "PMON FAIL!";
inline constexpr std::string_view kVerdictEraseFail = "ERASE FAIL!";
inline constexpr std::string_view kVerdictChecksumFail = "CHK SUM FAIL!";
inline constexpr std::string_view kVerdictLoadFail = "LOAD FAIL!";
inline constexpr std::string_view kVerdictSendFail = "SEND FAIL!";
// The port failed while reading (a receiver unplugged mid-load).
inline constexpr std::string_view kVerdictReadFail = "READ FAIL!";
// Every piece went out through the running firmware, but no revision report came after it.
inline constexpr std::string_view kVerdictNotConfirmed = "NOT CONFIRMED";

inline std::string_view LoadStatusText(int state) {
  return state >= 0 && state < kLoadStateCount ? kLoadStatusTexts[state] : std::string_view{};
}
inline std::string_view LoadPageText(int state) {
  return state >= 0 && state < kLoadStateCount ? kLoadPageTexts[state] : std::string_view{};
}

}  // namespace vetra
