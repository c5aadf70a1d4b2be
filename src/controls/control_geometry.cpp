#include "controls/control_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quillon::geometry {
namespace {

// The pointer reaches the top of the range at y 15, above the cap's own top
// position: the pointer mapping and the cap drawing use different heights.
constexpr int FaderPointerTop = 15;
constexpr int FaderPointerHeightLoss = 22;
constexpr int FaderCapHeightLoss = 27;
constexpr int FaderEmptyRangeCapLift = 4;
constexpr int FaderTickRoomLoss = 26;

constexpr int PanLeftMargin = 3;
constexpr int PanWidthLoss = 6;
constexpr double PanScaleBias = 0.003;

}  // namespace

int faderSpan(int minValue, int maxValue) { return maxValue - minValue; }

int faderCapCentreY(int height, int thumbOffset, int minValue, int maxValue) {
  const int span = faderSpan(minValue, maxValue);
  if (span < 1) return height - FaderEmptyRangeCapLift;
  const long long travel = static_cast<long long>(height - FaderCapHeightLoss) * (thumbOffset - minValue);
  return static_cast<int>(travel / span) + FaderCapTopLimit;
}

int faderThumbOffsetAtY(int y, int height, int minValue, int maxValue) {
  const int span = faderSpan(minValue, maxValue);
  const int room = std::max(1, height - FaderPointerHeightLoss);
  const long long offset = minValue + static_cast<long long>(span) * (y - FaderPointerTop) / room;
  return static_cast<int>(std::clamp<long long>(offset, minValue, maxValue));
}

std::vector<int> faderTickRows(int height, int ticks) {
  const int room = height - FaderTickRoomLoss;
  if (room < 0 || ticks < 1) return {};
  const int shown = std::min(ticks, room / FaderMinTickSpacing + 1);
  if (shown < 2) return {FaderFirstTickY};
  const int spacing = room / (shown - 1);
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(shown));
  for (int i = 0; i < shown; ++i) rows.push_back(FaderFirstTickY + i * spacing);
  return rows;
}

double panScale(int width, int minValue, int maxValue) {
  const int pixels = width - PanWidthLoss;
  if (pixels < 1) return 1.0;
  const double scale = static_cast<double>(maxValue - minValue) / pixels;
  return scale == 0.0 ? 1.0 : scale;
}

int panMarkerX(int width, int value, int minValue, int maxValue) {
  const long long divisor = std::max(1L, std::lround((panScale(width, minValue, maxValue) + PanScaleBias) * 100));
  const long long x = static_cast<long long>(value - minValue) * 100 / divisor + PanLeftMargin;
  return static_cast<int>(std::clamp<long long>(x, PanLeftMargin, std::max(PanLeftMargin, width - 4)));
}

int panScaleMarkX(int width, int index) {
  const int step = static_cast<int>(std::lround((width - PanWidthLoss) / 4.0));
  return index * step + 2;
}

int mulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  const long long product = static_cast<long long>(a) * b;
  long long quotient = product / c;
  const long long remainder = product % c;
  if (2 * std::llabs(remainder) >= std::llabs(static_cast<long long>(c)))
    quotient += ((product < 0) != (c < 0)) ? -1 : 1;
  return static_cast<int>(quotient);
}

}  // namespace quillon::geometry
