// The journal's text: a header line that carries the journal's own identity,
// then one line per step, names written in hexadecimal so that any byte of a
// name survives.
//
//   orvik-journal 1 DEVICE INODE
//   temp HEXNAME                 a temporary file is about to be made
//   made DEVICE INODE SIZE MTIME HEXNAME
//                                that file, in this state, takes the name
#pragma once

#include <cstddef>

#include "platform/files/RegularFile.h"

constexpr int JOURNAL_LINE_SIZE = 256;

struct JournalEntry {
    bool made;              // a named file with its identity; else a temporary name
    FileIdentity identity;  // for made entries
    char name[80];
};

void FormatJournalHeader(const FileIdentity& self, char (&out)[JOURNAL_LINE_SIZE]);
void FormatJournalLine(const char* kind, const char* name, const FileIdentity* identity,
                       char (&out)[JOURNAL_LINE_SIZE]);

class JournalReader {
public:
    JournalReader(const char* text, size_t length) : text_(text), end_(text + length), pos_(text) {}
    // True when the first line is a journal header naming exactly self.
    bool ReadHeader(const FileIdentity& self);
    // The next well-formed entry; lines that do not read are passed over.
    bool Next(JournalEntry* entry);

private:
    bool NextLine(const char** start, size_t* length);
    const char* text_;
    const char* end_;
    const char* pos_;
};
