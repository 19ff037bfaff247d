#pragma once
// Runs the built `vetra` (or another program, such as gpsd's clients) as a user would: its own
// process, stdin from /dev/null, stdout and stderr collected. Every wait has a deadline and waits
// on the pipes (poll), never by sleeping; a process still running at the end of a test is killed.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace vetra::testing {

#ifndef VETRA_CLI_PROGRAM
#error "VETRA_CLI_PROGRAM must name the built vetra program"
#endif

class CliProcess {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts `vetra args...`, in workDir when one is given.
  explicit CliProcess(const std::vector<std::string>& args, const std::string& workDir = "")
      : CliProcess(VETRA_CLI_PROGRAM, args, workDir) {}

  // Starts `program args...` (a path), in workDir when one is given, with its standard output
  // into stdoutPath (such as /dev/full) when one is given.
  CliProcess(const std::string& program, const std::vector<std::string>& args,
             const std::string& workDir, const std::string& stdoutPath = "") {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (stdoutPath.empty()) {
      posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, &attributes, pointers.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(out[1]);
    ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
  }

  ~CliProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) ::close(outFd_);
    if (errFd_ >= 0) ::close(errFd_);
  }
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  bool started() const { return pid_ > 0; }
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

  // Reads output until done(stdout, stderr) holds; false when the deadline came first or the
  // process closed its output without it.
  bool WaitForOutput(const std::function<bool(const std::string&, const std::string&)>& done,
                     std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!done(out_, err_)) {
      if (!ReadSome(deadline)) return done(out_, err_);
    }
    return true;
  }
  bool WaitForErr(const std::string& text, std::chrono::milliseconds timeout) {
    return WaitForOutput(
        [&](const std::string&, const std::string& err) { return err.find(text) != err.npos; },
        timeout);
  }
  bool WaitForOut(const std::string& text, std::chrono::milliseconds timeout) {
    return WaitForOutput(
        [&](const std::string& out, const std::string&) { return out.find(text) != out.npos; },
        timeout);
  }

  void Signal(int signal) {
    if (pid_ > 0) ::kill(pid_, signal);
  }

  // Reads the output to its end and returns the exit status; -1 when the process did not end by
  // the deadline (it is killed) or ended by a signal.
  int WaitForExit(std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (outFd_ >= 0 || errFd_ >= 0) {
      if (!ReadSome(deadline)) break;
    }
    if (pid_ <= 0) return -1;
    if (outFd_ >= 0 || errFd_ >= 0) {  // the deadline came first
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return -1;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid_, &status, 0, &usage);
    cpuSeconds_ = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The processor time the process used, once WaitForExit has seen it end.
  double cpuSeconds() const { return cpuSeconds_; }

 private:
  // One poll of both pipes; false when the deadline passed or both pipes are at their end.
  bool ReadSome(Clock::time_point deadline) {
    if (outFd_ < 0 && errFd_ < 0) return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(left));
    if (ready <= 0) return ready < 0 && errno == EINTR;
    Drain(fds[0], outFd_, out_);
    Drain(fds[1], errFd_, err_);
    return true;
  }
  static void Drain(const pollfd& fd, int& descriptor, std::string& into) {
    if (descriptor < 0 || fd.revents == 0) return;
    char buffer[4096];
    const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      ::close(descriptor);
      descriptor = -1;
    }
  }

  static double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  }

  pid_t pid_ = -1;
  double cpuSeconds_ = 0;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  std::string err_;
};

}  // namespace vetra::testing
