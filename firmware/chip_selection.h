#pragma once
// The chip and boot-monitor choice of the Upgrade page: which boot-monitor box may be checked, what
// its caption says about the monitor file, the load address shown for each chip, when the Write
// button may be used, and the port rate each choice needs.
//
// At most one box is checked. A checked box loads its chip's monitor file ("mpd.srec" for K700,
// "mpdK900.srec" for K900) and the next load goes through that boot monitor at 115,200 baud;
// with neither box checked the load goes through the running firmware at the rate of the Setup
// page. The chip-dependent restart-mode and block-action lists belong to the command panels
// (commands/panel_rules.h, ApplyChip).

#include <string>
#include <string_view>

#include "firmware/firmware_image.h"
#include "firmware/load_states.h"
#include "model/chip.h"

namespace vetra {

inline constexpr int kMonitorBaud = 115'200;  // boot monitors and the loading phase

// "20000000" for K700, "21000000" for K900: the start frame takes its upper 16 bits.
std::string_view LoadAddressText(Chip chip);

enum class MonitorFileStatus { Unknown, Ready, NotReady };
// "PMON K700", "PMON K700(ready)", "PMON K700(not ready)" (and the same for K900).
std::string MonitorBoxCaption(Chip box, MonitorFileStatus status);

struct MonitorBox {
  bool checked = false;
  bool enabled = false;
  std::string caption;
  bool red = false;  // set by a failed monitor read; nothing sets it back
};

// The chip-dependent controls of the Upgrade page.
struct UpgradeChoice {
  MonitorBox k700{false, true, "PMON K700", false};
  MonitorBox k900{false, false, "PMON K900", false};
  std::string loadAddress = "20000000";  // leLoadAddr

  MonitorBox& box(Chip chip) { return chip == Chip::K900 ? k900 : k700; }
  const MonitorBox& box(Chip chip) const { return chip == Chip::K900 ? k900 : k700; }
  bool anyChecked() const { return k700.checked || k900.checked; }
};

// Entering the Upgrade page: only the chosen chip's box is enabled, the address is the chip's
// (whatever was typed there before). Returns the rate to reset the port to (115,200).
int EnterUpgradePage(UpgradeChoice& choice, Chip chip);

// What a click on a boot-monitor box asks of the rest of the page and of the loader.
struct BoxClickOutcome {
  bool setState = false;  // when true: loader state (quietly), lbState text and Write enabling
  LoadState loaderState = LoadState::NeedSetup;  // NeedSetup or Ready
  std::string_view stateText;                    // "setup" or "Standby"
  bool writeEnabled = false;
  int portBaud = 0;  // the port is reset to this rate, 8 data bits, no parity, 1 stop bit
};

// The box of `box` was clicked and is now `checked`. Checking loads the chip's monitor file into
// monitor and unchecks the other box; unchecking makes the running-firmware path the choice.
BoxClickOutcome MonitorBoxClicked(UpgradeChoice& choice, Chip box, bool checked,
                                  MonitorImage& monitor, const FirmwareImage& image,
                                  const std::string& startDirectory, int firmwareBaud);

// After an image was read through the "&File" button: ready for Write when a checked box has its
// monitor, or when no box is checked. Otherwise nothing changes.
bool ReadyAfterImageRead(const UpgradeChoice& choice, const MonitorImage& monitor);

}  // namespace vetra
