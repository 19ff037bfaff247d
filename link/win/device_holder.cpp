#include "link/device_holder.h"

namespace vetra {

std::string DeviceHolder(const std::string&, const std::string&) { return {}; }

}  // namespace vetra
