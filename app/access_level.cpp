#include "app/access_level.h"

namespace vetra {

int AccessLevel(std::string_view host, std::string_view engineer) {
  if (host == "ON") return kHostAccessLevel;
  struct Word {
    std::string_view word;
    int level;
  };
  static constexpr Word kWords[] = {
      {"VQRN", 1}, {"KALD", 5}, {"MOSSBRIDGE", 6}, {"TALONCREW", 8}, {"BRAMBLEX", 16},
  };
  for (const Word& w : kWords) {
    if (engineer == w.word) return w.level;
  }
  return 0;
}

AccessControls ControlsForLevel(int accessLevel) {
  AccessControls controls;
  controls.showBigSnr = accessLevel >= 16;
  controls.hideRestartTimeFields = accessLevel < 16;
  controls.hideOutputFormat2 = accessLevel < 16;
  controls.sentenceWidth = accessLevel < 16 ? kNarrowSentenceWidth : 0;
  return controls;
}

}  // namespace vetra
