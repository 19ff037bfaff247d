#include "commands/command_tree.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "commands/catalogue.h"

namespace vetra {
namespace {

std::vector<int> Listed(int accessLevel) {
  const CommandTree tree = BuildCommandTree(accessLevel);
  return {tree.nodeMap.begin(), tree.nodeMap.begin() + tree.nodeCount};
}

std::vector<int> Range(int from, int to) {
  std::vector<int> v(static_cast<size_t>(to - from + 1));
  std::iota(v.begin(), v.end(), from);
  return v;
}

TEST(CommandTree, ListsTheCommandsOfEachAccessLevelInCatalogueOrder) {
  const std::vector<int> host{1, 2, 5, 8, 23, 24};
  const std::vector<int> level0{1, 2, 3, 4, 5, 8, 23, 24, 25};
  const std::vector<int> level1{1, 2, 3, 4, 5, 8, 23, 24, 25, 26};
  const std::vector<int> level5{1,  2,  3,  4,  5,  7,  8,  13, 14, 15,
                                16, 17, 18, 19, 20, 23, 24, 25, 26};
  const std::vector<int> level6{1,  2,  3,  4,  5,  7,  8,  13, 14, 15, 16, 17,
                                18, 19, 20, 22, 23, 24, 25, 26, 27, 28, 29, 30};
  EXPECT_EQ(Listed(-1), host);
  EXPECT_EQ(Listed(0), level0);
  EXPECT_EQ(Listed(1), level1);
  EXPECT_EQ(Listed(5), level5);
  EXPECT_EQ(Listed(6), level6);
  EXPECT_EQ(Listed(8), level6);
  EXPECT_EQ(Listed(16), Range(1, 34));
}

TEST(CommandTree, LevelZeroShowsTheseTextsAndItsSixthNodeIsFactoryDefault) {
  const CommandTree tree = BuildCommandTree(0);
  std::vector<std::string> texts;
  for (int k = 0; k < tree.nodeCount; ++k) texts.emplace_back(tree.nodeText(k));
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Restart(01h)", "Configure IO (02h)", "Set Datum (03h)",
                                      "Configure NMEA (04h)", "Query Firmware Revision (05h)",
                                      "Set Factory Default (08h)", "Query Navigation Setting (17h)",
                                      "Query System Setting (18h)", "Set Locale (19h)"}));
  CommandTreeState state;
  Panels panels;
  const auto selection = SelectCommand(state, tree, 5, panels, 1, 0);
  ASSERT_TRUE(selection);
  EXPECT_EQ(selection->command, 8);
  EXPECT_EQ(selection->show, PanelId::pnNothing);
  EXPECT_EQ(selection->caption, "Set Factory Default (08h)");
}

TEST(CommandTree, AtLevel16NodeKSelectsCommandKPlusOne) {
  const CommandTree tree = BuildCommandTree(16);
  ASSERT_EQ(tree.nodeCount, 34);
  CommandTreeState state;
  Panels panels;
  for (int k = 0; k < 34; ++k) {
    EXPECT_EQ(SelectCommand(state, tree, k, panels, 1, 0)->command, k + 1);
  }
}

TEST(CommandTree, CatalogueTextsIdsAndPanelsAreExact) {
  // A few entries whose texts deliberately lack a space before the bracket.
  EXPECT_EQ(CatalogueEntryOf(1).treeText, "Restart(01h)");
  EXPECT_EQ(CatalogueEntryOf(33).treeText, "Block Sats(E1h)");
  EXPECT_EQ(CatalogueEntryOf(34).treeText, "Usr Command 1(E2h)");
  EXPECT_EQ(CatalogueEntryOf(34).frameClass, 0xF3);
  EXPECT_EQ(CatalogueEntryOf(26).id, 0x1B);
  EXPECT_EQ(CatalogueEntryOf(26).panel, PanelId::pnSetDatum);
  EXPECT_EQ(CatalogueEntryOf(14).panel, PanelId::pnID);
  EXPECT_EQ(CatalogueEntryOf(21).encode, nullptr);
  EXPECT_EQ(CatalogueEntryOf(0).panel, PanelId::pnNothing);
  for (int n = 1; n <= kCommandCount; ++n) EXPECT_NE(CatalogueEntryOf(n).id, 0x1A);
}

TEST(CommandTree, SelectionHidesThePreviousPanel) {
  const CommandTree tree = BuildCommandTree(16);
  CommandTreeState state;
  Panels panels;
  auto first = SelectCommand(state, tree, 4, panels, 1, 0);  // Query Firmware Revision
  EXPECT_FALSE(first->hide);
  EXPECT_EQ(first->show, PanelId::pnRevision);
  auto second = SelectCommand(state, tree, 20, panels, 1, 0);  // Adjust Week Number
  EXPECT_EQ(second->hide, PanelId::pnRevision);
  EXPECT_EQ(second->show, PanelId::pnNothing);
  EXPECT_EQ(state.current, kCmdAdjustWeek);
  EXPECT_FALSE(SelectCommand(state, tree, 34, panels, 1, 0));  // no such node
  EXPECT_EQ(state.current, kCmdAdjustWeek);
}

TEST(CommandTree, SetDatumAndExtendedDatumShareThePanelWithTheirOwnFields) {
  const CommandTree tree = BuildCommandTree(16);
  CommandTreeState state;
  Panels panels;
  auto extended = SelectCommand(state, tree, 25, panels, 1, 0);
  EXPECT_EQ(extended->show, PanelId::pnSetDatum);
  EXPECT_FALSE(extended->showEllipsoidIndex);
  EXPECT_TRUE(extended->showEllipsoidShape);
  auto plain = SelectCommand(state, tree, 2, panels, 1, 0);
  EXPECT_EQ(plain->show, PanelId::pnSetDatum);
  EXPECT_TRUE(plain->showEllipsoidIndex);
  EXPECT_FALSE(plain->showEllipsoidShape);
}

TEST(CommandTree, ReadTracePreselectsTheSetupPagesBaudRate) {
  const CommandTree tree = BuildCommandTree(16);
  Panels panels;
  for (int fwBaud = 0; fwBaud < 7; ++fwBaud) {
    CommandTreeState state;
    auto selection = SelectCommand(state, tree, kCmdTraceRead - 1, panels, fwBaud, 0);
    if (fwBaud == 0) {
      EXPECT_FALSE(selection->traceBaudPosition);  // 2400 has no counterpart
    } else {
      EXPECT_EQ(selection->traceBaudPosition, fwBaud - 1);
    }
  }
}

TEST(CommandTree, FirstPlacementOfRestartFillsDateAndTimeOnlyOnce) {
  const CommandTree tree = BuildCommandTree(5);
  CommandTreeState state;
  Panels panels;
  SelectCommand(state, tree, 0, panels, 1, 1'700'000'000);  // 2023-11-14 22:13:20 UTC
  EXPECT_EQ(panels.pnRestart.RSTyear, "2023");
  EXPECT_EQ(panels.pnRestart.RSTminute, "13");
  EXPECT_EQ(panels.pnRestart.RSTLat, "4913");  // position untouched
  SelectCommand(state, tree, 1, panels, 1, 1'800'000'000);
  SelectCommand(state, tree, 0, panels, 1, 1'800'000'000);
  EXPECT_EQ(panels.pnRestart.RSTyear, "2023");
}

TEST(CommandTree, FindsCommandsByNumberIdOrText) {
  EXPECT_EQ(FindCommand("5"), 5);
  EXPECT_EQ(FindCommand("05h"), 5);
  EXPECT_EQ(FindCommand("05H"), 5);
  EXPECT_EQ(FindCommand("e1h"), 33);
  EXPECT_EQ(FindCommand("1Bh"), 26);
  EXPECT_EQ(FindCommand("Set Locale (19h)"), 25);
  EXPECT_EQ(FindCommand("set locale (19h)"), 25);
  EXPECT_EQ(FindCommand("34"), 34);
  EXPECT_FALSE(FindCommand("35"));
  EXPECT_FALSE(FindCommand("0"));
  EXPECT_FALSE(FindCommand("1Ah"));
  EXPECT_FALSE(FindCommand("Restart"));
  EXPECT_FALSE(FindCommand(""));
}

}  // namespace
}  // namespace vetra
