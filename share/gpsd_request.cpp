#include "share/gpsd_request.h"

#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>
#include <type_traits>

namespace vetra {
namespace {

constexpr size_t kNameShownInErrors = 32;

bool IsSeparator(char c) { return c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

GpsdCommand CommandNamed(std::string_view name) {
  if (name == "?VERSION") return GpsdCommand::Version;
  if (name == "?DEVICES") return GpsdCommand::Devices;
  if (name == "?DEVICE") return GpsdCommand::Device;
  if (name == "?WATCH") return GpsdCommand::Watch;
  if (name == "?POLL") return GpsdCommand::Poll;
  return GpsdCommand::Unknown;
}

// The end (one past the closing brace) of the JSON object that starts at `start`, strings and
// their escapes respected; npos when there is no object there or it is not closed on this line.
size_t ObjectEnd(std::string_view line, size_t start) {
  if (start >= line.size() || line[start] != '{') return std::string_view::npos;
  int depth = 0;
  bool inString = false;
  for (size_t i = start; i < line.size(); ++i) {
    const char c = line[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) return i + 1;
    }
  }
  return std::string_view::npos;
}

template <typename T>
bool ReadWatchField(const nlohmann::json& object, const char* key, std::optional<T>& into) {
  const auto it = object.find(key);
  if (it == object.end()) return true;
  if constexpr (std::is_same_v<T, bool>) {
    if (!it->is_boolean()) return false;
  } else if constexpr (std::is_same_v<T, int>) {
    if (!it->is_number_integer() || it->template get<int64_t>() < 0 ||
        it->template get<int64_t>() > 2) {
      return false;
    }
  } else {
    if (!it->is_string()) return false;
  }
  into = it->template get<T>();
  return true;
}

// The WATCH object's documented attributes; false when one has the wrong type or range.
bool ReadWatch(std::string_view text, WatchArguments& watch) {
  const nlohmann::json object = nlohmann::json::parse(text, nullptr, false);
  if (!object.is_object()) return false;
  return ReadWatchField(object, "enable", watch.enable) &&
         ReadWatchField(object, "json", watch.json) && ReadWatchField(object, "nmea", watch.nmea) &&
         ReadWatchField(object, "raw", watch.raw) &&
         ReadWatchField(object, "scaled", watch.scaled) &&
         ReadWatchField(object, "split24", watch.split24) &&
         ReadWatchField(object, "pps", watch.pps) && ReadWatchField(object, "device", watch.device);
}

std::string Shown(std::string_view name) {
  return std::string(name.substr(0, kNameShownInErrors)) +
         (name.size() > kNameShownInErrors ? "..." : "");
}

// The errors a complete request carries.
void Judge(GpsdRequest& request) {
  if (request.command == GpsdCommand::Unknown) {
    request.error = "Unrecognized request '" + Shown(request.name) + "'";
  } else if (request.command == GpsdCommand::Device && request.hasArgument) {
    request.error = "Can't perform DEVICE configuration: the receiver is shared read-only";
  }
}

}  // namespace

std::vector<GpsdRequest> GpsdRequestReader::Take(std::string_view received) {
  std::vector<GpsdRequest> requests;
  if (garbage_ || overlong_) return requests;
  for (const char c : received) {
    if (!IsRequestByte(static_cast<unsigned char>(c))) {
      garbage_ = true;
      pending_.clear();
      return requests;
    }
  }
  pending_ += received;
  const std::string_view text = pending_;
  size_t i = 0;
  size_t waitFrom = std::string_view::npos;  // an unfinished request begins here
  while (true) {
    while (i < text.size() && IsSeparator(text[i])) ++i;
    if (i == text.size()) break;
    if (text[i] != '?') {
      garbage_ = true;
      pending_.clear();
      return {};
    }
    const size_t begin = i;
    size_t nameEnd = i + 1;
    while (nameEnd < text.size() && !IsSeparator(text[nameEnd]) && text[nameEnd] != '=' &&
           text[nameEnd] != '?') {
      ++nameEnd;
    }
    GpsdRequest request;
    request.name = std::string(text.substr(i, nameEnd - i));
    request.command = CommandNamed(request.name);
    i = nameEnd;

    if (i < text.size() && text[i] == '=') {
      request.hasArgument = true;
      const size_t objectStart = i + 1;
      const size_t lineEnd = text.find('\n', objectStart);
      const std::string_view line = text.substr(0, lineEnd);
      const size_t end = ObjectEnd(line, objectStart);
      if (end == std::string_view::npos && lineEnd == std::string_view::npos &&
          (objectStart == text.size() || text[objectStart] == '{')) {
        waitFrom = begin;  // the object is still arriving
        break;
      }
      if (end == std::string_view::npos) {  // the rest of the line cannot be split into requests
        request.error = "Invalid " + Shown(request.name.substr(1)) + ": no JSON object";
        i = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        requests.push_back(std::move(request));
        continue;
      }
      const std::string_view argument = text.substr(objectStart, end - objectStart);
      i = end;
      if (request.command == GpsdCommand::Watch && !ReadWatch(argument, request.watch)) {
        request.error = "Invalid WATCH: " + std::string(argument.substr(0, 64));
      }
    }
    if (i - begin > kMaxRequestBytes) {
      overlong_ = true;
      pending_.clear();
      return {};
    }
    Judge(request);
    requests.push_back(std::move(request));
  }
  if (waitFrom == std::string_view::npos) {
    pending_.clear();
  } else {
    pending_.erase(0, waitFrom);
    if (pending_.size() > kMaxRequestBytes) {
      overlong_ = true;
      pending_.clear();
      return {};
    }
  }
  return requests;
}

GpsdRequestLine ParseGpsdRequestLine(std::string_view line) {
  GpsdRequestReader reader;
  GpsdRequestLine parsed;
  parsed.requests = reader.Take(line);
  if (!reader.garbage() && !reader.overlong()) {
    std::vector<GpsdRequest> rest = reader.Take("\n");  // the line ends here
    parsed.requests.insert(parsed.requests.end(), std::make_move_iterator(rest.begin()),
                           std::make_move_iterator(rest.end()));
  }
  parsed.garbage = reader.garbage() || reader.overlong();
  if (parsed.garbage) parsed.requests.clear();
  return parsed;
}

}  // namespace vetra
