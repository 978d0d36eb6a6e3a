#include "platform/dmusic/WideFileName.h"

bool WideFileNameToUtf8(const WCHAR* name, std::string* out) {
    out->clear();
    for (const WCHAR* p = name; *p != 0; ++p) {
        char32_t code = *p;
        if (code >= 0xD800 && code <= 0xDBFF) {
            char32_t low = p[1];
            if (low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            ++p;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        if (code == u'\\') code = u'/';
        if (code < 0x80) {
            out->push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (code >> 6)));
            out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (code >> 12)));
            out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (code >> 18)));
            out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return true;
}
