// The capture file: each write is in the file when it returns, and failures carry the reason.
#include "link/file_sink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_path.h"

namespace vetra {
namespace {

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FileSink, EveryWriteIsInTheFileBeforeItIsClosed) {
  const auto path = test::UniqueTempPath("vetra-sink");
  std::string error;
  auto sink = FileSink::Open(path.string(), error);
  ASSERT_NE(sink, nullptr) << error;
  const std::string bytes("\x00\x0D\x0A\xFF$GP", 7);  // binary: no line ending is translated
  ASSERT_TRUE(sink->Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  EXPECT_EQ(Contents(path), bytes);
  EXPECT_TRUE(sink->Close());
  sink.reset();
  std::filesystem::remove(path);
}

TEST(FileSink, AFileThatCannotBeOpenedSaysWhy) {
  const auto path = test::UniqueTempPath("vetra-sink") / "missing" / "log.bin";
  std::string error;
  EXPECT_EQ(FileSink::Open(path.string(), error), nullptr);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vetra
