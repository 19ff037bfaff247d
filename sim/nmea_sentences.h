#pragma once
// The NMEA sentences the virtual receiver sends: talker "GP", fields as the module writes them,
// "*hh" checksum (upper-case hex XOR of everything between '$' and '*') unless switched off, CR LF.
// Every sentence stays within 82 characters including '$' and CR LF.
//
//   $GPGGA,123519.000,4916.9620,N,12307.2420,W,1,08,1.1,70.0,M,-16.9,M,,0000*hh
//   $GPGSA,A,3,02,05,09,12,17,21,25,29,,,,,1.8,1.1,1.4*hh
//   $GPGSV,3,1,11,02,45,123,42,05,12,301,31,09,67,054,47,12,08,190,29*hh
//   $GPRMC,123519.000,A,4916.9620,N,12307.2420,W,19.4,084.3,140324,,,A*hh
//   $GPVTG,084.3,T,,M,19.4,N,36.0,K,A*hh
//   $GPGLL,4916.9620,N,12307.2420,W,123519.000,A,A*hh
//   $GPZDA,123519.000,14,03,2024,00,00*hh
//   $MXTR,REV,K700FW V1.5*hh          (proprietary: address "MXTR" without talker)
//
// Without a fix the position fields are empty, GGA quality 0, GSA mode 1, RMC/GLL status V.

#include <string>
#include <string_view>
#include <vector>

#include "sim/epoch_report.h"

namespace vetra::sim {

// "$" + body + "*hh" (when withChecksum) + CR LF.
std::string NmeaSentence(std::string_view body, bool withChecksum = true);
// XOR of the body's characters.
uint8_t NmeaChecksum(std::string_view body);

std::string GgaSentence(const EpochReport& r, bool withChecksum = true);
std::string GsaSentence(const EpochReport& r, bool withChecksum = true);
// One to four sentences, four satellites each ("$GPGSV,1,1,00" when none are in view).
std::vector<std::string> GsvSentences(const EpochReport& r, bool withChecksum = true);
std::string RmcSentence(const EpochReport& r, bool withChecksum = true);
std::string VtgSentence(const EpochReport& r, bool withChecksum = true);
std::string GllSentence(const EpochReport& r, bool withChecksum = true);
std::string ZdaSentence(const EpochReport& r, bool withChecksum = true);
// "$MXTR," + the fields joined by ','.
std::string MxtrSentence(const std::vector<std::string>& fields, bool withChecksum = true);

// "ddmm.mmmm" (latitude, digits = 2) or "dddmm.mmmm" (longitude, digits = 3) of |degrees|.
std::string NmeaCoordinate(double degrees, int degreeDigits);

}  // namespace vetra::sim
