#include "util/thread_name.h"

#include <pthread.h>

namespace vetra {

void NameThisThread(const char* name) {
#if defined(__linux__)
  pthread_setname_np(pthread_self(), name);
#elif defined(__APPLE__)
  pthread_setname_np(name);
#else
  (void)name;
#endif
}

}  // namespace vetra
