#include "share/gpsd_request.h"

#include <cstdint>
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

}  // namespace

GpsdRequestLine ParseGpsdRequestLine(std::string_view line) {
  GpsdRequestLine parsed;
  for (const char c : line) {
    if (!IsRequestByte(static_cast<unsigned char>(c))) {
      parsed.garbage = true;
      return parsed;
    }
  }
  size_t i = 0;
  const auto skipSeparators = [&] {
    while (i < line.size() && IsSeparator(line[i])) ++i;
  };
  skipSeparators();
  while (i < line.size()) {
    if (line[i] != '?') {
      parsed.garbage = true;
      parsed.requests.clear();
      return parsed;
    }
    size_t nameEnd = i + 1;
    while (nameEnd < line.size() && !IsSeparator(line[nameEnd]) && line[nameEnd] != '=' &&
           line[nameEnd] != '?') {
      ++nameEnd;
    }
    GpsdRequest request;
    request.name = std::string(line.substr(i, nameEnd - i));
    request.command = CommandNamed(request.name);
    i = nameEnd;

    if (i < line.size() && line[i] == '=') {
      request.hasArgument = true;
      const size_t end = ObjectEnd(line, i + 1);
      if (end == std::string_view::npos) {  // the rest of the line cannot be split into requests
        request.error = "Invalid " + Shown(request.name.substr(1)) + ": no JSON object";
        parsed.requests.push_back(std::move(request));
        return parsed;
      }
      const std::string_view argument = line.substr(i + 1, end - i - 1);
      i = end;
      if (request.command == GpsdCommand::Watch && !ReadWatch(argument, request.watch)) {
        request.error = "Invalid WATCH: " + std::string(argument.substr(0, 64));
      }
    }

    if (request.command == GpsdCommand::Unknown) {
      request.error = "Unrecognized request '" + Shown(request.name) + "'";
    } else if (request.command == GpsdCommand::Device && request.hasArgument) {
      request.error = "Can't perform DEVICE configuration: the receiver is shared read-only";
    }
    parsed.requests.push_back(std::move(request));
    skipSeparators();
  }
  return parsed;
}

}  // namespace vetra
