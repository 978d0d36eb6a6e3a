#include "data/StreamNumbers.h"

#include "data/DecimalScan.h"

namespace {

// One character of push-back is all a stream promises; an "e" that turns out
// not to start an exponent is put back by seeking to the place after it.
struct StreamSource {
    std::FILE* file;
    int Get() { return std::getc(file); }
    void Unget(int c) {
        if (c != EOF) std::ungetc(c, file);
    }
    long Mark() { return std::ftell(file); }
    void Restore(long mark, int, int e) {
        if (mark >= 0 && std::fseek(file, mark, SEEK_SET) == 0) std::ungetc(e, file);
    }
};

}  // namespace

void SkipStreamSpace(std::FILE* file) {
    int c;
    while ((c = std::getc(file)) == ' ' || (c >= '\t' && c <= '\r')) {
    }
    if (c != EOF) std::ungetc(c, file);
}

int ReadStreamFloat(std::FILE* file, float* value) {
    SkipStreamSpace(file);
    StreamSource source{file};
    ScannedNumber number;
    return ScanDecimalFloat(source, number, value);
}

int ReadStreamInt(std::FILE* file, int* value) {
    SkipStreamSpace(file);
    StreamSource source{file};
    ScannedNumber number;
    return ScanDecimalInt(source, number, value);
}
