#include "cli/terminal_monitor.h"

#include <cstdio>

#include "present/decode_format.h"

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
    : options_(std::move(options)),
      output_(std::move(output)),
      clock_(clock),
      gpsdReports_(options_.device) {
  ReceiverConversation::Options conversationOptions;
  conversationOptions.hostMode = options_.hostMode;
  IPassDisplay& display = *this;
  conversation_ = std::make_unique<ReceiverConversation>(
      clock, [](const std::function<void()>& fn) { fn(); }, display, stores_, conversationOptions);
}

TerminalMonitor::~TerminalMonitor() {
  Stop();
  conversation_.reset();
}

void TerminalMonitor::Start(std::unique_ptr<IPort> port) {
  conversation_->AttachPort(std::move(port));
  health_.Start(conversation_->health(), clock_.nowMs());
  conversation_->SetActive(true);
}

std::string TerminalMonitor::HealthLine() {
  return HealthLogLine(health_.Read(conversation_->health(), clock_.nowMs()));
}

void TerminalMonitor::Stop() {
  conversation_->SetActive(false);
  conversation_->ClosePort();
  conversation_->CloseLog();
}

void TerminalMonitor::ShowPass(const PassValue& pass) {
  lines_.clear();
  if (options_.gpsd) {
    AppendGpsd(pass);
  } else {
    if (options_.echo) {
      for (const EchoedLine& line : pass.lines) AppendEcho(line.text);
    }
    if (options_.json) {
      if (pass.navigation) AppendNavigation(*pass.navigation);
      if (pass.binaryNavigation) AppendNavigation(*pass.binaryNavigation);
    } else {
      for (const Epoch& epoch : pass.epochs) {
        brief_.Append(lines_, epoch);
        ++updates_;
      }
    }
  }
  if (!lines_.empty() && output_) output_(lines_);
  if (options_.alsoShowTo != nullptr) options_.alsoShowTo->ShowPass(pass);
  if (pass.captureFailure && !logFailed_.exchange(true) && onLogFailure_) {
    onLogFailure_(pass.captureFailure->reason);
  }
  if (pass.portFailed && !portFailed_.exchange(true) && onFailure_) onFailure_();
}

void TerminalMonitor::AppendGpsd(const PassValue& pass) {
  for (const std::string& report : gpsdReports_.Take(pass.epochs, {}).reports) {
    lines_ += report;
    lines_ += '\n';
  }
  updates_ += pass.epochs.size();
}

void TerminalMonitor::AppendEcho(std::string_view line) {
  if (options_.json) {
    lines_ += "{\"line\": ";
    AppendJsonString(lines_, line);
    lines_ += "}\n";
  } else {
    lines_ += PrintableEcho(line);
    lines_ += '\n';
  }
}

void TerminalMonitor::AppendNavigation(const NavigationUpdate& update) {
  lines_ += update.source == DisplaySource::Binary ? "{\"source\": \"binary\", \"record\": "
                                                   : "{\"source\": \"nmea\", \"record\": ";
  AppendRecordJson(lines_, update.record);
  lines_ += "}\n";
  ++updates_;
}

}  // namespace vetra
