#pragma once
// EpochAssembler: the sentences (and the module's binary navigation frames) of one receiver into
// one Epoch per receiver epoch.
//
// What makes an epoch: the sentences with the same UTC time of day. An epoch closes
// - when a sentence with another time arrives;
// - when the kind of sentence that begins the receiver's epochs arrives again after other kinds
//   (a run of the same kind, three GSV or one GSA per system, stays in one epoch), so that epochs
//   without a time or with a repeated time are cut where the receiver cuts them. That kind is
//   learned from the receiver: what it sends first after a silence (live), else the sentence
//   with the new time that closed the last epoch. A log without pauses does not tell whether the
//   satellite sentences between two epochs end the one or begin the other: they are taken to end
//   the one before (most receivers send the fix first); live, the pause between epochs tells;
// - on Close (the end of a log) or CloseAfterSilence (a silence on a live line).
//
// What an epoch holds:
// - time of day from its sentences; the date from its own RMC or ZDA (or binary frame), else the
//   date of the epoch before, moved to the next day when the time of day went back by more than
//   twelve hours (midnight; a receiver whose clock steps back a second keeps its date). No date
//   until one is known;
// - the fix: a GGA or GNS that says no fix (or a satellite fix from 0 satellites used: a
//   position held over), or else an RMC or GLL with status V, leaves the epoch without a fix; the
//   mode is the receiver's own (GSA fix type) when it gives one, else 3D when a height came with
//   the position and 2D without. The position, with the receiver's digits, comes from the GGA or
//   GNS, else RMC, else GLL, of the epoch, only from a sentence that says it holds a fix;
// - heights: above mean sea level and the geoid separation from GGA/GNS; the ellipsoidal height is
//   their sum, and missing when either is. Climb from the MSL heights of consecutive epochs;
// - speed and track from RMC, else VTG;
// - hdop, vdop and pdop as the receiver gives them (GSA, else GGA's hdop); xdop, ydop, tdop and
//   gdop from the used satellites' elevations and azimuths (dop_geometry.h), from the epoch's GSV
//   or the last one seen;
// - error estimates as gpsd gives them (error_model.h): from the DOPs, and from the receiver's
//   own figures where it sends a GST;
// - every satellite in view of its GSV sentences (each signal of NMEA 4.10 apart), with the used
//   flag from the epoch's GSA sentences: used when a GSA lists it and its GSV shows a signal (a
//   satellite without C/N0 was not measured in this epoch, whatever the GSA says; gpsd counts
//   it so too).
//
// It holds one open epoch and the few values carried between epochs (date, last height, the last
// satellite view for the geometry), so a log of any size streams through.

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "epoch/epoch.h"
#include "epoch/nmea_reader.h"
#include "epoch/satellite_ids.h"
#include "model/nav_record.h"

namespace vetra {

class EpochAssembler {
 public:
  // One sentence as the reader gave it (ReadOutcome::Read); the epoch it closed, if any, is
  // appended to out.
  void Add(const NmeaSentence& sentence, std::vector<Epoch>& out);
  // The module's navigation fix (F2 D0/D1) as TBinary decoded it into its record.
  void AddBinaryFix(const TNavRecord& record, std::vector<Epoch>& out);
  // The module's channel status (F2 D2/D5) as TBinary decoded it into its record.
  void AddBinaryChannels(const TNavRecord& record, int channelCount, std::vector<Epoch>& out);
  // Closes the open epoch (the end of the input); nothing when none is open.
  void Close(std::vector<Epoch>& out);
  // Closes the open epoch after the receiver fell silent: what it sends next begins its cycle.
  void CloseAfterSilence(std::vector<Epoch>& out);

  bool open() const { return open_.parts != 0; }
  // The receiver's usual step between epoch times, learned; 0 before two epochs were seen.
  int64_t epochIntervalMs() const { return intervalMs_; }

 private:
  // Sentence kinds and the binary frames, as bits of what the open epoch has seen.
  enum Part : uint8_t {
    kGga,
    kGns,
    kRmc,
    kGll,
    kGsa,
    kGsv,
    kVtg,
    kZda,
    kGst,
    kBinaryFix,
    kBinaryChannels,
    kPartCount
  };
  struct OpenEpoch {
    uint32_t parts = 0;
    int64_t timeMs = -1;
    std::optional<GgaSentence> gga;
    std::optional<GnsSentence> gns;
    std::optional<RmcSentence> rmc;
    std::optional<GllSentence> gll;
    std::optional<VtgSentence> vtg;
    std::optional<GstSentence> gst;
    std::optional<UtcDate> date;
    char talker[2] = {0, 0};
    int gsaFixType = -1;
    double pdop = kNoValue, hdop = kNoValue, vdop = kNoValue;
    bool hasGsa = false;
    std::vector<SatelliteId> used;
    std::vector<EpochSatellite> satellites;
    std::bitset<8 * 256> seen;  // system << 8 | svid of the satellites so far
    bool hasSky = false;
    std::optional<Epoch> binary;  // the fix frame's values
  };

  // The rules that cut epochs: called before a part with the given time (-1: none) is added.
  void CloseIfNewEpoch(Part part, int64_t timeMs, std::vector<Epoch>& out);
  void Note(Part part, int64_t timeMs);
  void AddSatellites(const GsvSentence& gsv, std::optional<GnssSystem> system);
  void AddUsed(const GsaSentence& gsa, std::optional<GnssSystem> talkerSystem);
  Epoch Build();
  void SetDate(Epoch& epoch);
  void SetFix(Epoch& epoch);
  void SetSky(Epoch& epoch);
  void MarkUsed(std::vector<EpochSatellite>& satellites) const;

  OpenEpoch open_;
  int lastPart_ = -1;              // the kind of the last part added to the open epoch
  int startPart_ = -1;             // learned: the part that begins the receiver's epochs
  bool closedBySilence_ = false;   // the last epoch closed after a silence
  bool startFromSilence_ = false;  // startPart_ was learned after a silence

  // Carried between epochs.
  std::optional<UtcDate> date_;
  int64_t dateTimeMs_ = -1;  // the time of day of the epoch that date_ belongs to
  int64_t lastEpochTimeMs_ = -1;
  double lastAltitudeM_ = kNoValue;
  int64_t lastAltitudeTimeMs_ = -1;
  int64_t intervalMs_ = 0;
  std::vector<EpochSatellite> lastSky_;
};

}  // namespace vetra
