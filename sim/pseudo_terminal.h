#pragma once
// The virtual receiver's end of the serial line: a pseudo-terminal pair. The host opens the slave
// device (/dev/pts/N, or a stable symlink to it) like any serial port; the receiver reads and
// writes the master.
//
// The receiver keeps a descriptor of the slave open itself, so that the master never sees a
// hang-up when the host closes the port and opens it again, and so that it can read the line
// settings the host chose (tcgetattr on the slave gives the host's rate) and how much the host
// has not read yet (FIONREAD on the slave).

#include <string>

namespace vetra::sim {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Opens the pair; the slave starts raw at the given rate. False with error() on failure.
  bool Open(int baud);
  // Makes path a symlink to the slave (replacing an older symlink, never another kind of file).
  bool MakeLink(const std::string& path);
  // Closes both ends (the host sees the line drop) and removes the symlink.
  void Close();

  bool isOpen() const { return master_ >= 0; }
  int masterFd() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }
  const std::string& error() const { return error_; }

  // The rate the host's end is set to (its output speed), 0 when unknown.
  int hostBaud() const;
  // Bytes written by the receiver that the host has not read yet.
  int hostQueued() const;

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string linkPath_;
  std::string error_;
};

// termios speed constants and bits per second; 0 for a rate the table does not hold.
int BaudOfSpeed(unsigned speed);
unsigned SpeedOfBaud(int baud);

}  // namespace vetra::sim
