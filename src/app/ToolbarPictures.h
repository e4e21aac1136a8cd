#pragma once

#include <QPixmap>

// The two 16 x 16 pictures of the frame's toolbar (its image list), drawn in code.
namespace ToolbarPictures {

// Button 1: a tools picture, an open-ended spanner.
QPixmap Tools();
// Button 2: an information picture, a white "i" on a blue disc.
QPixmap Information();

} // namespace ToolbarPictures
