#include "firmware/chip_selection.h"

namespace vetra {

std::string_view LoadAddressText(Chip chip) { return chip == Chip::K900 ? "21000000" : "20000000"; }

std::string MonitorBoxCaption(Chip box, MonitorFileStatus status) {
  std::string caption = box == Chip::K900 ? "PMON K900" : "PMON K700";
  if (status == MonitorFileStatus::Ready) caption += "(ready)";
  if (status == MonitorFileStatus::NotReady) caption += "(not ready)";
  return caption;
}

int EnterUpgradePage(UpgradeChoice& choice, Chip chip) {
  choice.k700.enabled = chip == Chip::K700;
  choice.k900.enabled = chip == Chip::K900;
  choice.loadAddress = std::string(LoadAddressText(chip));
  return kMonitorBaud;
}

BoxClickOutcome MonitorBoxClicked(UpgradeChoice& choice, Chip box, bool checked,
                                  MonitorImage& monitor, const FirmwareImage& image,
                                  const std::string& startDirectory, int firmwareBaud) {
  const Chip other = box == Chip::K900 ? Chip::K700 : Chip::K900;
  MonitorBox& self = choice.box(box);
  self.checked = checked;
  BoxClickOutcome outcome;
  if (checked) {
    MonitorBox& otherBox = choice.box(other);
    otherBox.checked = false;
    otherBox.caption = MonitorBoxCaption(other, MonitorFileStatus::Unknown);
    const bool ready = ReadMonitorFile(box == Chip::K900, startDirectory, monitor);
    self.caption =
        MonitorBoxCaption(box, ready ? MonitorFileStatus::Ready : MonitorFileStatus::NotReady);
    if (!ready) self.red = true;
    outcome.setState = true;
    const bool loadable = image.size() > 0 && monitor.size() > 0;
    outcome.loaderState = loadable ? LoadState::Ready : LoadState::NeedSetup;
    outcome.stateText = loadable ? "Standby" : "setup";
    outcome.writeEnabled = loadable;
    outcome.portBaud = kMonitorBaud;
  } else {
    if (image.size() > 0) {
      outcome.setState = true;
      outcome.loaderState = LoadState::Ready;
      outcome.stateText = "Standby";
      outcome.writeEnabled = true;
    }
    outcome.portBaud = firmwareBaud;
  }
  return outcome;
}

bool ReadyAfterImageRead(const UpgradeChoice& choice, const MonitorImage& monitor) {
  return !choice.anyChecked() || monitor.ready();
}

}  // namespace vetra
