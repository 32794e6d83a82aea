#pragma once

#include "ground/windows/Model.h"

// Picture boxes: the program prints lines into them; the window paints those
// lines in the box's font, each cut at the right edge, nothing wrapped on screen.

// Blank space between a box's edge and its text, on every side.
inline constexpr int kPictureMargin = 2;

// Width available to the text of a box.
inline int PictureInnerWidth(const Control& box)
{
    return box.width > 2 * kPictureMargin ? box.width - 2 * kPictureMargin : 0;
}

// Clears a box onto a background colour.
inline void ClearPicture(Control& box, unsigned colour)
{
    box.backColor = colour;
    box.lines.clear();
    ++box.draws;
}
