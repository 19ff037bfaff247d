#pragma once
// The line's health in a few characters, for a status bar too narrow for the hint or the counters
// (the compact window's): one coloured state word or figure, the whole text in
// the tooltip.
//
//   the replay has played the whole log  "Replay ended"  (grey; also the full text: the silence
//                                                         after a log is not the receiver's)
//   no byte for kHintSeconds             "No data 7 s"   (red; the seconds without a byte)
//   bytes, but nothing valid             "Wrong rate?"   (amber)
//   sentences rejected (talker, length)  "Rejected 12"   (amber; sentences rejected so far)
//   valid sentences or frames            "35 ok/s"       (green)
//   anything else (listening, the        "480 B/s"       (grey)
//   loader's page)

#include <string>

#include "present/colour.h"
#include "session/line_health.h"

namespace vetra {

inline constexpr char kReplayEndedText[] = "Replay ended";

struct HealthBrief {
  std::string text;  // the short form
  Rgb colour;
  std::string full;  // the hint when there is one (or kReplayEndedText), else the counters
};

HealthBrief BriefHealth(const LineHealthReading& reading, bool replayEnded);

}  // namespace vetra
