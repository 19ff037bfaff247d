#pragma once
// The receiver status reports: what the query replies put on the main window, as texts and colours
// for the named controls. Pure functions of the reply fields and stores; the window and the
// terminal tool both show what these return.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/receiver_stores.h"
#include "model/reply_fields.h"
#include "present/view_model.h"

namespace vetra {

// lbRevision, lbRevDate, lbRevTime, lbCRC; all empty while the date is 0.
struct RevisionView {
  std::string revision, date, time, crc;
};
// secondChip: chip choice rgChip index 1 (K900), whose date and time are decimal digits.
RevisionView MakeRevisionView(const RevisionBlock& revision, bool secondChip);

// lbClockOffSet: the offset, or empty for 0.
std::string MakeClockOffsetText(uint16_t clockOffset);

// lbBitResult: the connection verdict of a built-in test of item 2.
struct SelfTestVerdict {
  std::string text;
  std::optional<Rgb> background;  // nullopt: the system's menu-bar colour
};
inline constexpr char kConnectionOk[] = "Connection OK";
inline constexpr char kConnectionFail[] = "Connection FAIL";

// lbResult1..lbResult4 and the verdict.
struct SelfTestView {
  std::array<std::string, 4> results;      // empty for -1
  std::optional<SelfTestVerdict> verdict;  // nullopt: lbBitResult keeps what it shows
};
// testItem: the item sent with the last built-in-test command; only item 2 gives a verdict.
SelfTestView MakeSelfTestView(const int32_t (&results)[4], int testItem);

// edModuleID: the ID chosen by rgID (0 "Production ID", 1 "User Key ID"); empty for no choice.
std::string MakeModuleIdText(const std::array<int32_t, 2>& moduleIds, int idChoice);
// edCID.
std::string MakeCustomizedIdText(const ReceiverStores& stores);

// moShowText lines for the navigation settings reply (18 bytes) and the system settings reply
// (48 bytes). A shorter payload reads as zeros where it ends.
std::vector<std::string> MakeNavSettingsReport(std::span<const uint8_t> payload);
std::vector<std::string> MakeSysSettingsReport(std::span<const uint8_t> payload);

// The trace status texts. lbTraceStatus copies lbTrcStatus; a state outside 0..2 leaves
// lbTrcStatus as it is, so the caller passes what it shows now.
struct TraceReport {
  std::string trcStatus;                           // lbTrcStatus
  std::string traceStatus;                         // lbTraceStatus
  std::optional<Rgb> traceStatusFont;              // nullopt: its font colour is not changed
  std::string usedPercent;                         // lbTrcPct and lbTraceUsed
  std::string recordsLogged;                       // lbTrcLogged and lbTraceNum
  std::optional<std::vector<std::string>> config;  // moTraceCfg lines; nullopt: not touched
};
// From the trace status with configuration reply.
TraceReport MakeFullTraceReport(const TraceStatus& status, std::string_view shownTrcStatus);
// From the short trace status reply.
TraceReport MakeShortTraceReport(const TraceStatus& status, std::string_view shownTrcStatus);

// lbTraceStatus after a test result reply: text and font colour.
struct TestResultView {
  std::string text;
  Rgb font;
};
TestResultView MakeTestResultView(bool testFailed);

}  // namespace vetra
