#include "commands/command_tree.h"

#include "commands/panel_rules.h"

namespace vetra {

CommandTree BuildCommandTree(int accessLevel) {
  CommandTree tree;
  for (int n = 1; n <= kCommandCount; ++n) {
    if (ListsCommand(accessLevel, CatalogueEntryOf(n).minLevel)) {
      tree.nodeMap[tree.nodeCount++] = static_cast<uint8_t>(n);
    }
  }
  return tree;
}

std::optional<CommandSelection> SelectCommand(CommandTreeState& state, const CommandTree& tree,
                                              int node, Panels& panels, int fwBaudIndex,
                                              int64_t utcSeconds) {
  if (node < 0 || node >= tree.nodeCount) return std::nullopt;
  CommandSelection selection;
  if (state.current != 0) selection.hide = CatalogueEntryOf(state.current).panel;
  state.current = tree.nodeMap[node];
  selection.command = state.current;
  selection.show = CatalogueEntryOf(state.current).panel;
  selection.caption = tree.nodeText(node);
  if (selection.show == PanelId::pnRestart && !state.restartPanelPlaced) {
    state.restartPanelPlaced = true;
    FillRestartDateTime(panels.pnRestart, utcSeconds);
  }
  if (state.current == kCmdSetDatum) selection.showEllipsoidIndex = true;
  if (state.current == kCmdExtDatum) selection.showEllipsoidShape = true;
  if (state.current == kCmdTraceRead && fwBaudIndex >= 1) {
    selection.traceBaudPosition = fwBaudIndex - 1;  // both lists name the same rate
  }
  return selection;
}

}  // namespace vetra
