#pragma once
// Pixel arithmetic of the value controls, kept free of Qt so that the rules for
// cap placement, pointer mapping, tick rows and LED positions can be checked
// directly. Every coordinate is in logical (device-independent) pixels.

#include <vector>

namespace quillon::geometry {

// Faders -----------------------------------------------------------------------

inline constexpr int FaderMinWidth = 26;
inline constexpr int FaderMinHeight = 36;
inline constexpr int FaderCapTopLimit = 20;  // cap centre line at the top of the range
inline constexpr int FaderFirstTickY = 21;
inline constexpr int FaderMinTickSpacing = 3;  // shadow line, highlight line, one blank row

// Number of values the track spans; the range always contains MinValue..MaxValue.
int faderSpan(int minValue, int maxValue);

// y of the cap's centre line for a thumb offset (the inverted position).
int faderCapCentreY(int height, int thumbOffset, int minValue, int maxValue);

// The thumb offset under a pointer at y, already clamped to the range.
int faderThumbOffsetAtY(int y, int height, int minValue, int maxValue);

// Rows of the tick marks, top to bottom. At most `ticks` rows, evenly spaced
// from FaderFirstTickY down to at most height - 5, never closer than
// FaderMinTickSpacing: a short fader shows fewer ticks instead of a smear.
std::vector<int> faderTickRows(int height, int ticks);

// Pan indicator ------------------------------------------------------------------

inline constexpr int PanMinWidth = 26;
inline constexpr int PanMinHeight = 15;

// Values per pixel of the pan scale; 1.0 when the range or the width leaves nothing.
double panScale(int width, int minValue, int maxValue);

// x of the position line for a value.
int panMarkerX(int width, int value, int minValue, int maxValue);

// x of the four evenly spaced scale marks; the fifth mark sits at width - 4.
int panScaleMarkX(int width, int index);

// LED gauge ------------------------------------------------------------------------

// a * b / c rounded to the nearest integer, halves away from zero; 0 when c is 0.
int mulDiv(int a, int b, int c);

}  // namespace quillon::geometry
