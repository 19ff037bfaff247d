#include "trace/trace_page_rules.h"

#include <filesystem>

#include "link/file_sink.h"
#include "trace/trace_convert.h"
#include "trace/trace_read_control.h"
#include "util/open_file.h"

namespace vetra {

const char* ReadEventText(ReadEvent event) {
  switch (event) {
    case ReadEvent::NothingLogged:
      return "The receiver has logged nothing to read.";
    case ReadEvent::CaptureUnavailable:
      return "The read did not start: the capture file cannot be written.";
    case ReadEvent::NoStatus:
      return "The receiver did not report its trace status: the read did not start.";
    case ReadEvent::StillReading:
      return "The receiver still reads its log after the stop: the read did not start.";
    case ReadEvent::StopUnconfirmed:
      return "The receiver did not confirm the end of the read.";
    case ReadEvent::Started:
    case ReadEvent::StopConfirmed:
      break;
  }
  return "";
}

void TTracePage::TraceAction(int node, int setupBaudRate, TracePageInputs& inputs) {
  if (node < 0 || node >= static_cast<int>(kTraceTreeNodes.size())) return;
  panelIndex_ = node + 1;
  actionText_ = kTraceTreeNodes[node];
  inputs.rdTrcBaud = TracePageBaudIndex(setupBaudRate);
}

bool TTracePage::Send(const Frame& frame, int delayMs) {
  return hooks_.writer != nullptr && hooks_.writer->Queue(frame, delayMs, hooks_.onWritten);
}

void TTracePage::Tell(ReadEvent event) {
  if (hooks_.onReadEvent) hooks_.onReadEvent(event);
}

std::string TTracePage::capturePath() const {
  return Utf8Text(Utf8Path(hooks_.captureDirectory) / kTraceCaptureFile);
}

void TTracePage::RecordClick(const TracePageInputs& inputs) {
  traceMode_ = traceMode_ == 1 ? 0 : 1;
  Send(TracePageRecordFrame(traceMode_,
                            static_cast<uint16_t>(TraceIntegerOrZero(inputs.lbTrcDistance)),
                            static_cast<uint16_t>(TraceIntegerOrZero(inputs.lbTrcPeriod)),
                            static_cast<uint16_t>(TraceIntegerOrZero(inputs.lbTrcTime))));
}

TTracePage::ReadStart TTracePage::ReadClick(const TracePageInputs& inputs) {
  if (asking_) return ReadStart::Busy;
  if (traceMode_ == 2) {
    traceMode_ = 0;
    readProgressMaximum_ = 0;
    if (hooks_.closeCapture) hooks_.closeCapture();
    SendStop(readBaudIndex_);
    return ReadStart::Stopped;
  }
  if (TraceIntegerOrZero(inputs.lbTrcLogged) == 0) return ReadStart::NothingLogged;
  pending_ = inputs;
  return AskStatus(false) ? ReadStart::Asking : ReadStart::NoPort;
}

bool TTracePage::AskStatus(bool stopFirst) {
  Exchange exchange = stopFirst ? TraceReadStopAndQuery(pending_.rdTrcBaud, hooks_.answerTimeoutMs)
                                : TraceStatusQuery(hooks_.answerTimeoutMs);
  asking_ = hooks_.post &&
            hooks_.post(std::move(exchange), [this, stopFirst](const ExchangeResult& result) {
              StatusForStart(result, stopFirst);
            });
  return asking_;
}

void TTracePage::StatusForStart(const ExchangeResult& result, bool stopSent) {
  asking_ = false;
  const std::optional<TraceStatus> status = TraceStatusIn(result);
  switch (GateReadStart(status, stopSent)) {
    case ReadGate::StopFirst:
      if (!AskStatus(true)) Tell(ReadEvent::NoStatus);
      return;
    case ReadGate::StillReading:
      Tell(ReadEvent::StillReading);
      return;
    case ReadGate::NoStatus:
      Tell(ReadEvent::NoStatus);
      return;
    case ReadGate::Start:
      break;
  }
  if (status->recordsLogged <= 0) {
    Tell(ReadEvent::NothingLogged);
    return;
  }
  const std::string path = capturePath();
  std::string error;
  std::unique_ptr<FileSink> file = FileSink::Open(path, error);
  if (file == nullptr) {
    Tell(ReadEvent::CaptureUnavailable);
    return;
  }
  // Refused when a raw log holds the capture slot: it is not cut off.
  if (!hooks_.attachCapture || !hooks_.attachCapture(std::move(file), path)) {
    Tell(ReadEvent::CaptureUnavailable);
    return;
  }
  traceMode_ = 2;
  readProgressMaximum_ = status->recordsLogged;
  readBaudIndex_ = pending_.rdTrcBaud;
  const auto start = static_cast<uint16_t>(TraceIntegerOrZero(pending_.lbStartPos));
  Send(TracePageReadFrame(traceMode_, pending_.rdTrcFormat == 1, start, pending_.rdTrcBaud));
  Tell(ReadEvent::Started);
}

void TTracePage::SendStop(int baudIndex) {
  const bool posted =
      hooks_.post &&
      hooks_.post(TraceReadStopAndQuery(baudIndex, hooks_.answerTimeoutMs),
                  [this](const ExchangeResult& result) {
                    const std::optional<TraceStatus> status = TraceStatusIn(result);
                    const bool stopped = status && status->state != kTraceStateReading;
                    Tell(stopped ? ReadEvent::StopConfirmed : ReadEvent::StopUnconfirmed);
                  });
  if (!posted) Tell(ReadEvent::StopUnconfirmed);
}

void TTracePage::EndRead(bool stopReceiver) {
  if (traceMode_ != 2) return;
  traceMode_ = 0;
  readProgressMaximum_ = 0;
  if (stopReceiver) SendStop(readBaudIndex_);
}

void TTracePage::ClearClick() { Send(TracePageClearFrame()); }
void TTracePage::RequestClick() { Send(TracePageRequestFrame()); }

}  // namespace vetra
