#include "app/terminal_monitor.h"

#include <cstdio>

#include "monitor/decode_format.h"

namespace vetra {

std::string PrintableEcho(std::string_view line) {
  std::string text;
  text.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      text.push_back(c);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

TerminalMonitor::TerminalMonitor(Options options, Output output, IClock& clock)
    : options_(options), output_(std::move(output)) {
  TViewTask::Options taskOptions;
  taskOptions.hostMode = options_.hostMode;
  IViewDisplay& display = *this;
  task_ = std::make_unique<TViewTask>(
      clock, [](const std::function<void()>& fn) { fn(); }, display, stores_, taskOptions);
}

TerminalMonitor::~TerminalMonitor() {
  Stop();
  task_.reset();
}

void TerminalMonitor::Start(IPort& port) {
  task_->port().Set(&port);
  task_->SetActive(true);
}

void TerminalMonitor::Stop() {
  task_->SetActive(false);
  task_->port().Set(nullptr);
  task_->CloseLog();
}

void TerminalMonitor::AppendNmeaLine(std::string_view line) {
  if (!options_.echo) return;
  line_.clear();
  if (options_.json) {
    line_ = "{\"line\": ";
    AppendJsonString(line_, line);
    line_ += "}\n";
  } else {
    line_ = PrintableEcho(line);
    line_ += '\n';
  }
  output_(line_);
}

void TerminalMonitor::ShowNavigation(const TNavRecord& display, DisplaySource source) {
  if (source == DisplaySource::None) return;
  line_.clear();
  if (options_.json) {
    line_ = source == DisplaySource::Binary ? "{\"source\": \"binary\", \"record\": "
                                            : "{\"source\": \"nmea\", \"record\": ";
    AppendRecordJson(line_, display);
    line_ += "}\n";
  } else {
    AppendBriefLine(line_, display);
  }
  ++updates_;
  output_(line_);
}

void TerminalMonitor::PortFailed() {
  if (portFailed_.exchange(true)) return;
  if (onFailure_) onFailure_();
}

}  // namespace vetra
