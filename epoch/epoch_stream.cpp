#include "epoch/epoch_stream.h"

namespace vetra {

class EpochStream::Impl {
 public:
  EpochCounts counts;
};

std::string NoFixReason(const EpochCounts&) { return {}; }

EpochStream::EpochStream() : impl_(std::make_unique<Impl>()) {}
EpochStream::~EpochStream() = default;
EpochStream::EpochStream(EpochStream&&) noexcept = default;
EpochStream& EpochStream::operator=(EpochStream&&) noexcept = default;

void EpochStream::Feed(std::span<const uint8_t> bytes, std::vector<Epoch>&,
                       std::vector<std::string>*) {
  impl_->counts.bytes += bytes.size();
}
void EpochStream::Idle(int64_t, std::vector<Epoch>&) {}
void EpochStream::Finish(std::vector<Epoch>&) {}
const EpochCounts& EpochStream::counts() const { return impl_->counts; }

}  // namespace vetra
