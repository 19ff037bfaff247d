#pragma once
// The Read Ephemeris and Read Almanac panels: progress of a read from a store snapshot, and the
// Save buttons that write a whole store to a file (32 slots in PRN order, no header). The
// terminal also reads such a file back to load it into the receiver.

#include <optional>
#include <string>

#include "model/receiver_stores.h"
#include "util/messages.h"

namespace vetra {

// What ShowEphsProgress / ShowAlmcProgress put on the panel.
struct StoreProgress {
  int maximum = 0;    // progress bar maximum: the expected count
  int position = 0;   // progress bar position: replies received
  std::string count;  // lbReadEphs / lbReadAlmc: "%d / %d", received first
  // The highest PRN received and its slot's values; nullopt before the first reply (the fields
  // keep what they showed).
  std::optional<std::string> sv;          // lbEphsSV / lbAlmcSV
  std::optional<std::string> weekNumber;  // lbEphsWn / lbAlmcWn
  std::optional<std::string> toe;         // lbEphsToe; ephemeris only
};

StoreProgress EphemerisProgress(const SlotStore<120>& store);
StoreProgress AlmanacProgress(const SlotStore<48>& store);

inline constexpr const char* kSaveFilter = "Binary|*.bin";
inline constexpr const char* kSaveFailedText = "Wrong file!";
inline constexpr const char* kSaveFailedTitle = "Error";

// btEphsSaveClick / btSaveAlmcClick after the file dialog: writes the whole store (3840 or 1536
// bytes) in one write, replacing an existing file. A file that cannot be created, or a write that
// fails, shows "Wrong file!" / "Error" and returns false.
bool SaveEphemeris(const EphemerisStore& store, const std::string& path, IMessages& messages);
bool SaveAlmanac(const AlmanacStore& store, const std::string& path, IMessages& messages);

// A saved file read back for loading: exactly 3840 (1536) bytes, and at least one record marked
// valid (bit 0 of its first byte), the records Load sends. nullopt with the reason in error for a
// file that cannot be read, is no regular file (/dev/zero), is short or long, or holds no valid
// record. Saving goes through the whole-file writer (util/whole_file.h).
std::optional<EphemerisStore::Snapshot> ReadEphemerisFile(const std::string& path,
                                                          std::string& error);
std::optional<AlmanacStore::Snapshot> ReadAlmanacFile(const std::string& path, std::string& error);

}  // namespace vetra
