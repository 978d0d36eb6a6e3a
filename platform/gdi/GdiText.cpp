// TextOutA: text in the context's colours and background mode, drawn with the
// layer's one font, DejaVu Sans from Debian's fonts-dejavu-core, through SDL_ttf.
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/gdi/GdiObjects.h"

namespace {

// Height of the font in pixels, near that of the Windows system font.
constexpr int FONT_PIXEL_SIZE = 14;

// Narrow text is in Windows code page 1250 (Central European, Polish
// included); the upper half of it in Unicode.
const uint16_t CODE_PAGE_1250[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021,
    0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

std::string ToUtf8(const char* text, int length) {
    std::string out;
    for (int i = 0; i < length; ++i) {
        unsigned byte = static_cast<unsigned char>(text[i]);
        unsigned code = byte < 0x80 ? byte : CODE_PAGE_1250[byte - 0x80];
        if (code == 0) code = ' ';  // a zero would end SDL_ttf's string early
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// The font, opened on first use; null (and said once) where there is none.
TTF_Font* DefaultFont() {
    static bool tried = false;
    static TTF_Font* font = nullptr;
    if (tried) return font;
    tried = true;
    if (!TTF_WasInit() && TTF_Init() != 0) {
        std::fprintf(stderr, "orvik: cannot start SDL_ttf: %s; TextOutA draws nothing\n", TTF_GetError());
        return nullptr;
    }
    const char* candidates[] = {
        std::getenv("ORVIK_FONT"),
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/TTF/DejaVuSans.ttf",
        "/usr/share/fonts/dejavu/DejaVuSans.ttf",
        "/usr/local/share/fonts/DejaVuSans.ttf",
    };
    for (const char* path : candidates) {
        if (path == nullptr || *path == '\0') continue;
        font = TTF_OpenFont(path, FONT_PIXEL_SIZE);
        if (font != nullptr) return font;
    }
    std::fprintf(stderr,
                 "orvik: no font for TextOutA (install fonts-dejavu-core or set ORVIK_FONT); text is not drawn\n");
    return nullptr;
}

}  // namespace

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    HDC__* context = GdiFindDC(dc);
    if (context == nullptr || (text == nullptr && length > 0) || length < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SDL_Surface* target = GdiTarget(context);
    if (target == nullptr) return FALSE;
    if (length == 0) return TRUE;
    TTF_Font* font = DefaultFont();
    if (font == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::string utf8 = ToUtf8(text, length);
    COLORREF fg = context->textColour, bg = context->backgroundColour;
    SDL_Color ink = {GetRValue(fg), GetGValue(fg), GetBValue(fg), 255};
    SDL_Color paper = {GetRValue(bg), GetGValue(bg), GetBValue(bg), 255};
    SDL_Surface* rendered = context->backgroundMode == OPAQUE ? TTF_RenderUTF8_Shaded(font, utf8.c_str(), ink, paper)
                                                              : TTF_RenderUTF8_Blended(font, utf8.c_str(), ink);
    if (rendered == nullptr) return FALSE;
    if (context->backgroundMode == OPAQUE) {
        SDL_SetColorKey(rendered, SDL_FALSE, 0);
        SDL_SetSurfaceBlendMode(rendered, SDL_BLENDMODE_NONE);
    }
    SDL_Rect at = {x, y, rendered->w, rendered->h};
    SDL_BlitSurface(rendered, nullptr, target, &at);
    SDL_FreeSurface(rendered);
    return TRUE;
}
