#pragma once
// Program-wide stores that the reply handlers fill on the monitoring thread and the window thread
// reads (ephemeris and almanac slots, module IDs, the customized ID, the test verdict). Each store
// is guarded: a reader gets a whole copy, never a half-written slot.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <span>
#include <string>

namespace vetra {

inline constexpr int kStoreSlots = 32;  // PRN 1..32

template <size_t SlotSize>
struct SlotStore {
  std::array<std::array<uint8_t, SlotSize>, kStoreSlots> slots{};
  uint8_t expectedCount = 0;
  uint32_t receivedMask = 0;  // bit prn-1

  int receivedCount() const { return std::popcount(receivedMask); }
  int highestPrn() const { return receivedMask ? 32 - std::countl_zero(receivedMask) : 0; }
};

template <size_t SlotSize>
class GuardedSlotStore {
 public:
  static constexpr size_t kSlotSize = SlotSize;
  using Snapshot = SlotStore<SlotSize>;

  // A reply for one satellite; a PRN outside 1..32 changes nothing. Returns whether it was taken.
  bool Put(uint8_t expectedCount, int prn, std::span<const uint8_t> data) {
    if (prn < 1 || prn > kStoreSlots || data.size() < SlotSize) return false;
    std::lock_guard lock(mutex_);
    store_.expectedCount = expectedCount;
    std::memcpy(store_.slots[prn - 1].data(), data.data(), SlotSize);
    store_.receivedMask |= 1u << (prn - 1);
    return true;
  }
  // Zero every slot, the received mask and the expected count (a new Read).
  void Clear() {
    std::lock_guard lock(mutex_);
    store_ = Snapshot{};
  }
  Snapshot Get() const {
    std::lock_guard lock(mutex_);
    return store_;
  }

 private:
  mutable std::mutex mutex_;
  Snapshot store_;
};

using EphemerisStore = GuardedSlotStore<120>;
using AlmanacStore = GuardedSlotStore<48>;

class ReceiverStores {
 public:
  EphemerisStore ephemeris;
  AlmanacStore almanac;

  void SetModuleId(int index, int32_t id) {
    std::lock_guard lock(mutex_);
    moduleIds_[index] = id;
  }
  int32_t moduleId(int index) const {
    std::lock_guard lock(mutex_);
    return moduleIds_[index];
  }
  void SetCustomizedId(std::string text) {
    std::lock_guard lock(mutex_);
    customizedId_ = std::move(text);
  }
  std::string customizedId() const {
    std::lock_guard lock(mutex_);
    return customizedId_;
  }
  void SetTestFailed(bool failed) {
    std::lock_guard lock(mutex_);
    testFailed_ = failed;
  }
  bool testFailed() const {
    std::lock_guard lock(mutex_);
    return testFailed_;
  }

 private:
  mutable std::mutex mutex_;
  std::array<int32_t, 2> moduleIds_{};  // 0 "Production ID", 1 "User Key ID"
  std::string customizedId_;            // at most 32 characters
  bool testFailed_ = false;
};

}  // namespace vetra
