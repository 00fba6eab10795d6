// text.h - text setting for the pictures: fontconfig finds a bold Latin face and a
// Japanese gothic face, FreeType renders coverage masks, and styled text (gradient fill,
// outline, drop shadow) is composited onto a canvas.
#ifndef VORLANE_TOOLS_ASSETGEN_TEXT_H
#define VORLANE_TOOLS_ASSETGEN_TEXT_H

#include <string>

#include "tools/assetgen/canvas.h"

namespace assetgen {

enum class Face { Bold, Gothic };

struct TextStyle {
    Face face = Face::Bold;
    int size = 20;                  // pixel size of the em
    Rgba top = Rgb(255, 255, 255);  // fill gradient across the capital height
    Rgba bottom = Rgb(255, 255, 255);
    float outline = 0.0f;  // outline radius in pixels, 0 for none
    Rgba outlineColor = Rgb(0, 0, 0);
    int shadow = 0;  // drop shadow offset (down and right), 0 for none
    Rgba shadowColor = Rgb(0, 0, 0, 160);
    float tracking = 0.0f;  // extra space between letters
};

enum class Align { Left, Center, Right };

// Opens the fonts once; false (and Fail) when a face cannot be found or opened.
bool InitFonts();
void ShutdownFonts();
std::string FontPath(Face face);

float TextWidth(const std::string& utf8, const TextStyle& style);
// Draws text in the box (x, y, w, h): horizontally by align, capitals centred vertically.
void DrawTextBox(Canvas& c, const std::string& utf8, const TextStyle& style, float x, float y,
                 float w, float h, Align align = Align::Center);

}  // namespace assetgen

#endif
