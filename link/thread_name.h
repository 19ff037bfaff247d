#pragma once
// Names the calling thread for debuggers ("SATView", "FWLoad"), where the platform offers thread
// names; elsewhere it does nothing.

namespace vetra {

void NameThisThread(const char* name);

}  // namespace vetra
