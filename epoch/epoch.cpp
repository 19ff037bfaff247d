#include "epoch/epoch.h"

namespace vetra {

double Epoch::UtcSeconds() const { return 0; }
std::string Epoch::UtcText() const { return {}; }
const char* FixModeText(FixMode) { return ""; }
const char* FixQualityText(FixQuality) { return ""; }
int GpsdMode(FixMode) { return 0; }
int GpsdStatus(FixQuality) { return 0; }

}  // namespace vetra
