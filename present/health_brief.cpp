#include "present/health_brief.h"

namespace vetra {

HealthBrief BriefHealth(const LineHealthReading& r, bool replayEnded) {
  const std::string seconds = std::to_string(r.secondsSilent) + " s";
  if (replayEnded && r.bytesPerSecond == 0) return {kReplayEndedText, kGrey, kReplayEndedText};
  if (r.hint == kSilentPortHint) return {"No data " + seconds, kRed, r.hint};
  if (r.hint == kWrongRateHint) return {"Wrong rate?", kAmber, r.hint};
  if (r.hint == kRejectedSentencesHint) {
    return {"Rejected " + std::to_string(r.counts.sentencesRejected), kAmber, r.hint};
  }
  const std::string counters = HealthCountersText(r);
  if (r.validPerSecond > 0) return {std::to_string(r.validPerSecond) + " ok/s", kGreen, counters};
  return {std::to_string(r.bytesPerSecond) + " B/s", kGrey, counters};
}

}  // namespace vetra
