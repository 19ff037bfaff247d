#pragma once
// The Upgrade page's two buttons as logic, for the desktop program and the terminal alike.
//
// "&File" (ChooseImageFile): reads the chosen image; a bad file gives "Wrong file!" / "Error".
// Write (GoClick): stops a load that runs (whatever became of its image file meanwhile), or reads
// the image file again so that the image sent is the file's current content, asks the user (in
// the window) and starts a new load (also after "STOP!").

#include <string>

#include "firmware/chip_selection.h"
#include "firmware/firmware_image.h"
#include "firmware/load_task.h"
#include "link/port.h"
#include "util/clock.h"
#include "util/messages.h"

namespace vetra {

inline constexpr const char* kWrongFileText = "Wrong file!";
inline constexpr const char* kWrongFileTitle = "Error";

// bbBrowseClick / Load1Click after the dialog returned path. True when the image was read: path
// becomes imagePath (the "FWPath" setting). When the readiness rule then allows a load, the loader
// is put into Ready quietly and `standby` is set: the page shows "Standby" and enables Write.
struct ImageChoice {
  bool read = false;
  bool standby = false;
};
ImageChoice ChooseImageFile(const std::string& path, FirmwareImage& image, ImageFileView& view,
                            std::string& imagePath, const UpgradeChoice& choice,
                            const MonitorImage& monitor, TLoadTask& task, IMessages& messages);

enum class GoResult {
  Nothing,    // the image file could not be read: no message, nothing else happens
  Stopped,    // a load ran (or was still showing its end): it is asked to stop
  Started,    // a load starts on the task's next pass
  Cancelled,  // the user did not confirm the load
};

struct GoRequest {
  std::string imagePath;
  bool monitorMode = false;  // a boot-monitor box is checked
  int firmwareBaud = 4800;   // cbFWbaud: the running firmware's rate
  uint32_t loadAddress = 0x20000000;
  Chip chip = Chip::K700;  // rgChip, for the question
  // The window asks before a load starts (Cancel is the default); nullptr: no question (the
  // terminal, which acts as its command line says).
  IMessages* confirm = nullptr;
};

inline constexpr const char* kWriteQuestionTitle = "Write firmware";
// "Write fw.bin into the receiver?" with the image's size, the chip and the way in.
std::string WriteQuestion(const GoRequest& request, int32_t imageSize);

// True while a load runs and has not reached its verdict: a dialogue with the receiver is under
// way; "Program OK!" and "STOP!" are verdicts.
bool LoadRunning(LoadState lastStateShown);

// The Write button. port may be null (no port: the load fails on its first write).
GoResult GoClick(const GoRequest& request, FirmwareImage& image, ImageFileView& view,
                 TLoadTask& task, IPort* port, IClock& clock);

}  // namespace vetra
