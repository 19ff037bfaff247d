#include "compare/compare_report.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace vetra {

namespace {

using Json = nlohmann::ordered_json;

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A value that rounds to zero prints as 0.000, never -0.000.
std::string Metres(const std::optional<double>& value) {
  return value ? Format("%.3f m", std::fabs(*value) < 0.0005 ? 0.0 : *value) : "-";
}

void Line(std::string& out, const char* label, const std::string& value) {
  char text[160];
  std::snprintf(text, sizeof text, "%-20s %s\n", label, value.c_str());
  out += text;
}

// Metres to the tenth of a millimetre, as a JSON number (or null).
Json Number(const std::optional<double>& value, double scale = 1e4) {
  if (!value || !std::isfinite(*value)) return nullptr;
  return std::round(*value * scale) / scale + 0.0;  // + 0.0: -0.0 becomes 0
}

Json MeanRmsJson(const MeanRms& figures) {
  return {{"mean_m", Number(figures.meanM)}, {"rms_m", Number(figures.rmsM)}};
}

}  // namespace

std::string CompareText(const CompareFigures& f) {
  std::string out;
  Line(out, "test epochs", std::to_string(f.testEpochs));
  Line(out, "reference epochs", std::to_string(f.referenceEpochs));
  Line(out, "overlap", Format("%.3f s", f.overlapS));
  Line(out, "compared", std::to_string(f.compared));
  Line(out, "unmatched", std::to_string(f.unmatched));
  Line(out, "availability", f.availability ? Format("%.2f %%", *f.availability * 100) : "-");
  const auto& h = f.horizontal;
  Line(out, "horizontal mean", Metres(h ? std::optional(h->meanM) : std::nullopt));
  Line(out, "horizontal RMS", Metres(h ? std::optional(h->rmsM) : std::nullopt));
  Line(out, "CEP50", Metres(h ? std::optional(h->cep50M) : std::nullopt));
  Line(out, "CEP68", Metres(h ? std::optional(h->cep68M) : std::nullopt));
  Line(out, "CEP95", Metres(h ? std::optional(h->cep95M) : std::nullopt));
  Line(out, "CEP99", Metres(h ? std::optional(h->cep99M) : std::nullopt));
  Line(out, "horizontal max", Metres(h ? std::optional(h->maxM) : std::nullopt));
  const auto& v = f.vertical;
  Line(out, "vertical mean", Metres(v ? std::optional(v->meanM) : std::nullopt));
  Line(out, "vertical RMS", Metres(v ? std::optional(v->rmsM) : std::nullopt));
  Line(out, "vertical 95% (abs)", Metres(v ? std::optional(v->abs95M) : std::nullopt));
  Line(out, "3D RMS", Metres(f.rms3dM));
  if (f.alongTrack && f.crossTrack) {
    Line(out, "along-track mean", Metres(f.alongTrack->meanM));
    Line(out, "along-track RMS", Metres(f.alongTrack->rmsM));
    Line(out, "cross-track mean", Metres(f.crossTrack->meanM));
    Line(out, "cross-track RMS", Metres(f.crossTrack->rmsM));
  }
  if (f.testStartedWithoutFix || f.referenceStartedWithoutFix) {
    const auto seconds = [](const std::optional<double>& s) {
      return s ? Format("%.3f s", *s) : std::string("-");
    };
    Line(out, "TTFF test", seconds(f.ttffTestS));
    Line(out, "TTFF reference", seconds(f.ttffReferenceS));
  }
  return out;
}

std::string CompareJson(const CompareFigures& f) {
  Json json;
  json["test_epochs"] = f.testEpochs;
  json["reference_epochs"] = f.referenceEpochs;
  json["overlap_s"] = Number(f.overlapS, 1e3);
  json["compared"] = f.compared;
  json["unmatched"] = f.unmatched;
  json["availability"] = Number(f.availability, 1e6);
  const auto& h = f.horizontal;
  const auto field = [](const auto& group, double member) {
    return group ? Number(member) : Json(nullptr);
  };
  json["horizontal"] = {
      {"mean_m", field(h, h ? h->meanM : 0)},   {"rms_m", field(h, h ? h->rmsM : 0)},
      {"cep50_m", field(h, h ? h->cep50M : 0)}, {"cep68_m", field(h, h ? h->cep68M : 0)},
      {"cep95_m", field(h, h ? h->cep95M : 0)}, {"cep99_m", field(h, h ? h->cep99M : 0)},
      {"max_m", field(h, h ? h->maxM : 0)}};
  const auto& v = f.vertical;
  json["vertical"] = {{"mean_m", field(v, v ? v->meanM : 0)},
                      {"rms_m", field(v, v ? v->rmsM : 0)},
                      {"abs95_m", field(v, v ? v->abs95M : 0)}};
  json["rms_3d_m"] = Number(f.rms3dM);
  if (f.alongTrack && f.crossTrack) {
    json["along_track"] = MeanRmsJson(*f.alongTrack);
    json["cross_track"] = MeanRmsJson(*f.crossTrack);
  }
  if (f.testStartedWithoutFix || f.referenceStartedWithoutFix) {
    json["ttff_s"] = {{"test", Number(f.ttffTestS, 1e3)},
                      {"reference", Number(f.ttffReferenceS, 1e3)}};
  }
  return json.dump() + "\n";
}

}  // namespace vetra
