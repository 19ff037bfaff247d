#include "firmware/upgrade_actions.h"
#include "util/open_file.h"

#include <filesystem>

namespace vetra {

ImageChoice ChooseImageFile(const std::string& path, FirmwareImage& image, ImageFileView& view,
                            std::string& imagePath, const UpgradeChoice& choice,
                            const MonitorImage& monitor, TLoadTask& task, IMessages& messages) {
  ImageChoice result;
  if (!ReadImageFile(path, image, view)) {
    messages.Show(kWrongFileText, kWrongFileTitle);
    return result;
  }
  result.read = true;
  view.filePath = path;
  view.lastFolder = FolderOf(path);
  imagePath = path;
  if (ReadyAfterImageRead(choice, monitor)) {
    task.SetStateQuiet(LoadState::Ready);
    result.standby = true;
  }
  return result;
}

bool LoadRunning(LoadState lastStateShown) { return LoadInDialogue(lastStateShown); }

std::string WriteQuestion(const GoRequest& request, int32_t imageSize) {
  const std::string name = Utf8Text(Utf8Path(request.imagePath).filename());
  const bool k900 = request.chip == Chip::K900;
  std::string text = "Write " + name + " into the receiver?\n\n";
  text += "Size: " + std::to_string(imageSize / kImageBlock) + " K bytes (" +
          std::to_string(imageSize) + " bytes)\n";
  text += std::string("Chip: ") + (k900 ? "TQ-K900" : "TQ-K700") + "\n";
  if (request.monitorMode) {
    text += std::string("Through the boot monitor (") + (k900 ? "mpdK900.srec" : "mpd.srec") +
            ") at 115200 baud";
  } else {
    text += "Through the running firmware at " + std::to_string(request.firmwareBaud) + " baud";
  }
  text += "\n\nThe receiver's flash is erased and rewritten.";
  return text;
}

GoResult GoClick(const GoRequest& request, FirmwareImage& image, ImageFileView& view,
                 TLoadTask& task, IPort* port, IClock& clock) {
  const LoadState shown = task.lastStateShown();
  // A stopped loader ("STOP!") starts anew; any other state past "Standby" is a load to stop,
  // whether or not its image file is still there.
  if (!LoadIdle(shown)) {
    task.SetActive(false);
    clock.sleepMs(100);
    return GoResult::Stopped;
  }
  if (!ReadImageFile(request.imagePath, image, view)) return GoResult::Nothing;
  if (request.confirm != nullptr &&
      !request.confirm->Ask(WriteQuestion(request, image.size()), kWriteQuestionTitle)) {
    return GoResult::Cancelled;
  }
  if (!request.monitorMode && port != nullptr) port->Reset(request.firmwareBaud, 8, 0, 0);
  clock.sleepMs(200);
  task.Start(request.monitorMode, request.loadAddress, request.firmwareBaud);
  clock.sleepMs(100);
  return GoResult::Started;
}

}  // namespace vetra
