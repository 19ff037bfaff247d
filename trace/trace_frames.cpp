#include "trace/trace_frames.h"

#include <charconv>

#include "link/frame.h"

namespace vetra {

namespace {
Frame MakeFrame(uint8_t id, std::initializer_list<uint8_t> payload) {
  Frame frame(payload.size() + kFrameOverhead);
  const std::vector<uint8_t> bytes(payload);
  BuildFrame(kClassCommand, id, bytes, frame);
  return frame;
}
uint8_t Lo(int v) { return static_cast<uint8_t>(v & 0xFF); }
uint8_t Hi(int v) { return static_cast<uint8_t>((v >> 8) & 0xFF); }
}  // namespace

int TraceIntegerOrZero(const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  int value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc{} && ptr == last ? value : 0;
}

int TraceSpeedField(int kmh) {
  // The field is km/h x 10 x 0.27777777777777777092, truncated toward zero. That factor lies a
  // little below 1/3.6 (a double would round it up to above 5/18), so whole km/h give
  // floor((50 k - 1) / 18): 36 km/h is 99, not 100. Integer arithmetic keeps it exact.
  if (kmh == 0) return 0;
  const long long k = kmh < 0 ? -static_cast<long long>(kmh) : kmh;
  const auto field = static_cast<int>((50 * k - 1) / 18);
  return kmh < 0 ? -field : field;
}

Frame EncodeTraceRecord(const TraceRecordPanel& panel) {
  return MakeFrame(kTraceRecordCommand, {Lo(panel.rgTraceRecordAction)});
}

Frame EncodeTraceRead(const TraceReadPanel& panel) {
  return MakeFrame(kTraceReadCommand, {Lo(panel.rgTraceReadAction), Lo(panel.rgTraceBaud), 0x00});
}

Frame EncodeTraceMaintain(const MaintainTracePanel& panel) {
  if (panel.rgTraceStatus != kTraceSetupAction) {
    return MakeFrame(kTraceMaintainCommand, {Lo(panel.rgTraceStatus), 0, 0, 0, 0, 0, 0, 0});
  }
  const uint8_t flags = (panel.chStopOnFull ? kTraceStopOnFull : 0) |
                        (panel.chPowerOnLog ? kTracePowerOnLog : 0) |
                        (panel.chExtended ? kTraceExtended : 0);
  return EncodeTraceSetup(
      {flags, static_cast<uint16_t>(TraceIntegerOrZero(panel.lbTraceDistance)),
       static_cast<uint16_t>(TraceIntegerOrZero(panel.lbTracePeriod)),
       static_cast<uint16_t>(TraceSpeedField(TraceIntegerOrZero(panel.lbTraceSpeed)))});
}

TraceSetupFields TraceSetupFieldsOf(const TraceStatus& reported) {
  return {static_cast<uint8_t>(reported.optionFlags), static_cast<uint16_t>(reported.minDistanceM),
          static_cast<uint16_t>(reported.minTimeSeconds),
          static_cast<uint16_t>(reported.minSpeedRaw)};
}

Frame EncodeTraceSetup(const TraceSetupFields& f) {
  return MakeFrame(kTraceMaintainCommand,
                   {Lo(kTraceSetupAction), f.flags, Lo(f.distanceM), Hi(f.distanceM),
                    Lo(f.periodSeconds), Hi(f.periodSeconds), Lo(f.speedField), Hi(f.speedField)});
}

Frame TracePageRecordFrame(int traceMode, uint16_t distanceM, uint16_t periodSeconds,
                           uint16_t timeToLog) {
  return MakeFrame(kTraceRecordCommand,
                   {Lo(traceMode | 2), 0x01, Lo(distanceM), Hi(distanceM), Lo(periodSeconds),
                    Hi(periodSeconds), Lo(timeToLog), Hi(timeToLog)});
}

Frame TracePageReadFrame(int traceMode, bool binaryFormat, uint16_t startPosition, int baudIndex) {
  return MakeFrame(kTraceReadCommand,
                   {Lo(traceMode | 2), static_cast<uint8_t>(binaryFormat ? 1 : 0),
                    Lo(startPosition), Hi(startPosition), 0x01, Lo(baudIndex), 0x00});
}

Frame TracePageClearFrame() { return MakeFrame(kTraceMaintainCommand, {0x01, 0x00}); }
Frame TracePageRequestFrame() { return MakeFrame(kTraceMaintainCommand, {0x00, 0x00}); }

int TracePageBaudIndex(int setupBaudRate) {
  if (setupBaudRate <= 4800) return 0;
  if (setupBaudRate <= 9600) return 1;
  if (setupBaudRate <= 19200) return 2;
  return 3;
}

}  // namespace vetra
