#include "compare/live_comparison.h"

#include <cerrno>
#include <cstring>

#include "compare/compare_csv.h"
#include "util/whole_file.h"

namespace vetra {

LiveComparison::LiveComparison(const CompareOptions& options)
    : comparison_(std::make_unique<EpochComparison>(
          options, [this](const ComparedEpoch& row) { Keep(row); })) {}

LiveComparison::~LiveComparison() {
  if (spool_ != nullptr) std::fclose(spool_);
}

void LiveComparison::Keep(const ComparedEpoch& row) {
  if (row.matched()) points_.push_back({row.timeS, row.eastM, row.northM, row.upM});
  if (!spoolFailure_.empty()) return;
  if (spool_ == nullptr) spool_ = std::tmpfile();
  const std::string text = CompareCsvRow(row);
  if (spool_ == nullptr || std::fwrite(text.data(), 1, text.size(), spool_) != text.size()) {
    spoolFailure_ = std::strerror(errno);
    return;
  }
  ++rows_;
}

bool LiveComparison::Export(const std::string& path, std::string& error) const {
  if (!spoolFailure_.empty()) {
    error = "the rows could not be kept: " + spoolFailure_;
    return false;
  }
  std::string text = CompareCsvHeader();
  if (spool_ != nullptr) {
    std::fflush(spool_);
    std::rewind(spool_);
    char buffer[65536];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, spool_)) > 0) text.append(buffer, count);
    std::fseek(spool_, 0, SEEK_END);
  }
  return WriteFileWhole(path, text, &error);
}

}  // namespace vetra
