#pragma once
// TNmea: the receiver's NMEA sentence parser (GGA, GLL, GSA, GSV, RMC, VTG, ZDA with talker "GP",
// and the proprietary "MXTR" sentence of the boot monitor and loader). A plain class over fixed
// buffers: no allocation while feeding, no read or write outside a buffer whatever the bytes.

#include <cstdint>

#include "monitor/nav_record.h"

namespace vetra {

// Result codes of Feed.
enum NmeaResult : int {
  kNmeaNothing = 0,
  kNmeaAccepted = 1,       // GGA, GLL, GSA, GSV, RMC, VTG or ZDA accepted
  kNmeaRevision = 256,     // $PMXTR,REV...
  kNmeaHello = 257,        // 4D 21 HELLO
  kNmeaDataRequest = 258,  // 4D 21 DATARQST
  kNmea4D20 = 259,
  kNmeaStartAck = 260,     // 41 72
  kNmeaStartRefused = 261, // 4E 72
  kNmeaEraseDone = 262,    // 41 73
};

struct NmeaFeed {
  int consumed = 0;
  int result = 0;  // NmeaResult
};

class TNmea {
 public:
  TNmea();

  // Runs the parser over count bytes; stops right after the LF of the first sentence whose
  // decoding gives a non-zero result. The caller feeds the rest again.
  NmeaFeed Feed(const uint8_t* bytes, int count);

  void ResetState();   // parser state only; errorCount and the record stay
  void ResetRecord();  // the record's reset values (no fix, speed -1, ...)

  uint32_t errorCount() const { return errorCount_; }
  void ClearErrorCount() { errorCount_ = 0; }

  TNavRecord& record() { return record_; }
  const TNavRecord& record() const { return record_; }

 private:
  uint32_t errorCount_ = 0;
  TNavRecord record_;
};

}  // namespace vetra
