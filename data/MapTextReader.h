// Reads a level text file with the results of formatted reads ("%d", "%f",
// "%Ns", fgetc) of the text files' number grammar (data/DecimalScan.h): the
// same values, the same characters taken, but through one large fixed buffer
// and its own number scanning, several times faster than fscanf. Plain
// decimal numbers convert directly; longer ones through strtof/strtol in a
// form that gives the same result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "data/ScannedNumber.h"

class MapTextReader {
public:
    static constexpr size_t BUFFER_SIZE = 1 << 16;
    static constexpr int PLAIN_LOOKAHEAD = 48;
    // Characters kept before the buffer's new contents at a refill, so that an
    // "e", its sign and the character after them can be put back.
    static constexpr size_t KEPT_BEHIND = 4;

    // Opens the file in text mode; false when it cannot be opened or is not a
    // regular file (a FIFO or device is never waited for).
    bool Open(const char* path);
    // Reads from an open stream, chunkSize bytes at a time (at most
    // BUFFER_SIZE). The reader closes it.
    void Attach(std::FILE* file, size_t chunkSize = BUFFER_SIZE);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // True once reading the file failed (an I/O error, not its end).
    bool ReadFailed() const { return readFailed_; }

    // Each returns 1 when the value was stored, 0 when the text does not
    // read, EOF at the end, as a formatted read of that one conversion does.
    int ReadInt(int* value);
    int ReadFloat(float* value);
    // "%<width>s": up to width characters and a terminating zero.
    int ReadWord(char* word, int width);
    // fgetc.
    int ReadChar() { return Get(); }
    // How many bytes of the file the reads so far have taken: where the next
    // read starts, for tools that point at a place in the text.
    uint64_t Offset() const { return bufferStart_ + static_cast<uint64_t>(pos_ - buffer_); }

private:
    int Get() {
        if (pos_ == end_ && !Refill()) return EOF;
        return static_cast<unsigned char>(*pos_++);
    }
    void Unget(int c) {
        if (c != EOF) --pos_;
    }
    bool Refill();
    bool ReadPlainDecimal(uint64_t* mantissa, int* fractionDigits, bool* negative, bool allowPoint);
    void SkipSpace();

    friend struct BufferSource;

    std::FILE* file_ = nullptr;
    size_t chunkSize_ = BUFFER_SIZE;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
    bool atEnd_ = false;
    bool readFailed_ = false;
    ScannedNumber number_;
    char buffer_[KEPT_BEHIND + BUFFER_SIZE];
};
