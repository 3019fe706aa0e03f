// What the gradient progress bar shows, worked out without any window: how
// many columns are filled, the colour of each, the percentage text and the
// colour it is written in.
#pragma once

#include <string>

#include "ControlColor.h"

namespace torvan {

// Columns filled for a position within [.., upper], over a bar `width` pixels
// wide. Always within 0..width: a negative position fills nothing, and an
// upper bound of 0 or below (no range yet) fills nothing instead of dividing
// by zero.
int GradientFilledWidth(int width, int position, int upper);

// Colour of column `column` of a gradient laid over the whole width: the
// start colour at column 0, approaching (never reaching) the end colour at
// the right edge, whatever part of the bar is filled.
Color GradientColumnColor(Color start, Color end, int width, int column);

// The position as a whole percentage of the upper bound ("42%"); "0%" while
// there is no positive upper bound.
std::string GradientPercentText(int position, int upper);

// The text colour until the fill reaches the middle, its inverse from there.
Color GradientTextColor(Color text, int filled, int width);

}  // namespace torvan
