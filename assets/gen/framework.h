// The window framework's own resources that the program carries without using
// them: button glyphs, a preview glyph and the drag, split and wait cursors.
#pragma once

#include <string>
#include <vector>

#include "assets/gen/formats.h"

namespace carpex::assetgen {

// A 16-colour glyph of a button: the glyph as shown, and beside it the same
// glyph greyed out for a disabled button. The lower-left pixel, olive, is the
// transparent colour.
struct NamedGlyph {
  std::string name;  // "BBOK"
  IndexedImage image;
};

// BBABORT .. BBYES, 36 x 18 (BBALL 36 x 19), in resource order.
std::vector<NamedGlyph> DrawButtonGlyphs();
// PREVIEWGLYPH, 16 x 16.
IndexedImage DrawPreviewGlyph();
// The seven monochrome 32 x 32 cursors, groups 32761 to 32767.
std::vector<MonoCursor> DrawCursors();

}  // namespace carpex::assetgen
