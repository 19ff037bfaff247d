#include "link/thread_name.h"

#if defined(__linux__)
#include <pthread.h>
#endif

namespace vetra {

void NameThisThread(const char* name) {
#if defined(__linux__)
  // Linux keeps 15 characters and the terminating zero; longer names are refused.
  pthread_setname_np(pthread_self(), name);
#else
  (void)name;
#endif
}

}  // namespace vetra
