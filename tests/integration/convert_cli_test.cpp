// `vetra convert` as a user runs it: a GPX track validates against the GPX 1.1 schema (xmllint)
// whatever the capture holds, with a report of what was written and left out; a capture is never
// converted into itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cli_files.h"
#include "cli_process.h"
#include "trace/trace_test_helpers.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

#if !defined(VETRA_XMLLINT) || !defined(VETRA_GPX_SCHEMA)
#error "VETRA_XMLLINT and VETRA_GPX_SCHEMA must name xmllint and the GPX schema"
#endif

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

TEST(ConvertCli, GpxTrackValidatesAndTheReportCountsWhatWasLeftOut) {
  TempFolder folder;
  std::vector<uint8_t> capture;
  const auto add = [&](const TraceRecord& record, bool corrupt = false) {
    std::vector<uint8_t> frame = test::TraceFrame(record);
    if (corrupt) frame[frame.size() - 3] ^= 0xFF;
    capture.insert(capture.end(), frame.begin(), frame.end());
  };
  add(test::SampleRecord(18000));
  add(test::SampleRecord(18001, -6378137, 0, 0));  // on the 180th meridian
  add(test::SampleRecord(18002));
  TraceRecord month13 = test::SampleRecord(18003);
  month13.month = 13;
  add(month13);
  add(test::SampleRecord(18004, 0, 0, 0));  // the Earth's centre
  add(test::SampleRecord(18005), true);     // a wrong checksum
  const std::string in = folder / "tracelog.tmp";
  const std::string out = folder / "track.gpx";
  WriteBytes(in, capture);

  CliProcess convert({"convert", "--type", "gpx", in, out});
  ASSERT_EQ(convert.WaitForExit(30s), 0) << convert.err();
  EXPECT_EQ(convert.out(), "3 records written to " + out + "; 2 skipped, 1 rejected by checksum (" +
                               std::to_string(capture.size()) + " bytes read)\n");
  const std::string validate = std::string(VETRA_XMLLINT) + " --noout --schema '" +
                               VETRA_GPX_SCHEMA + "' '" + out + "' 2>&1";
  EXPECT_EQ(std::system(validate.c_str()), 0) << ReadText(out);

  // The capture converted into itself: refused, and the capture keeps every byte.
  CliProcess same({"convert", in, folder.path() + "/./tracelog.tmp"});
  EXPECT_EQ(same.WaitForExit(30s), 1);
  EXPECT_NE(same.err().find("is the capture"), std::string::npos) << same.err();
  EXPECT_EQ(ReadBytes(in), capture);
}

}  // namespace
}  // namespace vetra::testing
