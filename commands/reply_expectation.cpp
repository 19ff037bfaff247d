#include "commands/reply_expectation.h"

#include "commands/catalogue.h"

namespace vetra {

ReplyExpectation ExpectationFor(int number, const Panels& panels) {
  const CommandDescriptor& command = CatalogueEntryOf(number);
  const ExpectedReply& reply = command.reply;
  if (reply.kind == ExpectedReply::Kind::Ack ||
      (reply.repliesWhen != nullptr && !reply.repliesWhen(panels))) {
    return {command.id, ReplyExpectation::Kind::Ack, 0};
  }
  const auto kind = reply.kind == ExpectedReply::Kind::StoreRead ? ReplyExpectation::Kind::StoreRead
                                                                 : ReplyExpectation::Kind::Reply;
  return {command.id, kind, reply.replyId};
}

}  // namespace vetra
