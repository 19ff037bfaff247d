#pragma once
// Two raw receive logs compared: the test's and the reference's epochs merged by time, each log
// read in pieces (epoch_file_reader.h), never loaded whole: the reference is read only as far as
// the waiting test epochs need it, so memory stays a small window whatever the logs' length.

#include <string>

#include "compare/epoch_comparison.h"
#include "epoch/epoch_stream.h"

namespace vetra {

struct CompareLogsResult {
  std::string error;  // "cannot read 'FILE': reason"; empty when both logs were read
  CompareFigures figures;
  EpochCounts testCounts, referenceCounts;  // for NoFixReason
};

CompareLogsResult CompareLogs(const std::string& testPath, const std::string& referencePath,
                              EpochComparison& comparison);

}  // namespace vetra
