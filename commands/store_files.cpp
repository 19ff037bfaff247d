#include "commands/store_files.h"

#include <cstring>
#include <filesystem>
#include <span>

#include "link/frame.h"
#include "util/bounded_input.h"
#include "util/whole_file.h"

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
  static_assert(sizeof snapshot.slots == N * kStoreSlots, "slots are packed");
  const std::string_view bytes(reinterpret_cast<const char*>(snapshot.slots.data()),
                               sizeof snapshot.slots);
  // A failed write (a full disk) is reported too: the file would otherwise look saved.
  if (!WriteFileWhole(path, bytes)) {
    messages.Show(kSaveFailedText, kSaveFailedTitle);
    return false;
  }
  return true;
}

template <size_t N>
std::optional<SlotStore<N>> ReadStoreFile(const std::string& path, const char* kind,
                                          std::string& error) {
  constexpr size_t kFileSize = N * kStoreSlots;
  SlotStore<N> store;
  // A regular file of at most a whole file's size: a longer one, a device or a directory is
  // refused by name before a byte is read.
  const std::string kindFile = std::string(kind) + " file";
  const std::optional<std::string> bytes =
      ReadBoundedFile(path, {kFileSize, kindFile.c_str()}, error);
  if (!bytes) return std::nullopt;
  if (bytes->size() != kFileSize) {
    error = "'" + path + "' is " + std::to_string(bytes->size()) + " bytes, short of the " +
            std::to_string(kFileSize) + " bytes of " + kindFile + " (32 records of " +
            std::to_string(N) + " bytes)";
    return std::nullopt;
  }
  bool anyValid = false;
  for (int slot = 0; slot < kStoreSlots; ++slot) {
    std::memcpy(store.slots[slot].data(), bytes->data() + slot * N, N);
    anyValid = anyValid || (store.slots[slot][0] & 0x01) != 0;
  }
  if (!anyValid) {
    error = "'" + path + "' holds no record marked valid: nothing to load";
    return std::nullopt;
  }
  return store;
}

}  // namespace

std::optional<EphemerisStore::Snapshot> ReadEphemerisFile(const std::string& path,
                                                          std::string& error) {
  return ReadStoreFile<120>(path, "an ephemeris", error);
}

std::optional<AlmanacStore::Snapshot> ReadAlmanacFile(const std::string& path, std::string& error) {
  return ReadStoreFile<48>(path, "an almanac", error);
}

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
