#include "share/listen_address.h"

#include <asio/ip/address.hpp>
#include <charconv>

namespace vetra {

std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string& error) {
  const auto fail = [&](const char* why) -> std::optional<ListenAddress> {
    error = "'" + std::string(text) + "' is not ADDRESS:PORT (" + why + ")";
    return std::nullopt;
  };
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return fail("no port");
  std::string_view host = text.substr(0, colon);
  const std::string_view portText = text.substr(colon + 1);
  unsigned port = 0;
  const auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (portText.empty() || ec != std::errc() || end != portText.data() + portText.size() ||
      port > 65535) {
    return fail("the port is a number from 0 to 65535");
  }
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string_view::npos) {
    return fail("write an IPv6 address in brackets: [::1]:2947");
  }
  if (host == "localhost") host = "127.0.0.1";
  asio::error_code invalid;
  asio::ip::make_address(std::string(host), invalid);
  if (invalid) return fail("the address is an IPv4 or IPv6 address, or localhost");
  return ListenAddress{std::string(host), static_cast<uint16_t>(port)};
}

std::string ToString(const ListenAddress& address) {
  const bool v6 = address.address.find(':') != std::string::npos;
  return (v6 ? "[" + address.address + "]" : address.address) + ":" + std::to_string(address.port);
}

}  // namespace vetra
