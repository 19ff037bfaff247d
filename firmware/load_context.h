#pragma once
// What a loading dialogue may do while the loader's pass runs it, on the loader's thread: read and
// change the loader's state (with its time-out), write to the port, reset the line, hand calls to
// the window, and end the load with a verdict. TLoadTask implements it; each dialogue
// (boot_monitor_dialogue.h, firmware_transfer.h, new_firmware_check.h) holds only its own step
// data and reaches everything else through here.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "firmware/load_states.h"
#include "util/clock.h"

namespace vetra {

class ILoadDisplay;

class ILoadContext {
 public:
  virtual ~ILoadContext() = default;
  virtual LoadState state() const = 0;
  virtual bool timedOut() const = 0;  // the current state's time-out has passed
  virtual bool active() const = 0;    // false: stopped; the next pass shows "STOP!"
  virtual IClock& clock() = 0;
  // Enters state with a time-out of whole seconds (0: none) and shows it.
  virtual void SetState(LoadState state, int timeoutSeconds) = 0;
  // False when not every byte went out; Send then ends the load with "SEND FAIL!".
  virtual bool Write(std::span<const uint8_t> bytes) = 0;
  virtual bool Send(std::span<const uint8_t> bytes) = 0;
  // The line to baudRate, both directions purged: the rest of the bytes read in this pass are
  // stale, and a sentence cut off by the purge is forgotten.
  virtual void ResetLine(int baudRate) = 0;
  // Runs fn with the window's display, on the window thread (the port is not held meanwhile).
  virtual void Show(const std::function<void(ILoadDisplay&)>& fn) = 0;
  virtual void InitProgressBar() = 0;  // 128 steps; the chunks per step for the image's size
  virtual int progressStep() const = 0;
  virtual void Fail(std::string_view verdict) = 0;  // red verdict, back to Ready
  virtual void Pass() = 0;                          // full bar, "PASS!" in green
  virtual void NotConfirmed() = 0;                  // amber verdict, back to Ready
};

}  // namespace vetra
