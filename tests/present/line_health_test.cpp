// The line-health reading: counters since listening began, the byte rate and the hints, and
// their short form for a narrow status bar.
#include "session/line_health.h"

#include <gtest/gtest.h>

#include "present/health_brief.h"

namespace vetra {
namespace {

// What arrives each second of a scenario, added to the counters.
struct PerSecond {
  uint64_t bytes, accepted, checksum, rejected, frames;
};

struct HintCase {
  const char* what;
  PerSecond each;
  const char* hint;
};

LineHealthReading ReadingAfter(const PerSecond& each, int seconds,
                               uint64_t rejectedInTheLastSecond = 0) {
  LineHealthMeter meter;
  LineHealth h;
  h.bytesRead = 999;  // counted before listening began
  int64_t ms = 50'000;
  meter.Start(h, ms);
  LineHealthReading reading;
  for (int s = 0; s < seconds; ++s) {
    ms += 1000;
    h.bytesRead += each.bytes;
    h.sentencesAccepted += each.accepted;
    h.checksumErrors += each.checksum;
    h.sentencesRejected += each.rejected;
    h.framesAccepted += each.frames;
    if (s == seconds - 1) h.sentencesRejected += rejectedInTheLastSecond;
    if (each.bytes > 0) h.lastByteMs = ms;
    reading = meter.Read(h, ms);
  }
  return reading;
}

std::string HintAfter(const PerSecond& each, int seconds, uint64_t rejectedInTheLastSecond = 0) {
  return ReadingAfter(each, seconds, rejectedInTheLastSecond).hint;
}

TEST(LineHealthMeter, HintsNameTheCauseAfterFiveSecondsOfListening) {
  const HintCase cases[] = {
      {"silent port", {0, 0, 0, 0, 0}, kSilentPortHint},
      {"wrong rate: garbage", {480, 0, 0, 0, 0}, kWrongRateHint},
      {"wrong rate: a stray checksum error", {480, 0, 1, 0, 0}, kWrongRateHint},
      {"$GN talker", {480, 0, 0, 6, 0}, kRejectedSentencesHint},
      {"NMEA flowing", {480, 6, 0, 0, 0}, ""},
      {"binary flowing", {480, 0, 0, 0, 2}, ""},
  };
  for (const HintCase& c : cases) {
    EXPECT_EQ(HintAfter(c.each, LineHealthMeter::kHintSeconds - 1), "") << c.what << ": too soon";
    EXPECT_EQ(HintAfter(c.each, LineHealthMeter::kHintSeconds + 3), c.hint) << c.what;
  }
}

// One rejected sentence among garbage is chance (a wrong rate can make one); two make a pattern.
TEST(LineHealthMeter, ASingleRejectedSentenceDoesNotNameTheTalker) {
  const PerSecond garbage{480, 0, 0, 0, 0};
  const int seconds = LineHealthMeter::kHintSeconds + 3;
  EXPECT_EQ(HintAfter(garbage, seconds, 1), kWrongRateHint);
  EXPECT_EQ(HintAfter(garbage, seconds, 2), kRejectedSentencesHint);
}

TEST(LineHealth, TheTerminalsNoteAfterSilenceSaysWhatTheLineShowed) {
  LineHealth nothing;
  EXPECT_EQ(SilentLineNote(nothing, "COM3"), "nothing arrives on COM3");
  LineHealth garbage;
  garbage.bytesRead = 480;
  garbage.checksumErrors = 3;
  EXPECT_EQ(SilentLineNote(garbage, "COM3"), kTerminalWrongRateNote);
  LineHealth frames = garbage;
  frames.framesAccepted = 1;  // a receiver that answers in binary only is heard
  EXPECT_EQ(SilentLineNote(frames, "COM3"), "");
}

TEST(LineHealthMeter, CountsSinceStartRateOfTheLastSecondAndAgeOfTheLastValid) {
  LineHealthMeter meter;
  LineHealth h;
  h.sentencesAccepted = 40;
  meter.Start(h, 10'000);
  h.bytesRead = 960;
  h.sentencesAccepted = 52;
  h.framesAccepted = 3;
  h.lastValidMs = 10'500;
  const LineHealthReading reading = meter.Read(h, 12'000);
  EXPECT_EQ(reading.counts.sentencesAccepted, 12u);
  EXPECT_EQ(reading.bytesPerSecond, 480);
  EXPECT_EQ(reading.secondsSinceValid, 1);
  EXPECT_EQ(HealthCountersText(reading),
            "480 B/s \u00b7 12 ok \u00b7 0 cksum \u00b7 3/0 frames \u00b7 1 s");
}

// Seven seconds of each line, as the compact window's status bar reads them.
TEST(HealthBrief, OneColouredWordAndOneFigure) {
  struct Case {
    const char* what;
    PerSecond each;
    bool replayEnded;
    const char* text;
    Rgb colour;
  };
  const Case cases[] = {
      {"silent port", {0, 0, 0, 0, 0}, false, "No data 7 s", kRed},
      {"replay played whole", {0, 0, 0, 0, 0}, true, "Replay ended", kGrey},
      {"wrong rate", {480, 0, 0, 0, 0}, false, "Wrong rate?", kAmber},
      {"foreign talker", {300, 0, 0, 3, 0}, false, "Rejected 21", kAmber},
      {"good line", {2000, 30, 0, 0, 5}, false, "35 ok/s", kGreen},
  };
  for (const Case& c : cases) {
    const LineHealthReading reading = ReadingAfter(c.each, 7);
    const HealthBrief brief = BriefHealth(reading, c.replayEnded);
    EXPECT_EQ(brief.text, c.text) << c.what;
    EXPECT_EQ(brief.colour, c.colour) << c.what;
    const std::string full = c.replayEnded          ? std::string(kReplayEndedText)
                             : reading.hint.empty() ? HealthCountersText(reading)
                                                    : reading.hint;
    EXPECT_EQ(brief.full, full) << c.what;
  }
}

}  // namespace
}  // namespace vetra
