#include "monitor/view_task.h"

#include <pthread.h>

#include <algorithm>
#include <exception>

namespace vetra {

namespace {

// Line settings of the monitoring restart: keep the rate; 8 data bits, one stop bit, no parity.
constexpr int kKeepBaudRate = 0;
constexpr int kByteSize = 8;
constexpr int kOneStopBit = 0;
constexpr int kNoParity = 0;

constexpr int kIdleSleepMs = 500;
constexpr int kPassSleepMs = 100;
constexpr int kSleepSliceMs = 50;  // sleeps are cut into slices so that a stop is noticed soon

constexpr uint8_t kHostHandshake = 'U';

// Holds the port slot for one stretch of port use; releases it however the stretch ends.
class PortLease {
 public:
  explicit PortLease(PortSlot& slot) : slot_(slot), port_(slot.Acquire()) {}
  ~PortLease() { slot_.Release(); }
  PortLease(const PortLease&) = delete;
  PortLease& operator=(const PortLease&) = delete;
  IPort* port() const { return port_; }

 private:
  PortSlot& slot_;
  IPort* port_;
};

}  // namespace

// --- PortSlot ---------------------------------------------------------------------------------

void PortSlot::Set(IPort* port) {
  std::lock_guard lock(mutex_);
  port_ = port;
}

IPort* PortSlot::Acquire() {
  mutex_.lock();
  return port_;
}

void PortSlot::Release() { mutex_.unlock(); }

void PortSlot::WaitIdle() { std::lock_guard lock(mutex_); }

// --- Reply forwarding ---------------------------------------------------------------------------

void TViewTask::ReplyForwarder::onRevision() {
  task_.HandOffUnlocked([this] { task_.display_.onRevision(); });
}
void TViewTask::ReplyForwarder::onSelfTest() {
  task_.HandOffUnlocked([this] { task_.display_.onSelfTest(); });
}
void TViewTask::ReplyForwarder::onClockOffset() {
  task_.HandOffUnlocked([this] { task_.display_.onClockOffset(); });
}
void TViewTask::ReplyForwarder::onEphemeris() {
  task_.HandOffUnlocked([this] { task_.display_.onEphemeris(); });
}
void TViewTask::ReplyForwarder::onAlmanac() {
  task_.HandOffUnlocked([this] { task_.display_.onAlmanac(); });
}
void TViewTask::ReplyForwarder::onModuleId() {
  task_.HandOffUnlocked([this] { task_.display_.onModuleId(); });
}
void TViewTask::ReplyForwarder::onTraceStatusFull() {
  task_.HandOffUnlocked([this] { task_.display_.onTraceStatusFull(); });
}
void TViewTask::ReplyForwarder::onTraceStatusShort() {
  task_.HandOffUnlocked([this] { task_.display_.onTraceStatusShort(); });
}
void TViewTask::ReplyForwarder::onNavSettings(std::span<const uint8_t> payload) {
  task_.HandOffUnlocked([this, payload] { task_.display_.onNavSettings(payload); });
}
void TViewTask::ReplyForwarder::onSysSettings(std::span<const uint8_t> payload) {
  task_.HandOffUnlocked([this, payload] { task_.display_.onSysSettings(payload); });
}
void TViewTask::ReplyForwarder::onAck(uint8_t commandId) {
  task_.HandOffUnlocked([this, commandId] { task_.display_.onAck(commandId); });
}
void TViewTask::ReplyForwarder::onNack(uint8_t commandId) {
  task_.HandOffUnlocked([this, commandId] { task_.display_.onNack(commandId); });
}
void TViewTask::ReplyForwarder::onCustomizedId() {
  task_.HandOffUnlocked([this] { task_.display_.onCustomizedId(); });
}
void TViewTask::ReplyForwarder::onTestResult() {
  task_.HandOffUnlocked([this] { task_.display_.onTestResult(); });
}
void TViewTask::ReplyForwarder::onTraceRecord(std::span<const uint8_t> payload) {
  task_.HandOffUnlocked([this, payload] { task_.display_.onTraceRecord(payload); });
}

// --- Life -------------------------------------------------------------------------------------

TViewTask::TViewTask(IClock& clock, HandOff handOff, IViewDisplay& display, ReceiverStores& stores,
                     Options options)
    : clock_(clock),
      handOff_(std::move(handOff)),
      display_(display),
      options_(options),
      binary_(std::make_unique<TBinary>(stores, &forwarder_)),
      splitter_(nmea_, *binary_),
      channelCount_(options.channelCount) {
  if (options_.startThread) {
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
  }
}

TViewTask::~TViewTask() {
  stopping_ = true;
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
  CloseLog();
}

void TViewTask::Run(std::stop_token stop) {
  pthread_setname_np(pthread_self(), "SATView");
  while (!stop.stop_requested()) {
    try {
      RunPass();
    } catch (const std::exception&) {
      // A failed write of the host handshake, or a display that threw: the next pass goes on.
    }
  }
}

void TViewTask::SleepMs(int milliseconds) {
  while (milliseconds > 0 && !stopping_) {
    const int slice = std::min(milliseconds, kSleepSliceMs);
    clock_.sleepMs(slice);
    milliseconds -= slice;
  }
}

// --- One pass ---------------------------------------------------------------------------------

void TViewTask::RunPass() {
  if (!active_) {
    SleepMs(kIdleSleepMs);
    return;
  }
  SleepMs(kPassSleepMs);

  int count = 0;
  bool hostAnswered = false;
  switch (ReadPort(count, hostAnswered)) {
    case PortRead::Inactive:
      return;
    case PortRead::NoPort:
      SleepMs(kPassSleepMs);
      return;
    case PortRead::Failed:
      StopOnPortFailure();
      return;
    case PortRead::Read:
      break;
  }
  if (count == 0) {
    // Nothing new, but a record that was held back last pass (both parsers had news) is shown.
    ParseAndShow(0);
    return;
  }

  const char* beat = heartbeat_ % 2 == 0 ? "X" : "O";
  ++heartbeat_;
  handOff_([this, beat] { display_.SetHeartbeat(beat); });
  WriteLog(receiveBuffer_, count);

  if (options_.hostMode && count == 1 && receiveBuffer_[0] == kHostHandshake) {
    // The receiver's handshake byte is answered, not parsed.
    if (hostAnswered) handOff_([this] { display_.EnableHostButton(); });
    return;
  }
  ParseAndShow(count);
}

TViewTask::PortRead TViewTask::ReadPort(int& count, bool& hostAnswered) {
  PortLease lease(port_);
  // Re-checked under the slot: SetActive(false) may have come while this pass slept.
  if (!active_) return PortRead::Inactive;
  IPort* port = lease.port();
  if (port == nullptr) return PortRead::NoPort;

  if (portResetRequest_.exchange(false)) {
    port->Reset(kKeepBaudRate, kByteSize, kOneStopBit, kNoParity);
    if (!Drain(*port)) return PortRead::Failed;
  }
  count = port->rxData(receiveBuffer_, kReceiveBufferSize - 1);
  if (count < 0) return PortRead::Failed;

  if (options_.hostMode && count == 1 && receiveBuffer_[0] == kHostHandshake) {
    try {
      port->txData(&kHostHandshake, 1);
      hostAnswered = true;
    } catch (const PortWriteError&) {
      // Ignored as any failure inside a pass; the receiver will ask again.
    }
  }
  return PortRead::Read;
}

// Discards whatever the receiver had queued. Bounded, and cut short when the task is switched
// off, so a receiver that never pauses cannot hold the port slot for long.
bool TViewTask::Drain(IPort& port) {
  for (int reads = 0; reads < kMaxDrainReads && active_; ++reads) {
    const int count = port.rxData(receiveBuffer_, kReceiveBufferSize);
    if (count < 0) return false;
    if (count == 0) break;
  }
  return true;
}

void TViewTask::StopOnPortFailure() {
  active_ = false;
  CloseLog();
  handOff_([this] { display_.PortFailed(); });
}

void TViewTask::WriteLog(const uint8_t* bytes, int count) {
  std::lock_guard lock(logMutex_);
  if (log_ != nullptr) std::fwrite(bytes, 1, static_cast<size_t>(count), log_);
}

void TViewTask::ParseAndShow(int count) {
  RecordsLock lock(recordsMutex_);
  parseLock_ = &lock;
  struct ClearParseLock {
    RecordsLock*& slot;
    ~ClearParseLock() { slot = nullptr; }
  } clearParseLock{parseLock_};

  splitter_.Process(receiveBuffer_, count, clock_.nowSeconds(), [this](const EchoLine& line) {
    sentenceText_.assign(line.text);
    HandOffUnlocked([this] { display_.AppendNmeaLine(sentenceText_); });
  });

  const DisplaySource source = TakeDisplayUpdate(nmea_, *binary_, displayCopy_);
  if (source == DisplaySource::None) return;
  // The display gets its own copy: the window thread may restart monitoring meanwhile.
  const TNavRecord shown = displayCopy_;
  HandOffUnlocked([this, &shown, source] { display_.ShowNavigation(shown, source); });
}

void TViewTask::HandOffUnlocked(const std::function<void()>& fn) {
  RecordsLock* lock = parseLock_;
  if (lock == nullptr || !lock->owns_lock()) {
    handOff_(fn);
    return;
  }
  lock->unlock();
  try {
    handOff_(fn);
  } catch (...) {
    lock->lock();
    throw;
  }
  lock->lock();
}

// --- Window-thread operations -------------------------------------------------------------------

void TViewTask::SetActive(bool active) {
  active_ = active;
  if (!active) port_.WaitIdle();
}

void TViewTask::RestartMonitoring() {
  std::lock_guard lock(recordsMutex_);
  portResetRequest_ = true;
  nmea_.ResetState();
  nmea_.ResetRecord();
  binary_->ResetRecord();
  displayCopy_ = nmea_.record();
}

void TViewTask::CopyToDisplay(bool fromBinary) {
  std::lock_guard lock(recordsMutex_);
  displayCopy_ = fromBinary ? binary_->record() : nmea_.record();
}

TNavRecord TViewTask::DisplayCopy() const {
  std::lock_guard lock(recordsMutex_);
  return displayCopy_;
}

void TViewTask::SetDisplayRestartCounter(int32_t value) {
  std::lock_guard lock(recordsMutex_);
  displayCopy_.restartCounter = value;
}

void TViewTask::ToggleChannelCount(bool secondChipSelected) {
  channelCount_ = (channelCount_ == 12 || secondChipSelected) ? 16 : 12;
}

bool TViewTask::ToggleWindowSize() {
  const bool expanded = !expanded_;
  expanded_ = expanded;
  return expanded;
}

bool TViewTask::AttachLog(std::FILE* file) {
  std::lock_guard lock(logMutex_);
  if (log_ != nullptr || file == nullptr) return false;
  log_ = file;
  return true;
}

void TViewTask::CloseLog() {
  std::lock_guard lock(logMutex_);
  if (log_ == nullptr) return;
  std::fclose(log_);
  log_ = nullptr;
}

bool TViewTask::logAttached() const {
  std::lock_guard lock(logMutex_);
  return log_ != nullptr;
}

void TViewTask::ShowRevision(bool clear) {
  std::lock_guard lock(recordsMutex_);
  if (clear) binary_->replies().revision.date = 0;
  display_.onRevision();
}

void TViewTask::ShowClockOffset(bool clear) {
  std::lock_guard lock(recordsMutex_);
  if (clear) binary_->replies().clockOffset = 0;
  display_.onClockOffset();
}

void TViewTask::ShowSelfTest(bool clear) {
  std::lock_guard lock(recordsMutex_);
  if (clear)
    std::fill(std::begin(binary_->replies().selfTest), std::end(binary_->replies().selfTest), -1);
  display_.onSelfTest();
}

}  // namespace vetra
