#pragma once
// The access level: fixed at start-up from "Host" and "Engineer", it decides which commands are
// listed and which controls are shown.

#include <string>
#include <string_view>

#include "model/access_level.h"

namespace vetra {

// Host mode first, then the Engineer word compared exactly (case included); anything else is 0.
//   Host = "ON" -> -1, "VQRN" -> 1, "KALD" -> 5, "MOSSBRIDGE" -> 6, "TALONCREW" -> 8,
//   "BRAMBLEX" -> 16, otherwise 0.
int AccessLevel(std::string_view host, std::string_view engineer);

// The window's controls the level shows and hides, applied once at start-up. (The command
// panels' own lists, Configure IO's baud choices and the Block Sats actions, follow the level
// through ApplyAccessLevel in commands/panel_rules.h.)
struct AccessControls {
  bool showBigSnr = false;             // lbBigSNR
  bool hideRestartTimeFields = false;  // RSTyear..RSTsecond, RSTLat, RSTLong, btSyncTime
  bool hideOutputFormat2 = false;      // rgOutputFormat2 and lbOutput2
  int sentenceWidth = 0;               // lbSentence narrowed to this many pixels; 0: as built
};
AccessControls ControlsForLevel(int accessLevel);

inline constexpr int kNarrowSentenceWidth = 281;

}  // namespace vetra
