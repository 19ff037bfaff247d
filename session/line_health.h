#pragma once
// What the status bar and `vetra monitor --health` say about the line: the counters of the
// receiver conversation (LineHealth) since the port was opened, the byte rate of the last second,
// the time since the last valid sentence or frame, and a plain hint when something is wrong.
//
// The hints, first match wins, each judged over the last kHintSeconds of listening:
//   no byte at all                  "No data for 5 s: is the receiver powered and on this port?"
//   sentences dropped for their     "Sentences rejected for length or talker" (a receiver that
//   length or address, more often    sends "$GN..." or over-long sentences: its bytes arrive and
//   than for their checksum          are whole, but TNmea takes none of them)
//   bytes but nothing valid         "Bytes arrive but no valid sentence: wrong baud rate? Try Scan"
// Listening starts when monitoring starts (Start); a hint needs kHintSeconds of it, so a port
// just opened is not called silent. Time comes from the injectable clock.

#include <cstdint>
#include <deque>
#include <string>

#include "session/pass_value.h"

namespace vetra {

inline constexpr char kSilentPortHint[] =
    "No data for 5 s: is the receiver powered and on this port?";
inline constexpr char kWrongRateHint[] =
    "Bytes arrive but no valid sentence: wrong baud rate? Try Scan";
inline constexpr char kRejectedSentencesHint[] = "Sentences rejected for length or talker";

// What a terminal adds after "no answer": what the line showed since the port was opened (the
// conversation's counters). Empty when valid sentences or frames arrived: the line is not to blame.
inline constexpr char kTerminalWrongRateNote[] =
    "bytes arrive but no valid sentence: wrong baud rate? Try `vetra scan`";
std::string SilentLineNote(const LineHealth& sinceOpen, const std::string& port);
// True when the line has shown nothing valid (no byte, or no valid sentence or frame).
bool LineShowsNothingValid(const LineHealth& sinceOpen);

struct LineHealthReading {
  LineHealth counts;               // since Start
  int bytesPerSecond = 0;          // over the last reading's interval
  int validPerSecond = 0;          // sentences and frames accepted, over the same interval
  int64_t secondsSinceValid = -1;  // -1: nothing valid since Start
  int64_t secondsSilent = 0;       // since the last byte read, or since Start without one
  std::string hint;                // empty when all is well
};

// "480 B/s · 12 ok · 0 cksum · 3/0 frames · 1 s": short enough for the compact window.
std::string HealthCountersText(const LineHealthReading& reading);
// The same in words, one item a line (the status field's tooltip, `vetra monitor --health`).
std::string HealthDetailText(const LineHealthReading& reading);
// One line for a terminal: "health: 480 B/s, 12 sentences, 0 checksum errors, ...".
std::string HealthLogLine(const LineHealthReading& reading);

class LineHealthMeter {
 public:
  static constexpr int kHintSeconds = 5;

  // Listening starts: counters from here on, no hint for the next kHintSeconds.
  void Start(const LineHealth& now, int64_t nowMs);
  // Called about once a second while listening; the reading of the counters since Start.
  LineHealthReading Read(const LineHealth& now, int64_t nowMs);
  bool started() const { return started_; }
  void Stop() { started_ = false; }

 private:
  struct Sample {
    int64_t ms;
    LineHealth health;
  };
  std::string Hint(const Sample& latest) const;

  bool started_ = false;
  LineHealth base_;
  int64_t startMs_ = 0;
  std::deque<Sample> samples_;  // the readings of the last kHintSeconds, oldest first
};

}  // namespace vetra
