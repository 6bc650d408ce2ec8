#pragma once
#include <windows.h>

#include "platform/controls.h"

namespace zb {

// Paints a flat glyph button (no caption, a small image by its purpose).
void drawGlyphButton(const DRAWITEMSTRUCT& di, Ctl button);

}  // namespace zb
