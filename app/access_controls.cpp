#include "app/access_controls.h"

namespace vetra {

int AccessLevel(std::string_view host, std::string_view engineer) {
  if (host == "ON") return kHostLevel;
  struct Word {
    std::string_view word;
    int level;
  };
  static constexpr Word kWords[] = {
      {"VQRN", kDatumLevel},           {"KALD", kServiceLevel},      {"MOSSBRIDGE", kTraceLevel},
      {"TALONCREW", kProductionLevel}, {"BRAMBLEX", kEngineerLevel},
  };
  for (const Word& w : kWords) {
    if (engineer == w.word) return w.level;
  }
  return kUserLevel;
}

AccessControls ControlsForLevel(int accessLevel) {
  AccessControls controls;
  controls.showBigSnr = ShowsBigSnr(accessLevel);
  controls.hideRestartTimeFields = !ShowsRestartTimeFields(accessLevel);
  controls.hideOutputFormat2 = !ShowsSecondOutputFormat(accessLevel);
  controls.sentenceWidth = NarrowsSentenceField(accessLevel) ? kNarrowSentenceWidth : 0;
  return controls;
}

}  // namespace vetra
