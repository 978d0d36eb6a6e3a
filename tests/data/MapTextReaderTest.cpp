// The level file reader against a plain reading of the number grammar (and
// that reference against fscanf where the two agree): every conversion's
// result, the value's bits and what is left in the stream must match.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "data/LevelLoader.h"
#include "data/MapTextReader.h"
#include "tests/data/GrammarReference.h"

namespace {

// Opens the text as a stream (an empty text as an empty file).
std::FILE* OpenText(const std::string& text) {
    if (text.empty()) return std::fopen("/dev/null", "r");
    return fmemopen(const_cast<char*>(text.data()), text.size(), "r");
}

std::string Rest(std::FILE* file) {
    std::string rest;
    for (int c; (c = std::fgetc(file)) != EOF;) rest += static_cast<char>(c);
    return rest;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string Rest(MapTextReader& reader) {
    std::string rest;
    for (int c; (c = reader.ReadChar()) != EOF;) rest += static_cast<char>(c);
    return rest;
}

// Runs the conversions named by ops ('d' "%d", 'f' "%f", 's' "%255s") one by
// one on the reader and the reference, going on after failures as the level
// loader may.
void ExpectSameReads(const std::string& text, const char* ops, size_t chunk = MapTextReader::BUFFER_SIZE) {
    static MapTextReader reader;
    GrammarReference expected(text);
    reader.Attach(OpenText(text), chunk);
    for (const char* op = ops; *op; ++op) {
        if (*op == 'f') {
            float a = 7, b = 7;
            int ra = expected.ReadFloat(&a);
            int rb = reader.ReadFloat(&b);
            ASSERT_EQ(ra, rb) << "\"" << text << "\" " << ops;
            ASSERT_TRUE(SameBits(a, b)) << "\"" << text << "\" " << ops << ": " << a << " vs " << b;
        } else if (*op == 'd') {
            int a = 7, b = 7;
            int ra = expected.ReadInt(&a);
            int rb = reader.ReadInt(&b);
            ASSERT_EQ(ra, rb) << "\"" << text << "\" " << ops;
            ASSERT_EQ(a, b) << "\"" << text << "\" " << ops;
        } else {
            char a[256] = "x", b[256] = "x";
            int ra = expected.ReadWord(a, 255);
            int rb = reader.ReadWord(b, 255);
            ASSERT_EQ(ra, rb) << "\"" << text << "\" " << ops;
            ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "\"" << text << "\" " << ops;
        }
    }
    ASSERT_EQ(expected.Rest(), Rest(reader)) << "\"" << text << "\" " << ops;
    reader.Close();
}

// The reference against fscanf on a text where the grammar and the C
// library agree (plain decimal numbers, no bare exponent letter).
void ExpectReferenceIsFscanf(const std::string& text, const char* op) {
    GrammarReference reference(text);
    std::FILE* file = OpenText(text);
    ASSERT_NE(file, nullptr);
    if (*op == 'f') {
        float a = 7, b = 7;
        ASSERT_EQ(reference.ReadFloat(&a), std::fscanf(file, "%f", &b)) << text;
        ASSERT_TRUE(SameBits(a, b)) << text;
    } else {
        int a = 7, b = 7;
        ASSERT_EQ(reference.ReadInt(&a), std::fscanf(file, "%d", &b)) << text;
        ASSERT_EQ(a, b) << text;
    }
    ASSERT_EQ(reference.Rest(), Rest(file)) << text;
    std::fclose(file);
}

// Short texts end near the buffer's end; the reader takes plain numbers
// straight from the buffer only well before it, so padded copies check that way.
std::string Padded(const std::string& text, const char* padding = " ") {
    std::string padded = text;
    if (*padding == 0) padding = " ";
    while (padded.size() < text.size() + 2 * MapTextReader::PLAIN_LOOKAHEAD) padded += padding;
    return padded;
}

void ExpectSameEverywhere(const std::string& text) {
    for (const char* ops : {"f", "d", "ff", "fd", "df", "dd", "fffd", "dfff", "sf"}) {
        ExpectSameReads(text, ops);
        ExpectSameReads(text, ops, 1);
        ExpectSameReads(text, ops, 3);
        ExpectSameReads(Padded(text), ops);
        ExpectSameReads(Padded(text, "\n"), ops);
        ExpectSameReads(Padded(text, text.c_str()), ops);
    }
}

TEST(MapTextReaderTest, HandWrittenTextsReadByTheGrammar) {
    const char* texts[] = {
        // plain numbers, signs, white space, values split over lines
        "0", "-0", "+0", "-0.0", "12", "-12.5", "+.5", "5.", "  \n\t\v\f\r 3.25", "1\n2", "1.5 2.5", "1\n.5",
        "-0e5", "007", "-007.0100",
        // exponents and partial exponents
        "1e5", "1E-5", "1e+5", "1e", "1e+", "1e-x", "1ex", "100ergs", "1e5e3", "1.2.3", "1e+-5", ".e1", "1.e2",
        // nothing that reads: what is taken and what stays
        "-", "+", "+-1", "-+1", ".", "-.", "- 1", "x", "e5", "--1", "\x01", "\xff",
        // infinities, NaNs and hexadecimal are no numbers: "-0x14" is -0 and "x14"
        "nan", "-nan", "+NaN", "NaN(123)", "nan()", "na", "nax", "n", "inf", "-INF", "infinity", "-Infinity", "infin",
        "infix", "infx", "infinitx", "infinit", "in", "iNfInItY5", "i",
        "0x", "0X", "0x.", "-0x.", "0xp3", "0x1p", "0x1p-", "0x1.8p3", "0X1P-2", "0x.8", "0x1.", "0x1e3", "0xg",
        "0x1.fffffep127", "0x1.ffffffp127", "0x1p-149", "0x1p-150", "0x1.8p-150", "0x1p128", "-0x0p0",
        "0x123456789abcdef0123456789abcdefp0",
        // limits: float overflow and underflow, denormals, halfway cases
        "3.4028235e38", "3.40282357e38", "3.4028236e38", "1e39", "-1e39", "1e-38", "1.1754942e-38", "1e-45",
        "1.4e-45", "7e-46", "7.1e-46", "1e-46", "1e-50", "16777217", "16777216.5", "33554434.9999", "8388608.5",
        "1.00000005960464477539062500000001", "1.000000059604644775390625", "0.1", "0.3", "2.5e-8",
        "0e99999999999999999999", "1e-99999999999999999", "1e99999999999999999", "1e0000000000000000000000003",
        "123456789012345678901234567890e-10", "0.00000000000000000000000000000000000000000000140129846432481707",
        // integers: overflow keeps strtol's saturation narrowed to int
        "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967297", "12345678901234567890",
        "9223372036854775807", "9223372036854775808", "-9223372036854775808", "-9223372036854775809",
        "99999999999999999999", "-99999999999999999999", "0x10", "1.5", "-1.5e3",
        // a short file, and an empty one
        "", " ", "\n\n",
    };
    for (const char* text : texts) ExpectSameEverywhere(text);
    ExpectSameEverywhere(std::string("1\0 2", 4));
}

TEST(MapTextReaderTest, WhatTheGrammarTakesAndLeaves) {
    struct Case {
        const char* text;
        int result;
        float value;
        const char* rest;
    };
    const Case cases[] = {
        {"-0x14 0", 1, -0.0f, "x14 0"}, {"-1e 5", 1, -1.0f, "e 5"}, {"1e+x", 1, 1.0f, "e+x"},
        {"2E-", 1, 2.0f, "E-"},         {"inf", 0, 7.0f, "inf"},    {"-nan", 0, 7.0f, "nan"},
        {"-.x", 0, 7.0f, "x"},          {"2.5E-1;", 1, 0.25f, ";"}, {"1,5", 1, 1.0f, ",5"},
    };
    for (const Case& c : cases)
        for (size_t chunk : {size_t(1), size_t(2), size_t(3), MapTextReader::BUFFER_SIZE}) {
            MapTextReader reader;
            reader.Attach(OpenText(c.text), chunk);
            float value = 7.0f;
            EXPECT_EQ(reader.ReadFloat(&value), c.result) << c.text;
            EXPECT_TRUE(SameBits(value, c.value)) << c.text << ": " << value;
            EXPECT_EQ(Rest(reader), c.rest) << c.text << " chunk " << chunk;
        }
    // Where the C library reads the same, the reference is fscanf.
    for (const char* text : {"0", "-12.5e3x", "+.5", "5.", "1E-5", "1.e2", "-", "+-1", ".", "-.", "x", "1.2.3",
                             "007", " \n 3", "", "99999999999999999999", "1.5"}) {
        ExpectReferenceIsFscanf(text, "f");
        ExpectReferenceIsFscanf(text, "d");
    }
}

TEST(MapTextReaderTest, LongDigitStringsReadByTheGrammar) {
    std::string ones(2000, '1');
    std::string zeros(3000, '0');
    const std::string texts[] = {
        ones, "-" + ones, "0." + zeros + "1", "0." + zeros + ones, "1" + zeros, "1" + zeros + "e-3000",
        "1" + zeros + "e-3020", zeros + "1.5", "1." + zeros + "1", "1." + ones + "e-4000", ones + "e" + ones,
        ones + "e-" + ones, "0x" + ones + "p-8000", "0x0." + zeros + "1p12000", "0x1." + zeros + "1p0",
        // halfway between 1 and the next float, decided only by a digit far out
        "1.000000059604644775390625" + zeros + "1", "1.000000059604644775390625" + zeros,
        "0x1.000001" + zeros + "1p0", "0x1.000001" + zeros + "p0",
    };
    for (const std::string& text : texts) ExpectSameEverywhere(text);
}

TEST(MapTextReaderTest, RandomTextsReadByTheGrammar) {
    std::mt19937 random(6);
    const std::string alphabet = "0123456789012345678901234567890123456789..eE+-+-xXpPnaifntyNI  \n\tAbBq";
    const char* opSets[] = {"ffff", "dddd", "fdfd", "dfdf", "fffd", "sfd"};
    for (int i = 0; i < 30000; ++i) {
        std::string text;
        int length = random() % 16;
        for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
        ExpectSameReads(text, opSets[random() % 6], 1 + random() % 8);
        ExpectSameReads(Padded(text, i % 2 ? " " : text.c_str()), opSets[random() % 6]);
        if (HasFatalFailure()) return;
    }
}

TEST(MapTextReaderTest, RandomNumbersReadByTheGrammarAndAsFscanfReadsThem) {
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> anyBits;
    for (int i = 0; i < 40000; ++i) {
        char text[160];
        uint32_t bits = anyBits(random);
        float f;
        std::memcpy(&f, &bits, 4);
        double d = std::ldexp(static_cast<double>(random()) / 4294967296.0, static_cast<int>(random() % 300) - 150);
        switch (i % 8) {
            case 0: std::snprintf(text, sizeof text, "%.9g", f); break;
            case 1: std::snprintf(text, sizeof text, "%.17g", d); break;
            case 2: std::snprintf(text, sizeof text, "%f", d * 1e6); break;
            case 3: std::snprintf(text, sizeof text, "%.*e", static_cast<int>(random() % 25), d); break;
            case 4: std::snprintf(text, sizeof text, "%a", f); break;
            case 5: std::snprintf(text, sizeof text, "%.3f", (static_cast<int>(random() % 2000000) - 1000000) / 1000.0); break;
            case 6: {
                // random digits with a point and an exponent anywhere
                int n = 1 + random() % 30, k = 0;
                for (int j = 0; j < n; ++j) text[k++] = static_cast<char>('0' + random() % 10);
                if (random() % 2) text[random() % n] = '.';
                std::snprintf(text + k, sizeof text - k, "e%d", static_cast<int>(random() % 100) - 60);
                break;
            }
            default: std::snprintf(text, sizeof text, "%.8g", static_cast<double>(f) * (1 + 1e-8)); break;
        }
        ExpectSameReads(text, "f", 1 + random() % 5);
        ExpectSameReads(Padded(text, i % 3 ? " " : text), "fd");
        // Decimal numbers with whole exponents: the grammar is the C library's here.
        bool finite = std::strpbrk(text, "nN") == nullptr;  // "%.9g" also writes "nan" and "inf"
        if (i % 8 != 4 && finite) ExpectReferenceIsFscanf(text, "f");
        if (i % 8 == 5) ExpectReferenceIsFscanf(text, "d");
        if (HasFatalFailure()) return;
    }
}

TEST(MapTextReaderTest, WordsAreCutAt255CharactersAndTheRestStays) {
    std::string longName(300, 'n');
    ExpectSameReads("  a.bmp\tb.png\n" + longName + " tail", "sssss");
    ExpectSameReads(longName + "\n5", "sd");
    ExpectSameReads(std::string(255, 'x') + " 1", "sf", 7);
    ExpectSameReads(std::string("n\0ul x", 6), "ss");
}

// The sixteen values of a triangle entry as the level loader reads them,
// against the reference read value by value, stopping at the first failure.
int ReferenceTriangle(GrammarReference& in, Vertex v[3], int* textureIndex) {
    float* values[16] = {&v[0].x, &v[0].y, &v[0].z, &v[1].x, &v[1].y, &v[1].z, &v[2].x, &v[2].y,
                         &v[2].z, nullptr, &v[0].u, &v[0].v, &v[1].u, &v[1].v, &v[2].u, &v[2].v};
    for (int i = 0; i < 16; ++i) {
        int r = i == 9 ? in.ReadInt(textureIndex) : in.ReadFloat(values[i]);
        if (r != 1) return r == EOF && i == 0 ? EOF : i;
    }
    return 16;
}

void ExpectSameTriangle(const std::string& text, size_t chunk) {
    static MapTextReader reader;
    GrammarReference expected(text);
    reader.Attach(OpenText(text), chunk);
    for (int record = 0; record < 3; ++record) {
        Vertex a[3] = {}, b[3] = {};
        int ga = -7, gb = -7;
        int ra = ReferenceTriangle(expected, a, &ga);
        int rb = ReadTriangleText(reader, b, &gb);
        ASSERT_EQ(ra, rb) << text;
        ASSERT_EQ(ga, gb) << text;
        ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << text;
    }
    ASSERT_EQ(expected.Rest(), Rest(reader)) << text;
    reader.Close();
}

TEST(MapTextReaderTest, TriangleEntriesReadValueByValue) {
    const char* texts[] = {
        "1 2 3 4 5 6 7 8 9 0 0.1 0.2 0.3 0.4 0.5 0.6\n-1 -2 -3 -4 -5 -6 -7 -8 -9 39 1 1 1 1 1 1\n",
        // the index read as an integer: "1.5" gives 1 and ".5" is the next value
        "1 2 3 4 5 6 7 8 9 1.5 2 3 4 5 6\n",
        "1 2 3 4 5 6 7 8 9 -3e2 1 1 1 1 1 1",
        "1\n2\n3\n4 5 6\n7 8\n9\n2\n0.5 0.5\n0.5 0.5\n0.5\n0.5\n",
        // short and malformed records
        "1 2 3 4 5 6 7 8 9 0 0.1 0.2", "1 2 3 x 5", "1 2 3 4 5 6 7 8 9 - 1 1 1 1 1 1", "", "   \n",
        "1 2 3 4 5 6 7 8 9 0 1 1 1 1 1 1 nan inf -inf 0x1p3 1e 5 6 7 8 +2 1 1 1 1 1 1",
    };
    for (const char* text : texts) {
        ExpectSameTriangle(text, 5);
        ExpectSameTriangle(Padded(text, text), MapTextReader::BUFFER_SIZE);
    }
}

}  // namespace
