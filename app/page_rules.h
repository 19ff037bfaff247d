#pragma once
// The rules that tie the tabs of the main window (pgCoder) to the life of the current port, the
// receiver conversation's monitoring and the loader task. The window implements IPageHost and calls
// ChangePage (or BeforeChanging and Changed) when the user picks a tab; the rules decide the rest.
//
//   leaving Setup     create and open the port (port index, baud of the baud index, 8 data bits,
//                     one stop bit, no parity or even in host mode, 4096-byte queues); refused with
//                     "Wrong com!" / "Open com port" when it does not open; caption
//                     "C%d-VetraViewer" or "C%d-<title>"
//   leaving View      the compact layout, btLarge and btSmall hidden
//   leaving Upgrade   loader back to idle
//   entering          status message cleared; Upgrade: chip controls, port to 115200;
//                     View/Trace: port to the chosen rate, monitoring on, measurement grid sized;
//                     Setup: port closed and gone, caption empty, lbAutoScan cleared;
//                     View: btLarge shown, compact view, the compact layout; other tabs the
//                     pages' layout
//
// The rules name a layout, never a size: what a layout measures on the screen is the window's
// business (ui/window_placement.h).
//
// One rule is stricter than "monitoring off when View is left": the monitoring is switched off at
// the start of EVERY tab change, and SetMonitoringActive(false) returns only once the
// conversation's pass no longer uses the port. It is switched on again only when View or Trace is
// entered. So the conversation never reads while the port is reset for another tab, replaced or
// deleted; and the loader gets the port lent by the conversation, which leaves it alone meanwhile.

#include <string>

#include "util/messages.h"

namespace vetra {

enum class Page { Setup, View, Upgrade, Config, Trace };

// The window's layouts: the compact View (the instrument column alone), the expanded View (with
// the command area, the satellite table and the echo beside it; chosen by the user, never by a
// tab change) and the other pages.
enum class PageLayout { Compact, Expanded, Pages };

inline constexpr char kWrongComPortText[] = "Wrong com!";
inline constexpr char kOpenComPortTitle[] = "Open com port";
inline constexpr char kApplicationTitle[] = "Vetra Viewer";

// "Wrong com!", then, after an empty line, what went wrong where (app/receiver_port.h's
// PortOpenProblem): "Wrong com!\n\nCOM3 (/dev/ttyUSB0): Permission denied. ...".
std::string WrongComMessage(const std::string& problem);

// The window's side. Every call is made on the window thread.
class IPageHost {
 public:
  virtual ~IPageHost() = default;

  // Creates the current port with these settings (8 data bits, one stop bit, no parity; even in
  // host mode; 4096-byte queues), opens it and hands it to the receiver conversation, which lends
  // it to the loader. On failure there is no port afterwards, problem says what went wrong where,
  // and false is returned; no message (the rules show it).
  virtual bool OpenPort(int portIndex, int baudRate, bool hostMode, std::string& problem) = 0;
  // Takes the port from the conversation, closes and deletes it; there is none afterwards.
  virtual void DiscardPort() = 0;
  // Reset(baudRate, 8, 0, 0) on the current port (even parity in host mode comes from the port).
  virtual void ResetPort(int baudRate) = 0;

  // false returns only when the conversation's pass no longer uses the port.
  virtual void SetMonitoringActive(bool active) = 0;
  // Returns when the loader task is idle and no longer uses the port.
  virtual void SetLoaderIdle() = 0;
  virtual void LeaveExpandedView() = 0;  // the View page's expanded view off

  virtual void SetCaption(const std::string& windowCaption,
                          const std::string& applicationTitle) = 0;
  virtual void SetLayout(PageLayout layout) = 0;
  virtual void ShowExpandButtons(bool showLarge, bool showSmall) = 0;  // btLarge, btSmall
  virtual void ClearStatusMessage() = 0;                               // last panel of sbStatus
  virtual void ClearAutoScanStatus() = 0;                              // lbAutoScan
  // sgMeas: a heading row and one row per channel, its first column numbered 1..rows-1.
  virtual void SizeMeasurementGrid(int rows) = 0;
  // Upgrade tab: the "PMON K700" and "PMON K900" check boxes enabled or not, and leLoadAddr.
  virtual void SetUpgradeChipControls(bool pmonK700Enabled, bool pmonK900Enabled,
                                      const std::string& loadAddress) = 0;

  virtual bool SecondChipSelected() const = 0;  // rgChip index 1
  virtual std::string TitleText() const = 0;    // lbTitle on the Setup tab
};

// "C%d-VetraViewer" with the port number (index + 1) when the title is empty, else "C%d-%s".
std::string PortCaption(int portIndex, const std::string& title);

class PageRules {
 public:
  PageRules(IPageHost& host, IMessages& messages) : host_(host), messages_(messages) {}

  // The Setup tab's choices (cbPort, cbFWbaud, the Host setting).
  void SetPortIndex(int index) { portIndex_ = index; }
  void SetBaudIndex(int index) { baudIndex_ = index; }
  void SetHostMode(bool host) { hostMode_ = host; }
  int portIndex() const { return portIndex_; }
  int baudIndex() const { return baudIndex_; }

  Page current() const { return current_; }
  bool portOpen() const { return portOpen_; }
  bool monitoringActive() const { return monitoringActive_; }

  // The current tab is being left for `to`. False refuses the change.
  bool BeforeChanging(Page to);
  // pgCoderChange: `to` has become the active tab.
  void Changed(Page to);
  // Both in turn; false when the change was refused and the current tab stays.
  bool ChangePage(Page to);

 private:
  void SetMonitoring(bool active);

  IPageHost& host_;
  IMessages& messages_;
  Page current_ = Page::Setup;
  int portIndex_ = 0;
  int baudIndex_ = 1;
  bool hostMode_ = false;
  bool portOpen_ = false;
  bool monitoringActive_ = false;
};

}  // namespace vetra
