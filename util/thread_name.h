#pragma once
// Names the calling thread for debuggers ("SATView", "FWLoad"), where the system offers thread
// names; elsewhere nothing happens. The platform layer: util/posix/thread_name.cpp,
// util/win/thread_name.cpp.

namespace vetra {

void NameThisThread(const char* name);

}  // namespace vetra
