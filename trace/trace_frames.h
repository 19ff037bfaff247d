#pragma once
// The trace logger's three receiver commands (class F1h: 1Dh record, 1Eh read, 1Fh maintain), in
// the shape of the command tree's panels and in the shape of the Trace page's buttons.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/catalogue.h"
#include "model/reply_fields.h"

namespace vetra {

// Their ids, as the command catalogue has them.
inline constexpr uint8_t kTraceRecordCommand = CatalogueEntryOf(kCmdTraceRecord).id;
inline constexpr uint8_t kTraceReadCommand = CatalogueEntryOf(kCmdTraceRead).id;
inline constexpr uint8_t kTraceMaintainCommand = CatalogueEntryOf(kCmdTraceMaintain).id;

// Setup flags of the maintain command and of the configuration reply.
inline constexpr uint8_t kTraceStopOnFull = 0x01;
inline constexpr uint8_t kTracePowerOnLog = 0x02;
inline constexpr uint8_t kTraceExtended = 0x04;

using Frame = std::vector<uint8_t>;

// Command tree panels.
struct TraceRecordPanel {       // pnTraceRecord
  int rgTraceRecordAction = 1;  // "Stop log" 0, "Start log" 1
};
struct TraceReadPanel {       // pnTraceRead
  int rgTraceReadAction = 1;  // "stop" 0, "start" 1
  int rgTraceBaud = 5;        // "4800" 0 ... "115200" 5
};
struct MaintainTracePanel {  // pnMaintainTrace
  int rgTraceStatus = 0;     // see kTraceStatusActions
  bool chStopOnFull = true;
  bool chPowerOnLog = true;
  bool chExtended = false;
  std::string lbTraceDistance = "0";  // metres
  std::string lbTracePeriod = "0";    // seconds
  std::string lbTraceSpeed = "0";     // km/h
};

inline constexpr std::array<std::string_view, 2> kTraceRecordActions = {"Stop log", "Start log"};
inline constexpr std::array<std::string_view, 2> kTraceReadActions = {"stop", "start"};
inline constexpr std::array<std::string_view, 6> kTraceReadBauds = {"4800",  "9600",  "19200",
                                                                    "38400", "57600", "115200"};
inline constexpr std::array<std::string_view, 5> kTraceStatusActions = {
    "Read Status", "Clear log ", "Read status & configuration", "Setup", "Test"};
inline constexpr int kTraceSetupAction = 3;

Frame EncodeTraceRecord(const TraceRecordPanel& panel);
Frame EncodeTraceRead(const TraceReadPanel& panel);
Frame EncodeTraceMaintain(const MaintainTracePanel& panel);

// The maintain command's Setup fields as the wire carries them. A setup that changes only some of
// them starts from the ones the receiver reported (status with configuration), so the others go
// back exactly as read.
struct TraceSetupFields {
  uint8_t flags = 0;  // kTraceStopOnFull | kTracePowerOnLog | kTraceExtended, other bits as read
  uint16_t distanceM = 0;
  uint16_t periodSeconds = 0;
  uint16_t speedField = 0;  // 0.1 m/s
};
TraceSetupFields TraceSetupFieldsOf(const TraceStatus& reported);
Frame EncodeTraceSetup(const TraceSetupFields& fields);

// km/h to the maintain command's speed field (0.1 m/s), truncated toward zero: 36 km/h gives 99.
int TraceSpeedField(int kmh);

// The Trace page's own frames. traceMode: 0 idle, 1 recording, 2 reading (OR-ed with 2).
Frame TracePageRecordFrame(int traceMode, uint16_t distanceM, uint16_t periodSeconds,
                           uint16_t timeToLog);
Frame TracePageReadFrame(int traceMode, bool binaryFormat, uint16_t startPosition, int baudIndex);
Frame TracePageClearFrame();
Frame TracePageRequestFrame();

// The Trace page's read rate choice (rdTrcBaud: "4800" 0 ... "38400" 3) from the Setup page's
// rate: 2400 and 4800 give "4800", 9600 "9600", 19200 "19200", 38400 and above "38400".
int TracePageBaudIndex(int setupBaudRate);

// An edit text as the trace panels read it: the integer it holds, 0 when it is not one.
int TraceIntegerOrZero(const std::string& text);

}  // namespace vetra
