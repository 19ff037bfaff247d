#include "util/whole_file.h"

#include <filesystem>
#include <system_error>

#include "util/output_file.h"
#include "util/utf8_path.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

constexpr int kMostLinks = 40;  // as the system's own path lookup allows

// The file a path finally names: links followed one by one (also one whose target does not exist
// yet, which is then created), relative targets read from the link's folder.
fs::path FollowLinks(fs::path path, std::string& error) {
  for (int hop = 0; hop < kMostLinks; ++hop) {
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (!fs::is_symlink(status)) return path;
    fs::path target = fs::read_symlink(path, code);
    if (code) {
      error = code.message();
      return {};
    }
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  error = std::make_error_code(std::errc::too_many_symbolic_link_levels).message();
  return {};
}

const char* RefusedKind(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory:
      return "it is a directory";
    case fs::file_type::block:
      return "it is a block device";
    case fs::file_type::socket:
      return "it is a socket";
    default:
      return nullptr;
  }
}

}  // namespace

WholeFileWriter::WholeFileWriter(const std::string& path) {
  std::string reason;
  const fs::path target = FollowLinks(Utf8Path(path), reason);
  if (!reason.empty()) {
    Fail(reason);
    return;
  }
  target_ = Utf8Text(target);
  std::error_code code;
  const fs::file_status status = fs::status(target, code);
  const fs::file_type type = status.type();
  if (const char* refused = RefusedKind(type)) {
    Fail(refused);
    return;
  }
  if (type == fs::file_type::character || type == fs::file_type::fifo) {
    direct_ = true;
    file_ = OutputFile::Open(target, OutputFile::Mode::WriteExisting, reason);
    if (!file_) Fail(reason);
    return;
  }
  if (type != fs::file_type::regular && type != fs::file_type::not_found) {
    Fail(code ? code.message() : "it is not a file");
    return;
  }
  for (int n = 0; !file_; ++n) {
    fs::path temporary = target;
    temporary += n == 0 ? ".part" : ".part" + std::to_string(n);
    reason.clear();
    file_ = OutputFile::Open(temporary, OutputFile::Mode::CreateNew, reason);
    if (file_) {
      temporary_ = Utf8Text(temporary);
    } else if (!fs::exists(fs::symlink_status(temporary, code)) || n >= 100) {
      Fail(reason);  // not a name already taken: the folder refuses
      return;
    }
  }
  if (type == fs::file_type::regular) {
    fs::permissions(Utf8Path(temporary_), status.permissions(), code);
    file_->TakeOwnerOf(target);
  }
}

WholeFileWriter::~WholeFileWriter() {
  file_.reset();
  if (!committed_ && !temporary_.empty()) {
    std::error_code ignored;
    fs::remove(Utf8Path(temporary_), ignored);
  }
}

void WholeFileWriter::Fail(const std::string& reason) {
  if (error_.empty()) error_ = reason.empty() ? "it could not be written" : reason;
}

bool WholeFileWriter::Write(std::string_view bytes) {
  if (!ok() || !file_) return false;
  std::string reason;
  if (!file_->Write(bytes, reason)) Fail(reason);
  return ok();
}

bool WholeFileWriter::Commit() {
  if (!ok() || !file_) return false;
  std::string reason;
  const bool synced = direct_ || file_->Sync(reason);
  const bool closed = file_->Close(reason);
  file_.reset();
  if (!synced || !closed) {
    Fail(reason);
    return false;
  }
  if (direct_) return true;
  std::error_code code;
  fs::rename(Utf8Path(temporary_), Utf8Path(target_), code);
  if (code) {
    Fail(code.message());
    return false;
  }
  committed_ = true;
  OutputFile::SyncFolder(Utf8Path(target_).parent_path());
  return true;
}

bool WriteFileWhole(const std::string& path, std::string_view text, std::string* error) {
  WholeFileWriter writer(path);
  const bool written = writer.Write(text) && writer.Commit();
  if (!written && error != nullptr) *error = writer.error();
  return written;
}

}  // namespace vetra
