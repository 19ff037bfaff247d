#include "trace/trace_page.h"

#include <filesystem>

#include "trace/trace_convert.h"

namespace vetra {

namespace {
constexpr int kStopPauseMs = 100;  // between the Request frame and the read frame of a stop
}  // namespace

void TTracePage::TraceAction(int node, int setupBaudRate, TracePageInputs& inputs) {
  if (node < 0 || node >= static_cast<int>(kTraceTreeNodes.size())) return;
  panelIndex_ = node + 1;
  actionText_ = kTraceTreeNodes[node];
  inputs.rdTrcBaud = TracePageBaudIndex(setupBaudRate);
}

bool TTracePage::Send(const Frame& frame, int delayMs) {
  return hooks_.writer != nullptr && hooks_.writer->Queue(frame, delayMs, hooks_.onWritten);
}

void TTracePage::RecordClick(const TracePageInputs& inputs) {
  traceMode_ = traceMode_ == 1 ? 0 : 1;
  Send(TracePageRecordFrame(traceMode_,
                            static_cast<uint16_t>(TraceIntegerOrZero(inputs.lbTrcDistance)),
                            static_cast<uint16_t>(TraceIntegerOrZero(inputs.lbTrcPeriod)),
                            static_cast<uint16_t>(TraceIntegerOrZero(inputs.lbTrcTime))));
}

TTracePage::ReadStart TTracePage::ReadClick(const TracePageInputs& inputs, int recordsLogged) {
  const bool binary = inputs.rdTrcFormat == 1;
  const auto start = static_cast<uint16_t>(TraceIntegerOrZero(inputs.lbStartPos));
  if (traceMode_ == 2) {
    traceMode_ = 0;
    if (hooks_.closeCapture) hooks_.closeCapture();
    Send(TracePageRequestFrame());
    readProgressMaximum_ = 0;
    Send(TracePageReadFrame(traceMode_, binary, start, inputs.rdTrcBaud), kStopPauseMs);
    return ReadStart::Stopped;
  }
  if (TraceIntegerOrZero(inputs.lbTrcLogged) == 0) return ReadStart::NothingLogged;
  if (!hooks_.writer) return ReadStart::NoPort;
  const std::string path =
      (std::filesystem::path(hooks_.captureDirectory) / kTraceCaptureFile).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return ReadStart::CaptureUnavailable;
  if (!hooks_.attachCapture || !hooks_.attachCapture(file)) {
    std::fclose(file);  // a raw log holds the capture slot: it is not cut off
    return ReadStart::CaptureUnavailable;
  }
  traceMode_ = 2;
  readProgressMaximum_ = recordsLogged;
  Send(TracePageReadFrame(traceMode_, binary, start, inputs.rdTrcBaud));
  return ReadStart::Started;
}

void TTracePage::ClearClick() { Send(TracePageClearFrame()); }
void TTracePage::RequestClick() { Send(TracePageRequestFrame()); }

}  // namespace vetra
