// Feeds arbitrary bytes to the NMEA sentence parser: no read or write outside a buffer, no
// undefined behaviour, every Feed consumes within its bounds, every Feed call gives what the byte
// machine alone gives for the same bytes (consumed count, result code, error count, record: the
// whole-sentence fast path and the block scan change nothing), and cutting the same bytes into
// pieces changes neither the results nor the record.
//
// Input: byte 0 chooses the piece size (0: whole), byte 1 the offset of a record reset (and, when
// odd, a state reset) that both runs make at the same byte; the rest is the stream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "decode/nmea.h"
#include "tests/decode/nmea_byte_machine.h"

namespace {

using vetra::NmeaFeed;
using vetra::TNavRecord;
using vetra::TNmea;
using vetra::testing::ByteMachine;

bool ValidResult(int result) {
  return result == 0 || result == 1 || (result >= 256 && result <= 262);
}

bool SameRecord(const TNavRecord& a, const TNavRecord& b) {
  auto same = [](const auto& x, const auto& y) { return std::memcmp(&x, &y, sizeof x) == 0; };
  bool ok =
      a.updated == b.updated && a.restartCounter == b.restartCounter && a.speedKmh == b.speedKmh &&
      a.headingDeg == b.headingDeg && same(a.latitudeDeg, b.latitudeDeg) &&
      a.latitudeHemisphere == b.latitudeHemisphere && same(a.longitudeDeg, b.longitudeDeg) &&
      a.longitudeHemisphere == b.longitudeHemisphere && a.altitudeM == b.altitudeM &&
      a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
      a.minute == b.minute && a.second == b.second && a.fixIndicator == b.fixIndicator &&
      a.fixMode == b.fixMode && a.status == b.status && same(a.pdop, b.pdop) &&
      same(a.hdop, b.hdop) && same(a.vdop, b.vdop) && a.satellitesInView == b.satellitesInView &&
      a.satellitesUsed == b.satellitesUsed && same(a.prnList, b.prnList);
  for (int i = 0; ok && i < vetra::kSatelliteCount; ++i) {
    ok = a.satellites[i].elevation == b.satellites[i].elevation &&
         a.satellites[i].azimuth == b.satellites[i].azimuth &&
         a.satellites[i].used == b.satellites[i].used;
  }
  for (int i = 0; ok && i < vetra::kChannelCount; ++i) ok = a.channels[i].cn0 == b.channels[i].cn0;
  return ok;
}

// Feeds bytes as the monitoring task does: again and again on the remainder. Each call gets its
// own exact-size copy so that a read past the end is caught, and is held to the byte machine.
void FeedAll(TNmea& nmea, ByteMachine& reference, const uint8_t* bytes, size_t count,
             std::vector<int>& results) {
  while (count > 0) {
    std::vector<uint8_t> copy(bytes, bytes + count);
    const NmeaFeed fed = nmea.Feed(copy.data(), static_cast<int>(count));
    if (fed.consumed <= 0 || static_cast<size_t>(fed.consumed) > count) std::abort();
    if (!ValidResult(fed.result)) std::abort();
    // A call stops early only right after the LF of a decoded sentence.
    if (fed.result == 0 && static_cast<size_t>(fed.consumed) != count) std::abort();
    if (fed.result != 0 && bytes[fed.consumed - 1] != '\n') std::abort();
    const NmeaFeed expected = reference.Feed(copy.data(), static_cast<int>(count));
    if (fed.consumed != expected.consumed || fed.result != expected.result) std::abort();
    if (nmea.errorCount() != reference.errorCount()) std::abort();
    if (!SameRecord(nmea.record(), reference.nmea.record())) std::abort();
    if (fed.result != 0) results.push_back(fed.result);
    bytes += fed.consumed;
    count -= static_cast<size_t>(fed.consumed);
  }
}

void FeedInPieces(TNmea& nmea, ByteMachine& reference, const uint8_t* bytes, size_t count,
                  size_t piece, std::vector<int>& results) {
  for (size_t start = 0; start < count; start += piece) {
    FeedAll(nmea, reference, bytes + start, piece < count - start ? piece : count - start, results);
  }
}

void ResetAtCut(TNmea& nmea, bool alsoState) {
  nmea.ResetRecord();
  if (alsoState) nmea.ResetState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > (1u << 20)) return 0;
  const uint8_t* stream = data + 2;
  const size_t length = size - 2;
  const size_t piece = data[0] == 0 ? length + 1 : data[0];
  const size_t cut = std::min<size_t>(size_t{data[1]} * 2, length);
  const bool alsoState = (data[1] & 1) != 0;

  // The same bytes whole and in pieces, with the same resets at the same byte offset.
  TNmea whole;
  ByteMachine wholeReference;
  std::vector<int> wholeResults;
  FeedAll(whole, wholeReference, stream, cut, wholeResults);
  ResetAtCut(whole, alsoState);
  ResetAtCut(wholeReference.nmea, alsoState);
  FeedAll(whole, wholeReference, stream + cut, length - cut, wholeResults);

  TNmea pieces;
  ByteMachine piecesReference;
  std::vector<int> pieceResults;
  FeedInPieces(pieces, piecesReference, stream, cut, piece, pieceResults);
  ResetAtCut(pieces, alsoState);
  ResetAtCut(piecesReference.nmea, alsoState);
  FeedInPieces(pieces, piecesReference, stream + cut, length - cut, piece, pieceResults);

  if (pieceResults != wholeResults) std::abort();
  if (!SameRecord(pieces.record(), whole.record())) std::abort();
  if (pieces.errorCount() > 2 * length) std::abort();  // at most two per byte
  return 0;
}
