#pragma once

namespace vetra {

// The chip chosen on the Setup page (rgChip): item 0 "TQ-K700", item 1 "TQ-K900".
enum class Chip { K700 = 0, K900 = 1 };

}  // namespace vetra
