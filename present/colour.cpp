#include "present/colour.h"

#include <algorithm>
#include <cmath>

namespace vetra {
namespace {

double Linear(uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint8_t Mix(uint8_t from, uint8_t to, double amount) {
  return static_cast<uint8_t>(std::lround(from + (to - from) * amount));
}

Rgb Mix(Rgb from, Rgb to, double amount) {
  return {Mix(from.r, to.r, amount), Mix(from.g, to.g, amount), Mix(from.b, to.b, amount)};
}

}  // namespace

double RelativeLuminance(Rgb colour) {
  return 0.2126 * Linear(colour.r) + 0.7152 * Linear(colour.g) + 0.0722 * Linear(colour.b);
}

double ContrastRatio(Rgb a, Rgb b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb ReadableOn(Rgb text, Rgb background, double minContrast) {
  if (ContrastRatio(text, background) >= minContrast) return text;
  // Towards black on a light background, towards white on a dark one: the end that contrasts
  // more. The contrast grows steadily along the mix, so the smallest mix that reads is found by
  // halving; rounding to whole channel values is checked at each step.
  const Rgb end =
      ContrastRatio(kBlack, background) >= ContrastRatio(kWhite, background) ? kBlack : kWhite;
  double low = 0, high = 1;
  for (int step = 0; step < 16; ++step) {
    const double middle = (low + high) / 2;
    (ContrastRatio(Mix(text, end, middle), background) >= minContrast ? high : low) = middle;
  }
  return Mix(text, end, high);
}

Rgb TextOn(Rgb background) {
  return ContrastRatio(kWhite, background) >= ContrastRatio(kBlack, background) ? kWhite : kBlack;
}

}  // namespace vetra
