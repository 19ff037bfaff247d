#include "compare/compare_logs.h"

#include "compare/epoch_file_reader.h"

namespace vetra {

CompareLogsResult CompareLogs(const std::string& testPath, const std::string& referencePath,
                              EpochComparison& comparison) {
  CompareLogsResult result;
  EpochFileReader test, reference;
  if (!test.Open(testPath)) {
    result.error = "cannot read '" + testPath + "': " + test.error();
    return result;
  }
  if (!reference.Open(referencePath)) {
    result.error = "cannot read '" + referencePath + "': " + reference.error();
    return result;
  }
  Epoch epoch;
  bool testEnded = false, referenceEnded = false;
  // The reference's first epoch before the test's: its date can place a test log without dates.
  if (reference.Next(epoch)) {
    comparison.AddReference(epoch);
  } else {
    referenceEnded = true;
    comparison.FinishReference();
  }
  while (!testEnded || !referenceEnded) {
    const bool readReference = !referenceEnded && (testEnded || comparison.NeedsReference());
    if (readReference) {
      if (reference.Next(epoch)) {
        comparison.AddReference(epoch);
      } else {
        referenceEnded = true;
        comparison.FinishReference();
      }
    } else if (test.Next(epoch)) {
      comparison.AddTest(epoch);
    } else {
      testEnded = true;
      comparison.FinishTest();
    }
  }
  for (const auto* log : {&test, &reference}) {
    if (!log->error().empty() && result.error.empty()) {
      result.error =
          "error reading '" + (log == &test ? testPath : referencePath) + "': " + log->error();
    }
  }
  result.figures = comparison.Figures();
  result.testCounts = test.counts();
  result.referenceCounts = reference.counts();
  return result;
}

}  // namespace vetra
