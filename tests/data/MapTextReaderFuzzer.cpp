// libFuzzer target: the level file reader against fscanf on arbitrary text.
// The first input byte picks the conversions and the buffer's chunk size;
// any difference in a result, a value's bits or the text left aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/MapTextReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static MapTextReader reader;
    const uint8_t selector = data[0];
    const char* text = reinterpret_cast<const char*>(data + 1);
    size_t length = size - 1;
    std::FILE* expected = fmemopen(const_cast<char*>(text), length, "r");
    std::FILE* actual = fmemopen(const_cast<char*>(text), length, "r");
    if (expected == nullptr || actual == nullptr) std::abort();
    size_t chunk = selector & 0x80 ? MapTextReader::BUFFER_SIZE : 1 + (selector & 7);
    reader.Attach(actual, chunk);
    for (int i = 0; i < 24; ++i) {
        switch ((selector >> (i % 3 * 2)) & 3) {
        case 0:
        case 1: {
            float a = 7, b = 7;
            int ra = std::fscanf(expected, "%f", &a), rb = reader.ReadFloat(&b);
            if (ra != rb || std::memcmp(&a, &b, sizeof a) != 0) std::abort();
            break;
        }
        case 2: {
            int a = 7, b = 7;
            int ra = std::fscanf(expected, "%d", &a), rb = reader.ReadInt(&b);
            if (ra != rb || a != b) std::abort();
            break;
        }
        default: {
            char a[256] = "x", b[256] = "x";
            int ra = std::fscanf(expected, "%255s", a), rb = reader.ReadWord(b, 255);
            if (ra != rb || std::memcmp(a, b, sizeof a) != 0) std::abort();
        }
        }
    }
    for (int c; (c = std::fgetc(expected)) != EOF;)
        if (reader.ReadChar() != c) std::abort();
    if (reader.ReadChar() != EOF) std::abort();
    std::fclose(expected);
    reader.Close();
    return 0;
}
