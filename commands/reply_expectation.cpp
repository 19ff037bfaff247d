#include "commands/reply_expectation.h"

#include "commands/catalogue.h"

namespace vetra {

ReplyExpectation ExpectationFor(int number, const Panels& panels) {
  using Kind = ReplyExpectation::Kind;
  ReplyExpectation e;
  e.commandId = CatalogueEntryOf(number).id;
  switch (e.commandId) {
    case 0x05:
      return {e.commandId, Kind::Reply, 0x80};
    case 0x06:
      return {e.commandId, Kind::Reply, 0x82};
    case 0x07:
      return {e.commandId, Kind::Reply, 0x81};
    case 0x09:
      return {e.commandId, Kind::StoreRead, 0x83};
    case 0x0B:
      return {e.commandId, Kind::StoreRead, 0x84};
    case 0x0E:
      return {e.commandId, Kind::Reply, 0x85};
    case 0x16:
      if (panels.pnCustomizedID.rgCID == 0) return {e.commandId, Kind::Reply, 0x8D};
      break;
    case 0x17:
      return {e.commandId, Kind::Reply, 0x86};
    case 0x18:
      return {e.commandId, Kind::Reply, 0x87};
    default:
      break;
  }
  return e;
}

}  // namespace vetra
