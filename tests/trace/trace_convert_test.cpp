#include "trace/trace_convert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "trace_test_helpers.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

class TraceConvert : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vetra-trace-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void WriteInput(const std::vector<uint8_t>& bytes) {
    std::ofstream(in(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  std::string ReadOutput() {
    std::ifstream f(out(), std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  std::string in() const { return (dir_ / kTraceCaptureFile).string(); }
  std::string out() const { return (dir_ / kTraceTextFile).string(); }

  fs::path dir_;
};

TEST_F(TraceConvert, RecordAcrossBlockBoundaryIsConverted) {
  std::vector<uint8_t> input(1010, 'x');  // the record starts 14 bytes before the first block ends
  const auto frame = test::TraceFrame(test::SampleRecord(18000, 1, 2, 3));
  input.insert(input.end(), frame.begin(), frame.end());
  WriteInput(input);

  int64_t total = -1, last = 0;
  int blocks = 0;
  const auto result = ConvertTraceFile(
      in(), out(), TraceFormat::Ecef,
      {[&](int64_t t) { total = t; }, [&] { ++blocks; }, [&](int64_t done) { last = done; }});
  EXPECT_EQ(result.status, TraceConvertStatus::Ok);
  EXPECT_EQ(result.records, 1u);
  EXPECT_EQ(ReadOutput(), "2009/1/1, 10:0:0, 1, 2, 3, 5, 1, 1, -3\n");
  EXPECT_EQ(total, static_cast<int64_t>(input.size()));
  EXPECT_EQ(last, total);
  EXPECT_EQ(blocks, 3);  // two blocks and the empty read that ends the loop
}

TEST_F(TraceConvert, EmptyCaptureGivesEmptyText) {
  WriteInput({});
  EXPECT_EQ(ConvertTraceFile(in(), out(), TraceFormat::Geodetic).status, TraceConvertStatus::Ok);
  EXPECT_TRUE(fs::exists(out()));
  EXPECT_EQ(ReadOutput(), "");
}

TEST_F(TraceConvert, MissingCaptureChangesNothing) {
  std::ofstream(out()) << "keep me";
  EXPECT_EQ(ConvertTraceFile(in(), out(), TraceFormat::Ecef).status,
            TraceConvertStatus::InputMissing);
  EXPECT_EQ(ReadOutput(), "keep me");
}

// An output that is the capture itself, by whatever path, is refused before anything is written;
// a read error is an error, not the end of the capture; either way an earlier output stays.
TEST_F(TraceConvert, OutputThatIsTheInputOrAFolderAsInputLeavesEveryFileAsItWas) {
  const std::vector<uint8_t> frame = test::TraceFrame(test::SampleRecord(18000, 1, 2, 3));
  WriteInput(frame);
  for (const std::string& same : {in(), (dir_ / "." / kTraceCaptureFile).string()}) {
    EXPECT_EQ(ConvertTraceFile(in(), same, TraceFormat::Ecef).status, TraceConvertStatus::SameFile);
    std::ifstream f(in(), std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {}), frame) << same;
  }
  // A folder (or a device) is no capture: refused by name before anything is read or written.
  std::ofstream(out()) << "keep me";
  fs::create_directory(dir_ / "folder");
  const auto result = ConvertTraceFile((dir_ / "folder").string(), out(), TraceFormat::Ecef);
  EXPECT_EQ(result.status, TraceConvertStatus::InputMissing);
  EXPECT_NE(result.error.find("is a directory, not a file to read"), std::string::npos);
  EXPECT_EQ(ReadOutput(), "keep me");
  for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << "left behind";
  }
}

TEST_F(TraceConvert, UnwritableOutputIsReported) {
  WriteInput({});
  EXPECT_EQ(
      ConvertTraceFile(in(), (dir_ / "no" / "such" / "file").string(), TraceFormat::Ecef).status,
      TraceConvertStatus::OutputFailed);
}

}  // namespace
}  // namespace vetra
