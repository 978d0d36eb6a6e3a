// libFuzzer target: the level file reader against the plain reading of the
// number grammar on arbitrary text. The first input byte picks the conversions
// and the buffer's chunk size; any difference in a result, a value's bits or
// the text left aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/MapTextReader.h"
#include "tests/data/GrammarReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static MapTextReader reader;
    const uint8_t selector = data[0];
    const char* text = reinterpret_cast<const char*>(data + 1);
    size_t length = size - 1;
    GrammarReference expected(std::string(text, length));
    std::FILE* actual = fmemopen(const_cast<char*>(text), length, "r");
    if (actual == nullptr) std::abort();
    size_t chunk = selector & 0x80 ? MapTextReader::BUFFER_SIZE : 1 + (selector & 7);
    reader.Attach(actual, chunk);
    for (int i = 0; i < 24; ++i) {
        switch ((selector >> (i % 3 * 2)) & 3) {
        case 0:
        case 1: {
            float a = 7, b = 7;
            int ra = expected.ReadFloat(&a), rb = reader.ReadFloat(&b);
            if (ra != rb || std::memcmp(&a, &b, sizeof a) != 0) std::abort();
            break;
        }
        case 2: {
            int a = 7, b = 7;
            int ra = expected.ReadInt(&a), rb = reader.ReadInt(&b);
            if (ra != rb || a != b) std::abort();
            break;
        }
        default: {
            char a[256] = "x", b[256] = "x";
            int ra = expected.ReadWord(a, 255), rb = reader.ReadWord(b, 255);
            if (ra != rb || std::memcmp(a, b, sizeof a) != 0) std::abort();
        }
        }
    }
    std::string rest = expected.Rest();
    for (char c : rest)
        if (reader.ReadChar() != static_cast<unsigned char>(c)) std::abort();
    if (reader.ReadChar() != EOF) std::abort();
    reader.Close();
    return 0;
}
