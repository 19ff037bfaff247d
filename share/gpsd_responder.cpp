#include "share/gpsd_responder.h"

namespace vetra {
namespace {

void Append(std::string& out, const GpsdJson& object) {
  out += GpsdText(object);
  out += "\r\n";
}

GpsdJson VersionObject(const GpsdServerInfo& info) {
  GpsdJson version;
  version["class"] = "VERSION";
  version["release"] = info.release;
  version["rev"] = info.release;
  version["proto_major"] = kGpsdProtoMajor;
  version["proto_minor"] = kGpsdProtoMinor;
  return version;
}

GpsdJson DeviceObject(const GpsdServerInfo& info, bool seenData) {
  GpsdJson device;
  device["class"] = "DEVICE";
  device["path"] = info.device;
  device["driver"] = "Vetra receiver";
  if (!info.activated.empty()) device["activated"] = info.activated;
  if (seenData) device["flags"] = 1;  // SEEN_GPS
  if (info.baudRate > 0) device["bps"] = info.baudRate;
  device["parity"] = std::string(1, info.parity);
  device["stopbits"] = 1;
  return device;
}

GpsdJson DevicesObject(const GpsdServerInfo& info, bool seenData) {
  GpsdJson devices;
  devices["class"] = "DEVICES";
  devices["devices"] =
      info.paused.empty() ? GpsdJson::array({DeviceObject(info, seenData)}) : GpsdJson::array();
  return devices;
}

GpsdJson ErrorObject(const std::string& message) {
  GpsdJson error;
  error["class"] = "ERROR";
  error["message"] = message;
  return error;
}

GpsdJson WatchObject(const WatchPolicy& policy) {
  GpsdJson watch;
  watch["class"] = "WATCH";
  watch["enable"] = policy.enable;
  watch["json"] = policy.json;
  watch["nmea"] = policy.nmea;
  watch["raw"] = policy.raw;
  watch["scaled"] = policy.scaled;
  watch["split24"] = policy.split24;
  watch["pps"] = policy.pps;
  if (!policy.device.empty()) watch["device"] = policy.device;
  return watch;
}

GpsdJson PollObject(const GpsdServerInfo& info, const GpsdReportMaker& reports,
                    const std::string& now) {
  GpsdJson poll;
  poll["class"] = "POLL";
  poll["time"] = now;
  if (!info.paused.empty()) {
    poll["active"] = 0;
    poll["tpv"] = GpsdJson::array();
    poll["sky"] = GpsdJson::array();
    return poll;
  }
  poll["active"] = 1;
  GpsdJson tpv;
  if (reports.lastTpv()) {
    tpv = *reports.lastTpv();
  } else {
    tpv["class"] = "TPV";
    tpv["device"] = reports.device();
    tpv["mode"] = 0;  // no fix seen yet
  }
  poll["tpv"] = GpsdJson::array({std::move(tpv)});
  poll["sky"] = reports.lastSky() ? GpsdJson::array({*reports.lastSky()}) : GpsdJson::array();
  return poll;
}

void ApplyWatch(const GpsdRequest& request, WatchPolicy& policy) {
  const WatchArguments& a = request.watch;
  policy.enable = a.enable.value_or(true);
  if (a.json) policy.json = *a.json;
  if (a.nmea) policy.nmea = *a.nmea;
  if (a.raw) policy.raw = *a.raw;
  if (a.scaled) policy.scaled = *a.scaled;
  if (a.split24) policy.split24 = *a.split24;
  if (a.pps) policy.pps = *a.pps;
  if (a.device) policy.device = *a.device;
  const bool streamChosen = a.json || a.nmea || a.raw;
  if (policy.enable && !streamChosen && !policy.json && !policy.nmea && policy.raw == 0) {
    policy.json = true;
  }
}

}  // namespace

std::string GpsdResponder::Banner(const GpsdServerInfo& info) {
  std::string out;
  Append(out, VersionObject(info));
  return out;
}

bool GpsdResponder::Answer(std::string_view received, const GpsdServerInfo& info,
                           const GpsdReportMaker& reports, const std::string& now,
                           std::string& out) {
  const std::vector<GpsdRequest> requests = reader_.Take(received);
  if (reader_.garbage() || reader_.overlong()) return false;
  for (const GpsdRequest& request : requests) {
    if (!request.error.empty()) {
      Append(out, ErrorObject(request.error));
      continue;
    }
    switch (request.command) {
      case GpsdCommand::Version:
        Append(out, VersionObject(info));
        break;
      case GpsdCommand::Devices:
        Append(out, DevicesObject(info, reports.seenData()));
        break;
      case GpsdCommand::Device:
        if (info.paused.empty()) {
          Append(out, DeviceObject(info, reports.seenData()));
        } else {
          Append(out, ErrorObject("No device is read: " + info.paused));
        }
        break;
      case GpsdCommand::Watch:
        if (request.watch.device && *request.watch.device != info.device) {
          Append(out, ErrorObject("No such device as " + *request.watch.device));
          break;
        }
        ApplyWatch(request, policy_);
        if (policy_.enable) askedToWatch_ = true;
        Append(out, DevicesObject(info, reports.seenData()));
        Append(out, WatchObject(policy_));
        break;
      case GpsdCommand::Poll:
        Append(out, PollObject(info, reports, now));
        break;
      case GpsdCommand::Unknown:  // carries its error
        break;
    }
  }
  return true;
}

}  // namespace vetra
