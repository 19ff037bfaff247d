#pragma once
// The desktop program's own fixed texts and small tables (captions, titles), in one place so that
// the screens and the GUI tests read the same strings.

#include "app/port_names.h"
#include "vetra_version.h"

namespace vetra::ui {

inline constexpr int kPortCount = vetra::kPortCount;  // COM1..COM40 (COM256 on Windows)
inline constexpr const char* kBaudTexts[] = {"2400",  "4800",  "9600",  "19200",
                                             "38400", "57600", "115200"};

inline constexpr char kAboutTitle[] = "About";
// Six spaces, the name and version (the project's, one place), three line breaks, the credit lines.
inline constexpr char kAboutText[] = "      Vetra Viewer " VETRA_VERSION
                                     "\n\n\n"
                                     "Receiver evaluation, configuration and service tool.\n"
                                     "Built with Qt and the Vetra receiver core.";

inline constexpr char kLogCaption[] = "Log";
inline constexpr char kStopLogCaption[] = "Stop log";
inline constexpr char kLoggedPrefix[] = "Logged: ";
inline constexpr char kLogFilter[] = "Binary (*.bin)";
inline constexpr char kWrongFile[] = "Wrong file!";
inline constexpr char kErrorTitle[] = "Error";
// The log is mentioned only when one was open (its file then holds every byte received).
inline constexpr char kPortFailedText[] =
    "The receiver's port failed (the receiver may have been unplugged).\n"
    "Monitoring stopped and the port is closed.";
inline constexpr char kPortFailedLoggedText[] =
    "The receiver's port failed (the receiver may have been unplugged).\n"
    "Monitoring stopped and the port is closed; every byte received was logged.";

inline constexpr char kNoCommandCaption[] = "Please selelct a command";
// The last status panel when a command got no answer within kAnswerTimeoutMs; the tree text
// follows.
inline constexpr char kNoAnswerPrefix[] = "No answer from the receiver: ";
inline constexpr int kAnswerTimeoutMs = 3000;

// File > Exit and closing the window while a firmware load runs.
inline constexpr char kQuitDuringLoadText[] = "A firmware load is running. Stop it and quit?";
inline constexpr char kQuitDuringLoadTitle[] = "Exit";

}  // namespace vetra::ui
