#pragma once
// The loader's states and the two texts of each: the status-bar text is the loader's own, the page
// text goes to the state label of the Upgrade page. Each state also says whether it is idle (the
// page tabs usable, a new load may start) and which dialogue with the receiver it belongs to, if
// any (the Write button is held down and a failed read ends the load with a verdict while one is
// under way); "Program OK!" is neither, held one second.

#include <array>
#include <cstddef>
#include <string_view>

namespace vetra {

enum class LoadState {
  NeedSetup,      // idle, image or monitor missing
  Ready,          // idle, ready
  StartPmon,      // boot monitor: sending the monitor program
  CheckPmon,      // boot monitor: waiting for <MPD>
  PmonErase,      // boot monitor: waiting for <ERASE>
  PmonSend,       // boot monitor: sending the image
  CheckCode,      // boot monitor: waiting for <DONEhhhh>
  Start,          // running firmware: sending the start frame
  WaitAck,        // running firmware: waiting for the start acknowledge
  Erase,          // running firmware: waiting for the end of the erase
  SendData,       // running firmware: sending 64-byte chunks
  WaitRequest,    // running firmware: waiting for the data request
  CheckCrc,       // new firmware: the receiver programs, checks and restarts
  CheckRevision,  // new firmware: its revision was asked for, waiting for it
  ProgramOk,      // success, held one second
  Stopped,        // stopped by the user
};
inline constexpr std::size_t kLoadStateCount = 16;

// The dialogue whose step type runs a state.
enum class LoadDialogue {
  None,
  BootMonitor,       // boot_monitor_dialogue.h
  FirmwareTransfer,  // firmware_transfer.h
  NewFirmware,       // new_firmware_check.h
};

struct LoadStateRow {
  LoadState state;
  std::string_view statusText;
  std::string_view pageText;
  bool idle;  // no load runs: the tabs come back, a Start is taken
  LoadDialogue dialogue;
};

inline constexpr std::array<LoadStateRow, kLoadStateCount> kLoadStates = {{
    {LoadState::NeedSetup, "Need setup!", "setup", true, LoadDialogue::None},
    {LoadState::Ready, "Ready to load!", "Standby", true, LoadDialogue::None},
    {LoadState::StartPmon, "Start pmon", "Start pmon", false, LoadDialogue::BootMonitor},
    {LoadState::CheckPmon, "Checking Pmon", "Checking Pmon", false, LoadDialogue::BootMonitor},
    {LoadState::PmonErase, "Erasing ...", "Erasing ...", false, LoadDialogue::BootMonitor},
    {LoadState::PmonSend, "Sending ...", "Sending ...", false, LoadDialogue::BootMonitor},
    {LoadState::CheckCode, "Check code", "Check code", false, LoadDialogue::BootMonitor},
    {LoadState::Start, "Start loading", "Start loading", false, LoadDialogue::FirmwareTransfer},
    {LoadState::WaitAck, "Wait for response...", "Wait ...", false, LoadDialogue::FirmwareTransfer},
    {LoadState::Erase, "Erasing ...", "Erasing ...", false, LoadDialogue::FirmwareTransfer},
    {LoadState::SendData, "Sending data", "Sending", false, LoadDialogue::FirmwareTransfer},
    {LoadState::WaitRequest, "Waiting for receiver ack", "Programming", false,
     LoadDialogue::FirmwareTransfer},
    {LoadState::CheckCrc, "check CRC data", "check CRC", false, LoadDialogue::NewFirmware},
    {LoadState::CheckRevision, "check Revision data", "check Revision", false,
     LoadDialogue::NewFirmware},
    {LoadState::ProgramOk, "Program OK!", "Program OK!", false, LoadDialogue::None},
    {LoadState::Stopped, "STOP!", "STOP!", true, LoadDialogue::None},
}};

constexpr bool LoadStatesInOrder() {
  for (std::size_t i = 0; i < kLoadStates.size(); ++i) {
    if (static_cast<std::size_t>(kLoadStates[i].state) != i) return false;
    if (kLoadStates[i].statusText.empty() || kLoadStates[i].pageText.empty()) return false;
    if (kLoadStates[i].idle && kLoadStates[i].dialogue != LoadDialogue::None) return false;
  }
  return true;
}
static_assert(static_cast<std::size_t>(LoadState::Stopped) + 1 == kLoadStateCount,
              "every loader state has its row");
static_assert(LoadStatesInOrder(), "a loader state's row is out of place, empty or contradictory");

constexpr const LoadStateRow& LoadStateRowOf(LoadState state) {
  return kLoadStates[static_cast<std::size_t>(state)];
}
constexpr std::string_view LoadStatusText(LoadState state) {
  return LoadStateRowOf(state).statusText;
}
constexpr std::string_view LoadPageText(LoadState state) { return LoadStateRowOf(state).pageText; }
constexpr bool LoadIdle(LoadState state) { return LoadStateRowOf(state).idle; }
constexpr bool LoadInDialogue(LoadState state) {
  return LoadStateRowOf(state).dialogue != LoadDialogue::None;
}

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

}  // namespace vetra
