#pragma once
// TNmea: the receiver's NMEA sentence parser (GGA, GLL, GSA, GSV, RMC, VTG, ZDA with talker "GP",
// and the proprietary "MXTR" sentence of the boot monitor and loader). A plain class over fixed
// buffers: no allocation while feeding, no read or write outside a buffer whatever the bytes.
//
// Shape of a sentence as the receiver sends it:
//   $GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C<CR><LF>
// The address is 4 characters ("MXTR", or "PGGA" ...) or 5 starting with 'G' ("GPGGA": its last
// four are compared), so other talkers ("$GNGGA", "$GLGSV") count an error, and so does
// "$PMXTR": the proprietary sentence is "$MXTR,...". A sentence reaches its decoder only at an LF
// that follows CR: LF-only streams are never decoded. The checksum is two hexadecimal digits of
// either case (anything else does not match); a sentence ended by CR without '*' is taken
// unchecked. The length estimate counts the characters up to and with the CR and drops a
// sentence above 80, so one of 80 characters before its CR (the most NMEA 0183 allows) is dropped
// too; it counts a 4-character address as 5, so a "$MXTR" sentence of 80 characters up to and
// with its CR is dropped as well. Each delimiter beyond position 82 of the bytes of one Feed call
// counts an error, so feed from the '$' of a sentence.
//
// How it reads: a byte machine with the states idle, address, fields, checksum and line end. Two
// shortcuts do exactly what it would do, 16 bytes at a time (nmea_blocks.h: SSE2, or plain scalar
// code where there is none): in the fields state, runs of data characters and commas
// (ScanFields); in the idle state at a '$', a whole canonical sentence (nmea_fast_path.cpp), with
// anything else left to the byte machine from the '$'. Neither reads past the bytes of the call.
//
// Bounds that the wire cannot move:
// - a token keeps at most 32 characters (only those after its last full 32);
// - 32 fields of a sentence are stored. Fields after the 32nd still count in the field count
//   (which stays far below 127, as the 80-character length estimate ends a sentence first) and in
//   the checksum, but are not stored; decoders read every field that was not stored in the
//   current sentence as empty, never as a left-over of an earlier sentence;
// - a satellites-in-view group fills at most 16 staging slots and 16 channel entries, and writes
//   satellite entries only for PRNs 1..64 (other PRNs still take their slot in the PRN list, which
//   readers check); a message adds no satellite once its slot has reached satellites in view.
//   Each parser has its own staging list (the monitoring and loader tasks each own a parser);
// - fraction digits of a minute beyond the 8th are ignored.
//
// What the record holds after fields that are empty or cannot be read:
// - time (hhmmss, at least six digits), date (ddmmyy, six digits), latitude (ddmm[.f]) and
//   longitude (dddmm[.f]): an empty or unreadable field leaves the record's value as it was, so
//   the last decoded values stay until new ones arrive (whether they are valid is told by fix
//   mode and fix indicator); an empty hemisphere field leaves the hemisphere letter as it was;
// - a "decimal" field (satellites used, quality, PRN, elevation, azimuth, C/N0, DOP) that is empty
//   or unreadable reads 0; altitude, heading and speed read 0 when empty, and are clamped to the
//   range of their 16-bit record fields.

#include <cstdint>
#include <string_view>

#include "model/nav_record.h"

namespace vetra {

// Result codes of Feed.
enum NmeaResult : int {
  kNmeaNothing = 0,
  kNmeaAccepted = 1,       // GGA, GLL, GSA, GSV, RMC, VTG or ZDA accepted
  kNmeaRevision = 256,     // $MXTR,REV...
  kNmeaHello = 257,        // 4D 21 HELLO
  kNmeaDataRequest = 258,  // 4D 21 DATARQST
  kNmea4D20 = 259,
  kNmeaStartAck = 260,      // 41 72
  kNmeaStartRefused = 261,  // 4E 72
  kNmeaEraseDone = 262,     // 41 73
};

struct NmeaFeed {
  int consumed = 0;
  int result = 0;  // NmeaResult
};

class TNmea {
 public:
  static constexpr int kFieldCapacity = 32;  // fields stored per sentence
  static constexpr int kTokenSize = 32;      // characters of a token and of a stored field
  static constexpr int kMaxSentenceLength = 80;
  static constexpr int kMaxDelimiterPosition = 82;  // within the bytes of one Feed call

  TNmea();

  // Runs the parser over count bytes; stops right after the LF of the first sentence whose
  // decoding gives a non-zero result. The caller feeds the rest again.
  NmeaFeed Feed(const uint8_t* bytes, int count);

  void ResetState();   // parser state only; errorCount and the record stay
  void ResetRecord();  // the record's reset values (no fix, speed -1, ...)

  // Every sentence dropped (a bad checksum, a length or address the receiver never sends, a broken
  // line end, a delimiter far into one call's bytes); the checksum mismatches among them apart.
  uint32_t errorCount() const { return errorCount_; }
  uint32_t checksumErrorCount() const { return checksumErrorCount_; }
  // The errors that drop a sentence for what it is (checksum, length, address, line end), without
  // those counted for delimiters far into a call's bytes, which depend on what came before the
  // sentence in the same call.
  uint32_t rejectedCount() const { return errorCount_ - positionErrorCount_; }
  void ClearErrorCount() { errorCount_ = checksumErrorCount_ = positionErrorCount_ = 0; }

  TNavRecord& record() { return record_; }
  const TNavRecord& record() const { return record_; }

 private:
  enum class State : uint8_t { kIdle, kAddress, kFields, kChecksum, kLineEnd };
  static constexpr int kScratchSlot = kFieldCapacity;  // token slot outside the stored fields

  // The slot the current token's characters go to: in the fields state the field it will become
  // (so storing it copies nothing), otherwise the scratch slot.
  int TokenSlot() const;
  // The whole-sentence fast path (nmea_fast_path.cpp): the index after the sentence, or -1.
  int ReadCanonicalSentence(const uint8_t* bytes, int start, int count, int& result);
  int ReadToken(const uint8_t* bytes, int i, int count);
  int ScanFields(const uint8_t* bytes, int i, int count);
  void StoreField();
  int HandleDelimiter(uint8_t c);  // the decode result, 0 when nothing was decoded
  void MatchAddress();
  void CheckChecksum(uint8_t c);

  // Field index of the current sentence; empty when the sentence stored no such field.
  std::string_view Field(int index) const;

  int Decode();
  int DecodeGga();
  int DecodeGsa();
  int DecodeGsv();
  int DecodeRmc();
  int DecodeProprietary();

  State state_ = State::kIdle;
  uint8_t sentenceType_ = 0;
  uint8_t checksum_ = 0;
  uint8_t tokenXor_ = 0;  // XOR of the token's characters
  int tokenLength_ = 0;
  int fieldCount_ = 0;  // signed 8-bit meaning: never beyond 127
  int sentenceLength_ = 0;
  uint32_t errorCount_ = 0;
  uint32_t positionErrorCount_ = 0;  // of errorCount_: delimiters beyond kMaxDelimiterPosition
  uint32_t checksumErrorCount_ = 0;
  uint32_t usedLow_ = 0;   // PRN 1..32 used in the fix, from the last GSA
  uint32_t usedHigh_ = 0;  // PRN 33..64
  int channelFill_ = 0;
  int32_t staging_[kChannelCount] = {};  // PRNs of the satellites-in-view group so far
  // The field slots and the scratch slot, with the lengths of the stored fields. A slot has room
  // for a 16-byte block behind a full token, so that runs of data characters are copied a block
  // at a time.
  static constexpr int kSlotSize = kTokenSize + 16;
  char fields_[kFieldCapacity + 1][kSlotSize] = {};
  uint8_t fieldLength_[kFieldCapacity] = {};
  // A canonical sentence read whole, in the blocks it was scanned in (at most 81 bytes), and where
  // its fields start in it. Only while the fast path decodes it are the fields read from there.
  static constexpr int kSentenceCopySize = 96;
  char sentenceCopy_[kSentenceCopySize] = {};
  uint8_t fieldOffset_[kFieldCapacity] = {};
  bool fieldsInCopy_ = false;
  TNavRecord record_;
};

}  // namespace vetra
