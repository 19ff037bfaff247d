#include "session/line_health.h"

#include <algorithm>
#include <cstdio>

namespace vetra {
namespace {

LineHealth Since(const LineHealth& now, const LineHealth& base) {
  LineHealth d = now;
  d.bytesRead = now.bytesRead - base.bytesRead;
  d.sentencesAccepted = now.sentencesAccepted - base.sentencesAccepted;
  d.checksumErrors = now.checksumErrors - base.checksumErrors;
  d.sentencesRejected = now.sentencesRejected - base.sentencesRejected;
  d.framesAccepted = now.framesAccepted - base.framesAccepted;
  d.framesRejected = now.framesRejected - base.framesRejected;
  return d;
}

unsigned long long U(uint64_t value) { return static_cast<unsigned long long>(value); }

std::string SinceValidText(const LineHealthReading& r) {
  return r.secondsSinceValid < 0 ? std::string("-") : std::to_string(r.secondsSinceValid) + " s";
}

}  // namespace

bool LineShowsNothingValid(const LineHealth& h) {
  return h.sentencesAccepted == 0 && h.framesAccepted == 0;
}

std::string SilentLineNote(const LineHealth& h, const std::string& port) {
  if (!LineShowsNothingValid(h)) return {};
  if (h.bytesRead == 0) return "nothing arrives on " + port;
  return kTerminalWrongRateNote;
}

std::string HealthCountersText(const LineHealthReading& r) {
  char text[160];
  std::snprintf(text, sizeof text,
                "%d B/s \u00b7 %llu ok \u00b7 %llu cksum \u00b7 %llu/%llu frames \u00b7 %s",
                r.bytesPerSecond, U(r.counts.sentencesAccepted), U(r.counts.checksumErrors),
                U(r.counts.framesAccepted), U(r.counts.framesRejected), SinceValidText(r).c_str());
  return text;
}

std::string HealthDetailText(const LineHealthReading& r) {
  char text[400];
  std::snprintf(text, sizeof text,
                "%d bytes per second (%llu bytes in all)\n"
                "%llu sentences accepted\n"
                "%llu checksum errors\n"
                "%llu sentences rejected for length or talker\n"
                "%llu frames accepted, %llu rejected\n",
                r.bytesPerSecond, U(r.counts.bytesRead), U(r.counts.sentencesAccepted),
                U(r.counts.checksumErrors), U(r.counts.sentencesRejected),
                U(r.counts.framesAccepted), U(r.counts.framesRejected));
  std::string detail = text;
  detail += r.secondsSinceValid < 0 ? "No valid sentence or frame yet"
                                    : "Last valid sentence or frame " + SinceValidText(r) + " ago";
  if (!r.hint.empty()) detail += "\n" + r.hint;
  return detail;
}

std::string HealthLogLine(const LineHealthReading& r) {
  char text[300];
  std::snprintf(text, sizeof text,
                "health: %d B/s, %llu bytes, %llu sentences accepted, %llu checksum errors, "
                "%llu sentences rejected, %llu/%llu frames accepted/rejected, last valid %s%s",
                r.bytesPerSecond, U(r.counts.bytesRead), U(r.counts.sentencesAccepted),
                U(r.counts.checksumErrors), U(r.counts.sentencesRejected),
                U(r.counts.framesAccepted), U(r.counts.framesRejected),
                r.secondsSinceValid < 0 ? "none" : SinceValidText(r).c_str(),
                r.secondsSinceValid < 0 ? "" : " ago");
  std::string line = text;
  if (!r.hint.empty()) line += "\nhealth: " + r.hint;
  return line;
}

void LineHealthMeter::Start(const LineHealth& now, int64_t nowMs) {
  started_ = true;
  base_ = now;
  startMs_ = nowMs;
  samples_.clear();
  samples_.push_back({nowMs, now});
}

LineHealthReading LineHealthMeter::Read(const LineHealth& now, int64_t nowMs) {
  if (!started_) Start(now, nowMs);
  LineHealthReading reading;
  reading.counts = Since(now, base_);

  const Sample& previous = samples_.back();
  const int64_t intervalMs = nowMs - previous.ms;
  if (intervalMs > 0) {
    reading.bytesPerSecond =
        static_cast<int>((now.bytesRead - previous.health.bytesRead) * 1000 / intervalMs);
    const uint64_t valid = now.sentencesAccepted + now.framesAccepted -
                           previous.health.sentencesAccepted - previous.health.framesAccepted;
    reading.validPerSecond = static_cast<int>(valid * 1000 / intervalMs);
  }
  const int64_t lastHeardMs = now.lastByteMs >= startMs_ ? now.lastByteMs : startMs_;
  reading.secondsSilent = std::max<int64_t>(0, (nowMs - lastHeardMs) / 1000);
  if (now.lastValidMs >= startMs_ && now.lastValidMs >= 0) {
    reading.secondsSinceValid = std::max<int64_t>(0, (nowMs - now.lastValidMs) / 1000);
  }

  samples_.push_back({nowMs, now});
  // Keep one sample at or before the window's start, so the window is judged whole.
  const int64_t windowStartMs = nowMs - kHintSeconds * 1000;
  while (samples_.size() > 2 && samples_[1].ms <= windowStartMs) samples_.pop_front();
  reading.hint = Hint(samples_.back());
  return reading;
}

std::string LineHealthMeter::Hint(const Sample& latest) const {
  const Sample& oldest = samples_.front();
  if (latest.ms - oldest.ms < kHintSeconds * 1000) return {};  // not listened long enough
  const LineHealth window = Since(latest.health, oldest.health);
  if (window.bytesRead == 0) return kSilentPortHint;
  if (window.sentencesRejected >= 2 && window.sentencesRejected > window.checksumErrors) {
    return kRejectedSentencesHint;
  }
  if (window.sentencesAccepted + window.framesAccepted == 0) return kWrongRateHint;
  return {};
}

}  // namespace vetra
