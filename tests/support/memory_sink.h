#pragma once
// A capture sink that keeps its bytes in memory, for tests of whoever writes to or holds one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/byte_sink.h"

namespace vetra::test {

class MemorySink final : public IByteSink {
 public:
  // What the sink was given; shared, so a test can look after the holder has dropped the sink.
  struct Record {
    std::vector<uint8_t> bytes;
    bool closed = false;
  };

  MemorySink() : record_(std::make_shared<Record>()) {}
  std::shared_ptr<const Record> record() const { return record_; }

  bool Write(const uint8_t* bytes, size_t count) override {
    record_->bytes.insert(record_->bytes.end(), bytes, bytes + count);
    return true;
  }
  bool Close() override {
    record_->closed = true;
    return true;
  }
  std::string error() const override { return {}; }

 private:
  std::shared_ptr<Record> record_;
};

}  // namespace vetra::test
