#pragma once
// The Statistics window's CSV export, complete however long the run: every fix is written as it
// arrives to an unnamed temporary file (the sample's values, one fixed-size record each, so
// nothing is rounded before the export), and Export writes the CSV of all of them
// (position_statistics.h's columns) with the offsets from the reference of that moment, through
// the program's whole-file writer. The window keeps only bounded figures and plots in memory.
//
// The temporary file is made at the first fix and goes away with the spool (or the process).

#include <cstdint>
#include <cstdio>
#include <string>

#include "decode/geodesy.h"
#include "statistics/fix_sample.h"

namespace vetra {

class CsvSpool {
 public:
  CsvSpool() = default;
  ~CsvSpool();
  CsvSpool(const CsvSpool&) = delete;
  CsvSpool& operator=(const CsvSpool&) = delete;

  void Add(const FixSample& fix);
  void Clear();  // forgets every row
  uint64_t rows() const { return rows_; }
  // The temporary file could not be made or written (a full disk): the rows from then on are
  // lost, and Export says so.
  bool failed() const { return !failure_.empty(); }

  // Writes the CSV to path; false when the temporary file failed (error: why) or the target
  // cannot be written (error empty); the target is then unchanged.
  bool Export(const std::string& path, const GeodeticDeg& reference, std::string& error);

 private:
  std::FILE* file_ = nullptr;
  uint64_t rows_ = 0;
  std::string failure_;
};

}  // namespace vetra
