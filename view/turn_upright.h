// TurnUpright: turns a decoded page by the orientation the JPEG decoder reports
// (EXIF values 1, 3, 6 and 8), so that every page reaches layout and drawing
// upright. Runs on the loader thread and on the user-interface thread alike; it
// touches only the page it is given.
//
// The turned picture goes into a new pixel block sized for its new dimensions
// (stride by the new width, rows bottom-up, 4 spare bytes); the old block is
// released only once the new one is filled. When the new block cannot be had, or
// the picture is not one that can be turned, the page stays as decoded.
#pragma once

#include <cstdint>

#include "view/page_image.h"

// Orientation 1: nothing to do. 6: a quarter turn clockwise (width and height
// swap). 8: a quarter turn anticlockwise (they swap). Any other value: a half
// turn. Only 8- and 24-bit bottom-up pictures are turned, and only when the
// turned block stays below 4 GiB. True when the page is upright afterwards.
bool TurnUpright(PageImage* page, int32_t orientation);
