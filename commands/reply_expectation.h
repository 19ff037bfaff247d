#pragma once
// What a command is answered with, for the receiver conversation's send-and-wait: its ACK or NACK,
// a query's reply frame, or every satellite of an ephemeris or almanac read.
//
// ACK and NACK frames carry the id of the command they answer; only those for the command sent
// count for the wait (the window's indicators take every one, as the receiver intends).

#include <cstdint>

#include "commands/panels.h"

namespace vetra {

struct ReplyExpectation {
  enum class Kind {
    Ack,        // the ACK (or NACK) ends it
    Reply,      // a query: its reply frame ends it
    StoreRead,  // Read Ephemeris / Read Almanac: every announced satellite ends it
  };
  uint8_t commandId = 0;
  Kind kind = Kind::Ack;
  uint8_t replyId = 0;  // class F2 id of the reply, for Reply and StoreRead
};

// What catalogue command `number`, sent from `panels`, is answered with.
ReplyExpectation ExpectationFor(int number, const Panels& panels);

}  // namespace vetra
