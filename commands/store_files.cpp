#include "commands/store_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "link/frame.h"
#include "link/open_file.h"

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
  std::FILE* file = OpenFile(path, "wb");
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

template <size_t N>
std::optional<SlotStore<N>> ReadStoreFile(const std::string& path, const char* kind,
                                          std::string& error) {
  constexpr size_t kFileSize = N * kStoreSlots;
  SlotStore<N> store;
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) {
    error = "cannot read '" + path + "': " + std::strerror(errno);
    return std::nullopt;
  }
  // One byte more than a whole file, so that a long file is told from a whole one.
  std::vector<uint8_t> bytes(kFileSize + 1);
  const size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = "cannot read '" + path + "'";
    return std::nullopt;
  }
  if (read != kFileSize) {
    const std::string size = std::to_string(kFileSize) + " bytes of " + kind +
                             " file (32 records of " + std::to_string(N) + " bytes)";
    error = "'" + path + "' is " +
            (read > kFileSize ? "longer than the " + size
                              : std::to_string(read) + " bytes, short of the " + size);
    return std::nullopt;
  }
  bool anyValid = false;
  for (int slot = 0; slot < kStoreSlots; ++slot) {
    std::memcpy(store.slots[slot].data(), bytes.data() + slot * N, N);
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
