#pragma once
// ReceiverConversation: the one owner of the receiver's open port and of the thread that talks to
// it ("SATView"). Every byte to and from the receiver passes here, except the firmware loader's
// dialogue, for which the port is lent out and given back.
//
// Its thread runs the monitoring passes: while active, about every 100 ms (500 ms while not), it
// reads what the port has queued, splits it between TNmea and TBinary (TStreamSplitter, with its
// 3-second deadline), appends it to the attached capture file, answers a lone 'U' in host mode,
// and hands ONE PassValue to the display: echo lines, reply events with their decoded fields, the
// navigation records of both parsers when they changed, the heartbeat, the line's health. The same
// bytes, live or replayed, also go through an EpochStream (epoch/epoch_stream.h): the receiver's
// epochs that closed in the pass (by the next epoch, or by the silence seen on the clock) and the
// NMEA sentences read whole travel in the pass value too. A
// monitoring restart resets the line (rate kept) and drains what was queued on the next pass. A
// read failure (a receiver unplugged) stops the reading once: the capture is closed with every
// byte received, waiting exchanges end with PortFailed, and the pass value says portFailed.
//
// Writes: nobody else writes to the port. Frames are queued (Post, SendAndWait, or Queue as an
// IFrameWriter) and the thread writes them between its reads, at the start of its next pass, in
// order. An exchange that awaits an answer is then matched against the reply events of the
// following passes, with its deadline on the injectable clock (see exchange.h). Its end is told
// by one ExchangeResult: to a blocking caller (SendAndWait, which a stop request ends at once), or
// to the completion given to Post, which runs with the next hand-off, after ShowPass.
//
// Window actions are requests that the thread takes at the start of its next pass (a monitoring
// restart, the channel count, exchanges). Each monitoring restart request has a number, and every
// pass value says how many were taken before its bytes were read, so a display can tell the
// records read after a restart from older ones. What callers read back is published by the thread
// under a plain lock around values (the display copy, the channel count, the health counters).
//
// The hand-off stays the blocking one: the thread waits until the display has shown the pass, so
// it never runs ahead of a slow window and never holds more than one pass value; nothing in the
// value points into the conversation, so the display needs no lock. The thread holds no lock
// across a hand-off, so the calls that wait for its use of the port to end (SetActive(false),
// ClosePort, LendPort, ResetLine) may be made from inside a hand-off or a completion too.
//
// The capture file closes under its own lock, from any thread: CloseLog returns with every byte
// received in the file, without waiting for a pass that may itself be waiting on the caller. Every
// write is flushed and checked: a capture that cannot be written (a full disk) is closed with
// what it holds, and the pass value says why (captureFailure); no byte is dropped unnoticed.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "decode/binary.h"
#include "decode/nmea.h"
#include "epoch/epoch_stream.h"
#include "link/byte_sink.h"
#include "link/frame_writer.h"
#include "link/port.h"
#include "session/exchange.h"
#include "session/exchange_queue.h"
#include "session/pass_value.h"
#include "session/reply_events.h"
#include "session/stream_splitter.h"
#include "util/clock.h"

namespace vetra {

// Runs fn on the window thread and returns when it has run (Qt: BlockingQueuedConnection;
// terminal and tests: inline).
using HandOff = std::function<void(const std::function<void()>& fn)>;

class ReceiverConversation final : public IFrameWriter {
 public:
  struct Options {
    bool hostMode = false;
    int channelCount = 12;
    bool startThread = true;  // false: tests drive RunPass themselves
  };
  using Completion = ExchangeQueue::Completion;
  using AnswerCallback = ExchangeQueue::AnswerCallback;

  // stores: the ephemeris and almanac stores, module IDs and the like that the reply handlers
  // fill (guarded; the window's Save buttons read them too).
  ReceiverConversation(IClock& clock, HandOff handOff, IPassDisplay& display,
                       ReceiverStores& stores, Options options);
  // Ends the thread and waits for it; exchanges still open end as Cancelled; closes the capture
  // and the port.
  ~ReceiverConversation() override;
  ReceiverConversation(const ReceiverConversation&) = delete;
  ReceiverConversation& operator=(const ReceiverConversation&) = delete;

  // --- The port. Each call returns once no pass uses the port.
  void AttachPort(std::unique_ptr<IPort> port);  // an open port; replaces (closes) any other
  void ClosePort();
  bool portOpen() const { return portOpen_; }
  // Reset(baudRate, 8 data bits, one stop bit, no parity): purges both directions. False without
  // a port.
  bool ResetLine(int baudRate);
  // The firmware loader's hand-over: until ReturnPort no pass reads, writes or resets the port,
  // and exchanges are dropped. nullptr when no port is open.
  IPort* LendPort();
  void ReturnPort();

  // --- Monitoring. SetActive(false) returns when the pass in progress no longer uses the port;
  // no pass touches it until the next SetActive(true).
  void SetActive(bool active);
  bool active() const { return active_; }
  // Request: the line reset and drained, both parsers' records reset. Returns the request's
  // number; pass values whose monitoringRestarts is at least that were read after it was taken.
  uint64_t RestartMonitoring();
  void ToggleChannelCount(bool secondChipSelected);  // request: 12 <-> 16 (16 with the K900)
  // The pause between passes (100 ms, as the receiver's tools poll). A replayed log played as
  // fast as possible asks for shorter passes; a live port keeps the default.
  void SetPassIntervalMs(int milliseconds) { passIntervalMs_ = std::max(milliseconds, 1); }
  static constexpr int kDefaultPassIntervalMs = 100;

  // --- Published copies, as the thread left them at the end of its last pass.
  TNavRecord DisplayCopy() const;
  int channelCount() const;
  LineHealth health() const;

  // --- The capture slot: a raw log or the trace read's file, one at a time. The conversation
  // owns an attached sink and closes it; a refused one is closed as it goes.
  bool AttachLog(std::unique_ptr<IByteSink> sink);  // false when one is attached already
  // Every received byte is in the file when it returns. The system's reason when the file could
  // not be closed whole (its last bytes not written), else "".
  std::string CloseLog();
  bool logAttached() const;

  // --- Talking. False (nothing queued, onDone not called) when no port is open.
  bool Post(Exchange exchange, Completion onDone = {});
  // Blocks the calling thread (never the window's) until the exchange has ended; onAnswer sees
  // each answer as it arrives, on the calling thread. A stop request ends the wait at once as
  // Cancelled. Without a port: PortFailed.
  ExchangeResult SendAndWait(Exchange exchange, std::stop_token stop,
                             const AnswerCallback& onAnswer = {});
  // IFrameWriter: a frame with nothing awaited.
  bool Queue(std::span<const uint8_t> frame, int delayMs, WriteDone onDone) override;

  // One pass of the loop (public for tests that drive the conversation without its thread).
  void RunPass();

  static constexpr int kReceiveBufferSize = 2048;
  static constexpr int kMaxDrainReads = 100;  // bounds the drain against a receiver that never
                                              // pauses

 private:
  struct Published {
    TNavRecord display;
    int channelCount = 12;
    LineHealth health;
  };
  enum class PortUse { Read, NoPort, Failed, Inactive };

  void TakeRequests();
  PortUse UsePort(int& count, bool& hostAnswered);
  bool Drain(IPort& port);
  void Parse(int count, PassValue& pass);
  void StopOnPortFailure(PassValue& pass);
  void WriteLog(const uint8_t* bytes, int count, PassValue& pass);
  void Publish(const std::optional<NavigationUpdate>& navigation);
  void Deliver(PassValue& pass);
  void SleepMs(int milliseconds);
  void Run(std::stop_token stop);

  IClock& clock_;
  HandOff handOff_;
  IPassDisplay& display_;
  Options options_;

  // The thread's own.
  TNmea nmea_;
  TBinary binary_;
  ReplyEventCollector collector_;
  TStreamSplitter splitter_;
  EpochStream epochs_;  // the same bytes as epochs, for sharing and the statistics
  ExchangeQueue exchanges_;
  bool lineResetDue_ = false;
  uint64_t restartsTaken_ = 0;  // the number of the last monitoring restart request taken
  int channelCount_;
  unsigned heartbeat_ = 0;
  LineHealth health_;
  uint8_t receiveBuffer_[kReceiveBufferSize] = {};

  // Requests, taken at the start of a pass.
  std::mutex requestMutex_;
  bool restartRequested_ = false;
  uint64_t restartRequests_ = 0;      // numbers the requests
  std::vector<bool> channelToggles_;  // the second chip selected, per toggle

  mutable std::mutex publishedMutex_;
  Published published_;

  mutable std::mutex logMutex_;
  std::unique_ptr<IByteSink> log_;

  // The port: held by a pass while it resets, writes or reads, never across a hand-off.
  mutable std::mutex portMutex_;
  std::unique_ptr<IPort> port_;
  bool lent_ = false;
  std::atomic<bool> portOpen_{false};

  std::atomic<int> passIntervalMs_{kDefaultPassIntervalMs};
  std::atomic<bool> active_{false};
  std::atomic<bool> stopping_{false};
  std::jthread thread_;  // last: starts once everything above exists
};

}  // namespace vetra
