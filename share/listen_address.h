#pragma once
// Where the share server listens: an IP address and a TCP port, written "127.0.0.1:2947",
// "[::1]:2947" or "localhost:2947" (127.0.0.1). Port 0 asks the system for a free port; the
// server then tells the one it bound. Host names other than localhost are not looked up: the
// user names the interface to serve on, and loopback is the default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vetra {

struct ListenAddress {
  std::string address;  // an IPv4 or IPv6 literal, without brackets
  uint16_t port = 0;
  bool operator==(const ListenAddress&) const = default;
};

inline const ListenAddress kDefaultGpsdAddress{"127.0.0.1", 2947};
inline const ListenAddress kDefaultNmeaAddress{"127.0.0.1", 10110};

// nullopt with the reason in error ("'x' is not ADDRESS:PORT ...") for anything else.
std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string& error);

// "127.0.0.1:2947", "[::1]:2947".
std::string ToString(const ListenAddress& address);

}  // namespace vetra
