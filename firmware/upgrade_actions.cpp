#include "firmware/upgrade_actions.h"

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
    task.SetStateQuiet(kLoadReady);
    result.standby = true;
  }
  return result;
}

GoResult GoClick(const GoRequest& request, FirmwareImage& image, ImageFileView& view,
                 TLoadTask& task, IPort* port, IClock& clock) {
  if (!ReadImageFile(request.imagePath, image, view)) return GoResult::Nothing;
  const int shown = task.lastStateShown();
  // A stopped loader ("STOP!") starts anew; any other state past "Standby" is a load to stop.
  if (shown > kLoadReady && shown != kLoadStopped) {
    task.SetActive(false);
    clock.sleepMs(100);
    return GoResult::Stopped;
  }
  if (!request.monitorMode && port != nullptr) port->Reset(request.firmwareBaud, 8, 0, 0);
  clock.sleepMs(200);
  task.Start(request.monitorMode, request.loadAddress);
  clock.sleepMs(100);
  return GoResult::Started;
}

}  // namespace vetra
