#include "util/open_file.h"

namespace vetra {

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return OpenFile(Utf8Path(path), mode);
}

}  // namespace vetra
