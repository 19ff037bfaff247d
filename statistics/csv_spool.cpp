#include "statistics/csv_spool.h"

#include <cerrno>
#include <cstring>
#include <type_traits>
#include <vector>

#include "statistics/position_statistics.h"
#include "util/whole_file.h"

namespace vetra {

static_assert(std::is_trivially_copyable_v<FixSample>, "spooled as raw records");

namespace {
constexpr size_t kRecordsPerRead = 4096;
}  // namespace

CsvSpool::~CsvSpool() {
  if (file_ != nullptr) std::fclose(file_);
}

void CsvSpool::Add(const FixSample& fix) {
  if (failed()) return;
  if (file_ == nullptr) {
    file_ = std::tmpfile();
    if (file_ == nullptr) {
      failure_ = std::string("cannot make a temporary file: ") + std::strerror(errno);
      return;
    }
  }
  if (std::fwrite(&fix, sizeof fix, 1, file_) != 1) {
    failure_ = std::string("writing the temporary file failed: ") + std::strerror(errno);
    return;
  }
  ++rows_;
}

void CsvSpool::Clear() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  rows_ = 0;
  failure_.clear();
}

bool CsvSpool::Export(const std::string& path, const GeodeticDeg& reference, std::string& error) {
  if (failed()) {
    error = failure_ + "; the export would lack rows";
    return false;
  }
  // Rows go out a block at a time, so the export takes no more memory than the run did.
  WholeFileWriter out(path);
  std::string csv = kStatisticsCsvHeader;
  if (file_ != nullptr && out.ok()) {
    if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
      error = std::string("reading the temporary file failed: ") + std::strerror(errno);
      return false;
    }
    std::vector<FixSample> records(kRecordsPerRead);
    uint64_t read = 0;
    size_t got;
    while (read < rows_ &&
           (got = std::fread(records.data(), sizeof(FixSample), records.size(), file_)) > 0) {
      for (size_t i = 0; i < got && read < rows_; ++i, ++read) {
        AppendCsvRow(csv, records[i], reference);
      }
      out.Write(csv);
      csv.clear();
    }
    // Appending goes on at the end.
    const bool complete = read == rows_;
    if (std::fseek(file_, 0, SEEK_END) != 0 || !complete) {
      error = "reading the temporary file failed";
      return false;
    }
  }
  out.Write(csv);
  if (!out.Commit()) {
    error = out.error();
    return false;
  }
  return true;
}

}  // namespace vetra
