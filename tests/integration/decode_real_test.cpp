// The decode path (split, parse, echo, JSON output; brief lines of epochs) over the real receiver
// captures:
// nothing crashes, the output is valid JSON with the record's keys, chunking changes nothing,
// chosen lines hold the values worked out by hand, and three transcripts match their golden files
// (tests/golden/README.md says how to regenerate them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "epoch/epoch_stream.h"
#include "link/frame.h"
#include "present/decode_format.h"
#include "present/decode_stream.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kCaptures = fs::path(VETRA_TESTDATA) / "nmea-real";
const fs::path kGolden = fs::path(VETRA_SOURCE_DIR) / "tests" / "golden";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> Captures() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kCaptures)) {
    if (entry.path().extension() == ".log") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Decodes the bytes fed in pieces of `chunk` bytes (0: all at once).
std::string Decode(const std::string& bytes, DecodeStream::Format format,
                   int runBytes = DecodeStream::kDefaultRunBytes, size_t chunk = 0) {
  std::string out;
  DecodeStream stream(format, runBytes, [&](std::string_view text) { out.append(text); });
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t step = chunk == 0 ? std::max<size_t>(bytes.size(), 1) : chunk;
  for (size_t at = 0; at < bytes.size(); at += step) {
    stream.Feed(data + at, std::min(step, bytes.size() - at));
  }
  stream.Finish();
  return out;
}

// The brief lines of `vetra decode --brief`: one per epoch.
std::string Brief(const std::string& bytes) {
  EpochStream stream;
  std::vector<Epoch> epochs;
  stream.Feed(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), epochs);
  stream.Finish(epochs);
  BriefLineWriter writer;
  std::string out;
  for (const Epoch& epoch : epochs) writer.Append(out, epoch);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The echo as bytes again: each code point U+0000..U+00FF is one byte.
std::string EchoBytes(const json& line) {
  std::string bytes;
  const std::string utf8 = line["line"].get<std::string>();
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<uint8_t>(utf8[i]);
    if (c < 0x80) {
      bytes.push_back(static_cast<char>(c));
    } else {
      bytes.push_back(
          static_cast<char>(((c & 0x03) << 6) | (static_cast<uint8_t>(utf8[++i]) & 0x3F)));
    }
  }
  return bytes;
}

const std::vector<std::string> kRecordKeys = {"updated",
                                              "restart_counter",
                                              "speed",
                                              "heading",
                                              "latitude",
                                              "latitude_hemisphere",
                                              "longitude",
                                              "longitude_hemisphere",
                                              "altitude",
                                              "year",
                                              "month",
                                              "day",
                                              "hour",
                                              "minute",
                                              "second",
                                              "fix_indicator",
                                              "fix_mode",
                                              "status",
                                              "pdop",
                                              "hdop",
                                              "vdop",
                                              "satellites",
                                              "prn_list",
                                              "satellites_in_view",
                                              "satellites_used",
                                              "date_code",
                                              "clock_value",
                                              "measurement_utc",
                                              "clock_bias",
                                              "time_bias",
                                              "frequency_bias",
                                              "channels"};

TEST(DecodeRealCaptures, EveryCaptureDecodesToValidJsonWhateverTheChunking) {
  const auto files = Captures();
  ASSERT_GE(files.size(), 30u);
  size_t totalLines = 0;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string bytes = ReadFile(file);
    const std::string whole = Decode(bytes, DecodeStream::Format::Json);
    EXPECT_EQ(Decode(bytes, DecodeStream::Format::Json, DecodeStream::kDefaultRunBytes, 7), whole);
    if (bytes.size() < 20'000) {
      EXPECT_EQ(Decode(bytes, DecodeStream::Format::Json, DecodeStream::kDefaultRunBytes, 1),
                whole);
    }
    for (const std::string& text : Lines(whole)) {
      const json line = json::parse(text);  // throws (and fails the test) on invalid JSON
      ASSERT_TRUE(line["parser"] == "nmea" || line["parser"] == "binary");
      std::vector<std::string> keys;
      for (const auto& [key, value] : line["record"].items()) keys.push_back(key);
      std::vector<std::string> expected = kRecordKeys;
      std::sort(expected.begin(), expected.end());
      ASSERT_EQ(keys, expected);  // items() lists keys sorted
      ASSERT_EQ(line["record"]["prn_list"].size(), 16u);
      ASSERT_EQ(line["record"]["channels"].size(), 16u);
      ASSERT_LT(EchoBytes(line).size(), 256u);
      ++totalLines;
    }
  }
  EXPECT_GT(totalLines, 1000u);
}

TEST(DecodeRealCaptures, ChosenLinesHoldTheValuesWorkedOutByHand) {
  const auto lines = Lines(Decode(ReadFile(kCaptures / "mt3339.log"), DecodeStream::Format::Json));
  ASSERT_GE(lines.size(), 4u);

  // The first GGA is 83 characters by the receiver's length count, too long: it is dropped and
  // its line ends at its LF; the GSA after it has a line of its own.
  const json first = json::parse(lines[0]);
  EXPECT_EQ(EchoBytes(first),
            "$GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C");
  EXPECT_EQ(first["result"], 0);
  EXPECT_GT(first["errors"].get<int>(), 0);
  const json gsa = json::parse(lines[1]);
  EXPECT_EQ(EchoBytes(gsa), "$GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31*05");
  EXPECT_EQ(gsa["result"], 1);
  EXPECT_EQ(gsa["record"]["satellites_used"], 10);
  EXPECT_EQ(gsa["record"]["pdop"].get<float>(), 1.64f);  // reads back to the same float

  // $GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73
  const json rmc = json::parse(lines[2]);
  EXPECT_EQ(EchoBytes(rmc),
            "$GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73");
  EXPECT_EQ(rmc["parser"], "nmea");
  EXPECT_EQ(rmc["result"], 1);
  const json& r = rmc["record"];
  EXPECT_EQ(r["year"], 2015);
  EXPECT_EQ(r["month"], 4);
  EXPECT_EQ(r["day"], 13);
  EXPECT_EQ(r["hour"], 20);
  EXPECT_EQ(r["minute"], 26);
  EXPECT_EQ(r["second"], 40);
  EXPECT_NEAR(r["latitude"].get<double>(), 44 + 4.1306 / 60, 1e-5);  // 44.068843
  EXPECT_EQ(r["latitude_hemisphere"], "N");
  EXPECT_NEAR(r["longitude"].get<double>(), 121 + 18.8515 / 60, 1e-4);  // 121.314192
  EXPECT_EQ(r["longitude_hemisphere"], "W");
  EXPECT_EQ(r["heading"], 225);
  EXPECT_EQ(r["speed"], 0);     // 0.03 knots: integer part 0
  EXPECT_EQ(r["fix_mode"], 2);  // 'A' with 10 satellites used

  const auto brief = Lines(Brief(ReadFile(kCaptures / "mt3339.log")));
  ASSERT_FALSE(brief.empty());
  EXPECT_EQ(brief[0],
            // The sentence's own digits (4404.1306 N, 12118.8515 W); DGPS (quality 2) in 3D is 3D+;
            // the 83-character GGA gives the height; 225.97 rounds to 226; no GSV: in view "-".
            "2015-04-13 20:26:40 UTC  3D+  44.068843 N  121.314192 W  alt 1127.7 m  0 km/h  "
            "hdg 226  sats 10/-");
}

TEST(DecodeRealCaptures, LfOnlySentencesAreDroppedEachAtItsOwnLf) {
  // Without CR no sentence reaches its decoder; each is dropped at its LF, which ends its line.
  const auto lines =
      Lines(Decode(ReadFile(kCaptures / "hemi.log"), DecodeStream::Format::Json, 64));
  ASSERT_GT(lines.size(), 100u);
  for (const std::string& text : lines) {
    const json line = json::parse(text);
    EXPECT_EQ(line["parser"], "nmea");
    EXPECT_EQ(line["result"], 0);
    EXPECT_EQ(line["record"]["updated"], 0);
    EXPECT_EQ(EchoBytes(line).find('\n'), std::string::npos) << EchoBytes(line);
  }
}

TEST(DecodeMixedStream, BinaryFramesAndSentencesInOneStream) {
  std::vector<uint8_t> fix(37, 0);
  fix[6] = 0x12;   // day 12
  fix[7] = 0x07;   // month 7
  fix[8] = 0x08;   // year 08
  fix[9] = 0x20;   // century 20
  fix[10] = 0x05;  // second
  fix[11] = 0x04;  // minute
  fix[12] = 0x03;  // hour
  const float latitude = -33.5f, longitude = 151.25f;
  std::memcpy(&fix[14], &latitude, 4);
  std::memcpy(&fix[18], &longitude, 4);
  fix[26] = 100;  // speed raw 100 -> 36 km/h
  fix[29] = 2;    // 3D
  uint8_t frame[kMaxFrameSize];
  const size_t n = BuildFrame(kClassReply, 0xD0, fix, frame);
  const std::string fixFrame(reinterpret_cast<const char*>(frame), n);
  const std::string gga =
      "$GPGGA,123519.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*59\r\n";

  const std::string stream = gga + fixFrame + "\x25\x25\x06\x09\x0F\r\n";
  const auto lines = Lines(Decode(stream, DecodeStream::Format::Json));
  ASSERT_EQ(lines.size(), 3u);
  const json nmea = json::parse(lines[0]), binary = json::parse(lines[1]),
             ack = json::parse(lines[2]);
  EXPECT_EQ(nmea["parser"], "nmea");
  EXPECT_EQ(binary["parser"], "binary");
  EXPECT_EQ(binary["result"], 1);
  EXPECT_EQ(EchoBytes(binary), fixFrame.substr(0, fixFrame.find('\0')));
  EXPECT_EQ(binary["record"]["latitude"].get<float>(), 33.5f);
  EXPECT_EQ(binary["record"]["latitude_hemisphere"], "S");
  EXPECT_EQ(binary["record"]["speed"], 36);
  EXPECT_EQ(binary["record"]["year"], 2008);
  EXPECT_EQ(EchoBytes(ack), "%%\x06\x09\x0F");

  const auto brief = Lines(Brief(stream));
  ASSERT_EQ(brief.size(), 2u);  // the GGA and the fix frame; the ACK carries no position
  EXPECT_EQ(brief[1],
            "2008-07-12 03:04:05 UTC  3D  33.500000 S  151.250000 E  alt 0.0 m  36 km/h  hdg 0  "
            "sats 0/-");
}

struct GoldenCase {
  const char* capture;
  int runBytes;
  const char* golden;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.capture << " -> " << c.golden; }

// Where two lines part, with a little of each around that place.
std::string Difference(const std::string& actual, const std::string& expected) {
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const size_t from = at > 40 ? at - 40 : 0;
  return "at column " + std::to_string(at + 1) + "\n  actual:   ..." + actual.substr(from, 100) +
         "\n  expected: ..." + expected.substr(from, 100);
}

class DecodeGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(DecodeGolden, TranscriptMatchesLineByLine) {
  const GoldenCase& c = GetParam();
  const auto actual =
      Lines(Decode(ReadFile(kCaptures / c.capture), DecodeStream::Format::Json, c.runBytes));
  const auto expected = Lines(ReadFile(kGolden / c.golden));
  ASSERT_FALSE(expected.empty()) << "missing golden file " << c.golden;
  for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
    ASSERT_TRUE(actual[i] == expected[i])
        << "line " << i + 1 << " differs " << Difference(actual[i], expected[i]);
  }
  EXPECT_EQ(actual.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Captures, DecodeGolden,
                         ::testing::Values(GoldenCase{"geos-1m.log", 1024, "geos-1m.jsonl"},
                                           GoldenCase{"gp-320fw-2019-04-07-coldboot.log", 1024,
                                                      "gp-320fw-2019-04-07-coldboot.jsonl"},
                                           GoldenCase{"hemi.log", 64, "hemi.run-bytes-64.jsonl"}),
                         [](const auto& info) {
                           std::string name = info.param.golden;
                           name = name.substr(0, name.find('.'));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name + "_" + std::to_string(info.index);
                         });

}  // namespace
}  // namespace vetra
