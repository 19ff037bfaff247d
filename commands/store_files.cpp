#include "commands/store_files.h"

#include <cstdio>
#include <span>

#include "link/frame.h"

namespace vetra {
namespace {

template <size_t N>
StoreProgress CommonProgress(const SlotStore<N>& store, int& highestPrn) {
  StoreProgress progress;
  const int received = store.receivedCount();
  progress.maximum = store.expectedCount;
  progress.position = received;
  progress.count = std::to_string(received) + " / " + std::to_string(store.expectedCount);
  highestPrn = received == 0 ? 0 : store.highestPrn();
  if (highestPrn != 0) progress.sv = std::to_string(highestPrn);
  return progress;
}

template <size_t N>
bool SaveStore(const GuardedSlotStore<N>& store, const std::string& path, IMessages& messages) {
  // A whole copy under the store's lock: a reply arriving meanwhile never tears a slot.
  const auto snapshot = store.Get();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    messages.Show(kSaveFailedText, kSaveFailedTitle);
    return false;
  }
  const size_t size = sizeof snapshot.slots;
  static_assert(sizeof snapshot.slots == N * kStoreSlots, "slots are packed");
  const bool written = std::fwrite(snapshot.slots.data(), 1, size, file) == size;
  const bool closed = std::fclose(file) == 0;
  // A failed write (a full disk) is reported too: the file would otherwise look saved.
  if (!written || !closed) {
    messages.Show(kSaveFailedText, kSaveFailedTitle);
    return false;
  }
  return true;
}

}  // namespace

StoreProgress EphemerisProgress(const SlotStore<120>& store) {
  int prn = 0;
  StoreProgress progress = CommonProgress(store, prn);
  if (prn != 0) {
    std::span<const uint8_t> slot = store.slots[prn - 1];
    progress.weekNumber = std::to_string(ReadU16(slot, 4));
    progress.toe = std::to_string(ReadI32(slot, 60));
  }
  return progress;
}

StoreProgress AlmanacProgress(const SlotStore<48>& store) {
  int prn = 0;
  StoreProgress progress = CommonProgress(store, prn);
  if (prn != 0) progress.weekNumber = std::to_string(ReadI16(store.slots[prn - 1], 44));
  return progress;
}

bool SaveEphemeris(const EphemerisStore& store, const std::string& path, IMessages& messages) {
  return SaveStore(store, path, messages);
}

bool SaveAlmanac(const AlmanacStore& store, const std::string& path, IMessages& messages) {
  return SaveStore(store, path, messages);
}

}  // namespace vetra
