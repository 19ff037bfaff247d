#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <system_error>

namespace vetra::cli {
namespace {

struct OutputState {
  std::mutex mutex;
  std::string speaker = "vetra";
  std::string reason;  // the first failure's; empty while all is well
  bool told = false;
};

OutputState& State() {
  static OutputState state;
  return state;
}

// Under the state's mutex: flushes the C++ stream and the C stream under it (std::cout writes
// into stdout's buffer) and keeps the first failure's reason. A write that failed before this call
// (std::cout, printf, fwrite) left its reason in errno, and the C library may have dropped the
// bytes it could not write, so that this flush succeeds: that earlier reason is the one told.
bool FlushLocked(OutputState& state) {
  if (!state.reason.empty()) return false;
  const int earlier = errno;
  const bool failedBefore = !std::cout || std::ferror(stdout) != 0;
  // std::cout's flush flushes stdout too: the first call that fails has the reason.
  errno = 0;
  std::cout.flush();
  int code = std::cout ? 0 : errno;
  errno = 0;
  if (std::fflush(stdout) != 0 && code == 0) code = errno;
  if (!failedBefore && std::cout && std::ferror(stdout) == 0) return true;
  if (code == 0 && failedBefore) code = earlier;
  state.reason = std::generic_category().message(code != 0 ? code : EIO);
  return false;
}

}  // namespace

void SetStandardOutputSpeaker(std::string speaker) {
  std::lock_guard lock(State().mutex);
  State().speaker = std::move(speaker);
}

bool WriteStandardOutput(std::string_view text) {
  OutputState& state = State();
  std::lock_guard lock(state.mutex);
  if (!state.reason.empty()) return false;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
    state.reason = std::generic_category().message(errno != 0 ? errno : EIO);
    return false;
  }
  return FlushLocked(state);
}

bool StandardOutputWorks() {
  std::lock_guard lock(State().mutex);
  return FlushLocked(State());
}

int StandardOutputFailed() {
  OutputState& state = State();
  std::lock_guard lock(state.mutex);
  FlushLocked(state);
  if (!state.told) {
    state.told = true;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", state.speaker.c_str(),
                 state.reason.empty() ? "write error" : state.reason.c_str());
  }
  return 1;
}

int FinishStandardOutput(int status) {
  return StandardOutputWorks() ? status : StandardOutputFailed();
}

}  // namespace vetra::cli
