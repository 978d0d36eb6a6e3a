#include "data/MapTextReader.h"

#include <cstdint>
#include <cstring>

#include "data/DecimalScan.h"

#include "platform/files/RegularFile.h"

namespace {

// The C locale's classes; the viewer never changes locale.
bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

// The reader's buffer as a source of the number scanner.
struct BufferSource {
    MapTextReader& reader;
    int Get() { return reader.Get(); }
    void Unget(int c) { reader.Unget(c); }
    int Mark() { return 0; }
    void Restore(int, int count, int) { reader.pos_ -= count + 1; }
};

bool MapTextReader::Open(const char* path) {
    std::FILE* file = OpenRegularFile(path, "r");
    if (file == nullptr) return false;
    // The reader's own buffer is the only one: the stream reads straight into it.
    std::setvbuf(file, nullptr, _IONBF, 0);
    Attach(file);
    return true;
}

void MapTextReader::Attach(std::FILE* file, size_t chunkSize) {
    Close();
    file_ = file;
    chunkSize_ = chunkSize == 0 || chunkSize > BUFFER_SIZE ? BUFFER_SIZE : chunkSize;
    pos_ = end_ = buffer_;
    bufferStart_ = 0;
    atEnd_ = false;
    readFailed_ = false;
}

void MapTextReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    pos_ = end_ = buffer_;
    atEnd_ = true;
}

bool MapTextReader::Refill() {
    if (atEnd_ || file_ == nullptr) return false;
    // The last few characters move to the front, where a scan can go back to them.
    size_t kept = static_cast<size_t>(end_ - buffer_);
    if (kept > KEPT_BEHIND) kept = KEPT_BEHIND;
    bufferStart_ += static_cast<uint64_t>(end_ - buffer_) - kept;
    std::memmove(buffer_, end_ - kept, kept);
    size_t n = std::fread(buffer_ + kept, 1, chunkSize_, file_);
    pos_ = buffer_ + kept;
    end_ = pos_ + n;
    if (n == 0) {
        atEnd_ = true;
        readFailed_ = std::ferror(file_) != 0;
    }
    return n != 0;
}

void MapTextReader::SkipSpace() {
    for (;;) {
        while (pos_ != end_ && IsSpace(static_cast<unsigned char>(*pos_))) ++pos_;
        if (pos_ != end_ || !Refill()) return;
    }
}

// The common case, "[sign]digits[.digits]" ending well inside the buffer, read
// straight from it. False, with nothing taken, for anything else.
bool MapTextReader::ReadPlainDecimal(uint64_t* mantissa, int* fractionDigits, bool* negative, bool allowPoint) {
    if (end_ - pos_ < PLAIN_LOOKAHEAD) return false;
    const char* p = pos_;
    const char* limit = pos_ + PLAIN_LOOKAHEAD - 1;
    *negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    uint64_t m = 0;
    const char* first = p;
    while (p != limit && IsDigit(*p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
    int digits = static_cast<int>(p - first);
    int fraction = 0;
    if (allowPoint && *p == '.') {
        const char* point = ++p;
        while (p != limit && IsDigit(*p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
        fraction = static_cast<int>(p - point);
    }
    // The character after must end the number whatever came before it.
    int next = static_cast<unsigned char>(*p);
    if (p == limit || digits + fraction == 0 || digits + fraction > 19 || IsDigit(next) || next == '.' ||
        next == 'e' || next == 'E')
        return false;
    *mantissa = m;
    *fractionDigits = fraction;
    pos_ = p;
    return true;
}

int MapTextReader::ReadInt(int* value) {
    SkipSpace();
    uint64_t m;
    int fraction;
    bool negative;
    if (ReadPlainDecimal(&m, &fraction, &negative, false)) {
        // At most 19 digits: within strtol's range except past 2^63.
        int64_t v = m > uint64_t(INT64_MAX) ? (negative ? INT64_MIN : INT64_MAX)
                                            : (negative ? -static_cast<int64_t>(m) : static_cast<int64_t>(m));
        *value = static_cast<int>(static_cast<uint32_t>(v));
        return 1;
    }
    BufferSource source{*this};
    return ScanDecimalInt(source, number_, value);
}

int MapTextReader::ReadFloat(float* value) {
    SkipSpace();
    uint64_t m;
    int fraction;
    bool negative;
    const char* start = pos_;
    if (ReadPlainDecimal(&m, &fraction, &negative, true)) {
        if (m == 0) {
            *value = negative ? -0.0f : 0.0f;
            return 1;
        }
        if (ScannedNumber::FastFloat(m, -fraction, negative, value)) return 1;
        pos_ = start;  // the full conversion below
    }
    BufferSource source{*this};
    return ScanDecimalFloat(source, number_, value);
}

int MapTextReader::ReadWord(char* word, int width) {
    SkipSpace();
    int c = Get();
    if (c == EOF) return EOF;
    int k = 0;
    do {
        if (IsSpace(c)) {
            Unget(c);
            break;
        }
        word[k++] = static_cast<char>(c);
    } while (--width > 0 && (c = Get()) != EOF);
    word[k] = 0;
    return 1;
}
