#include "platform/files/JournalText.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHeaderWord = "orvik-journal";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A name from its hexadecimal form: 1 to 79 bytes, no zero byte, no '/'.
bool DecodeName(const char* hex, size_t length, char (&name)[80]) {
    if (length == 0 || length % 2 != 0 || length / 2 >= sizeof name) return false;
    for (size_t i = 0; i < length / 2; ++i) {
        int high = HexValue(hex[2 * i]);
        int low = HexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        char c = static_cast<char>(high * 16 + low);
        if (c == '\0' || c == '/') return false;
        name[i] = c;
    }
    name[length / 2] = '\0';
    return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

}  // namespace

void FormatJournalHeader(const FileIdentity& self, char (&out)[JOURNAL_LINE_SIZE]) {
    std::snprintf(out, sizeof out, "%s 1 %" PRIu64 " %" PRIu64 "\n", kHeaderWord, self.device, self.inode);
}

void FormatJournalLine(const char* kind, const char* name, const FileIdentity* identity,
                       char (&out)[JOURNAL_LINE_SIZE]) {
    int used = identity != nullptr
                   ? std::snprintf(out, sizeof out, "%s %" PRIu64 " %" PRIu64 " %" PRId64 " %" PRId64 " ", kind,
                                   identity->device, identity->inode, identity->size, identity->modifiedNs)
                   : std::snprintf(out, sizeof out, "%s ", kind);
    static const char kDigits[] = "0123456789abcdef";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != 0 && used + 3 < JOURNAL_LINE_SIZE;
         ++p) {
        out[used++] = kDigits[*p >> 4];
        out[used++] = kDigits[*p & 15];
    }
    out[used++] = '\n';
    out[used] = '\0';
}

bool JournalReader::NextLine(const char** start, size_t* length) {
    if (pos_ >= end_) return false;
    const char* newline = static_cast<const char*>(std::memchr(pos_, '\n', static_cast<size_t>(end_ - pos_)));
    // A last line without its line feed was cut short by the interruption.
    if (newline == nullptr) {
        pos_ = end_;
        return false;
    }
    *start = pos_;
    *length = static_cast<size_t>(newline - pos_);
    pos_ = newline + 1;
    return true;
}

bool JournalReader::ReadHeader(const FileIdentity& self) {
    const char* line = nullptr;
    size_t length = 0;
    if (!NextLine(&line, &length) || length >= JOURNAL_LINE_SIZE) return false;
    char expected[JOURNAL_LINE_SIZE];
    FormatJournalHeader(self, expected);
    return length + 1 == std::strlen(expected) && std::memcmp(line, expected, length + 1) == 0;
}

bool JournalReader::Next(JournalEntry* entry) {
    const char* line = nullptr;
    size_t length = 0;
    while (NextLine(&line, &length)) {
        if (length >= JOURNAL_LINE_SIZE) continue;
        char copy[JOURNAL_LINE_SIZE];
        std::memcpy(copy, line, length);
        copy[length] = '\0';
        char hex[JOURNAL_LINE_SIZE];
        uint64_t device = 0, inode = 0;
        int64_t size = 0, modified = 0;
        int consumed = 0;
        if (std::sscanf(copy, "made %" SCNu64 " %" SCNu64 " %" SCNd64 " %" SCNd64 " %255[0-9a-f]%n", &device, &inode,
                        &size, &modified, hex, &consumed) == 5 &&
            consumed == static_cast<int>(length) && DecodeName(hex, std::strlen(hex), entry->name)) {
            entry->made = true;
            entry->identity = FileIdentity{device, inode, size, modified};
            return true;
        }
        if (std::sscanf(copy, "temp %255[0-9a-f]%n", hex, &consumed) == 1 && consumed == static_cast<int>(length) &&
            DecodeName(hex, std::strlen(hex), entry->name)) {
            entry->made = false;
            entry->identity = FileIdentity{0, 0, 0, 0};
            return true;
        }
    }
    return false;
}
