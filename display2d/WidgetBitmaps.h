// The arrow bitmaps the memo and choose boxes load, relative to the working directory.
#pragma once

constexpr const char* UP_ARROW_BITMAP = "GUI\\MBUP.BMP";
constexpr const char* DOWN_ARROW_BITMAP = "GUI\\MBDOWN.BMP";
