#pragma once
// The command tree of the View page and what selecting one of its nodes does. The window builds
// its tree view from CommandTree and applies each CommandSelection to its widgets.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "commands/catalogue.h"
#include "commands/panels.h"

namespace vetra {

struct CommandTree {
  // nodeMap[k]: catalogue number of node k (0-based, display order); nodes are top-level only.
  std::array<uint8_t, kCommandCount> nodeMap{};
  int nodeCount = 0;
  std::string_view nodeText(int node) const { return CatalogueEntryOf(nodeMap[node]).treeText; }
};

// InitCommandTree: every command whose minimum level is at most the access level, in catalogue
// order.
CommandTree BuildCommandTree(int accessLevel);

// The parameter area in the View page's coordinates.
struct PanelGeometry {
  int left, top, width, height;
};
inline constexpr PanelGeometry kParameterArea{470, 23, 224, 265};
inline constexpr const char* kNoCommandCaption = "Please selelct a command";  // lbCmd at start

struct CommandTreeState {
  int current = 0;  // the command whose panel is shown; 0: none
  bool restartPanelPlaced = false;
};

struct CommandSelection {
  int command = 0;
  std::optional<PanelId> hide;  // the panel shown so far, to be hidden
  PanelId show = PanelId::pnNothing;
  std::string_view caption;  // lbCmd, in the system highlight colour
  // pnSetDatum variants: Set Datum shows lbEdIdx, Set Extended Datum shows lbElpA and lbElpF.
  bool showEllipsoidIndex = false;
  bool showEllipsoidShape = false;
  // Read Trace: the rgTraceBaud position to choose (nullopt: make no choice).
  std::optional<int> traceBaudPosition;
};

// CmdTreeChange for node k. fwBaudIndex is the position of cbFWbaud ("2400" .. "115200") on the
// Setup page; utcSeconds the current time, written into the Restart panel's date and time boxes
// when that panel is placed for the first time (its resize event). nullopt for a node that does
// not exist (nothing changes).
std::optional<CommandSelection> SelectCommand(CommandTreeState& state, const CommandTree& tree,
                                              int node, Panels& panels, int fwBaudIndex,
                                              int64_t utcSeconds);

}  // namespace vetra
