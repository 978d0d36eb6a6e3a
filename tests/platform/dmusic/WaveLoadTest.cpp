// Reading wave files without trusting them: sizes beyond the file, odd chunks,
// impossible formats, waves beyond the mixer's limit, conversion in pieces, and
// names that are no files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/dmusic/WaveData.h"
#include "platform/dmusic/dmusici.h"
#include "tests/support/NonRegularFiles.h"
#include "tests/support/TestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutTag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

struct Format {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 8000;
    uint16_t bits = 16;
    uint16_t blockAlign = 0;  // 0: channels * bits / 8
};

Bytes FormatChunk(const Format& f) {
    Bytes out;
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, f.tag);
    Put16(out, f.channels);
    Put32(out, f.rate);
    uint16_t align = f.blockAlign != 0 ? f.blockAlign : static_cast<uint16_t>(f.channels * f.bits / 8);
    Put32(out, f.rate * align);
    Put16(out, align);
    Put16(out, f.bits);
    return out;
}

// A wave file: header, the chunks given, then a data chunk declaring dataLength
// (its real bytes are data).
Bytes Wave(const Format& f, const Bytes& data, uint32_t dataLength, const Bytes& before = {}) {
    Bytes out;
    PutTag(out, "RIFF");
    Put32(out, 0xFFFFFFF0u);  // never relied on
    PutTag(out, "WAVE");
    out.insert(out.end(), before.begin(), before.end());
    Bytes format = FormatChunk(f);
    out.insert(out.end(), format.begin(), format.end());
    PutTag(out, "data");
    Put32(out, dataLength);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Samples16(const std::vector<int>& values) {
    Bytes out;
    for (int v : values) Put16(out, static_cast<uint16_t>(static_cast<int16_t>(v)));
    return out;
}

HRESULT Load(const Bytes& bytes, std::shared_ptr<const WaveData>* wave, size_t piece = WAVE_PIECE_FRAMES) {
    return LoadWaveMemory(bytes.data(), bytes.size(), nullptr, wave, piece);
}

TEST(WaveLoadTest, SizesAndChunksAreNotTrusted) {
    std::shared_ptr<const WaveData> wave;
    Bytes two = Samples16({16384, -16384});
    // A data chunk declaring more than the file holds plays what is there.
    ASSERT_EQ(Load(Wave({}, two, 0xFFFFFFFFu), &wave), S_OK);
    EXPECT_EQ(wave->Frames(), 2u);
    EXPECT_FLOAT_EQ(wave->samples[1], -0.5f);
    // Half a frame at the end is dropped.
    Bytes odd = two;
    odd.push_back(0x7F);
    ASSERT_EQ(Load(Wave({}, odd, 5), &wave), S_OK);
    EXPECT_EQ(wave->Frames(), 2u);
    // An odd-length chunk is followed by its pad byte.
    Bytes list;
    PutTag(list, "LIST");
    Put32(list, 3);
    list.insert(list.end(), {'a', 'b', 'c', 0});
    ASSERT_EQ(Load(Wave({}, two, 4, list), &wave), S_OK);
    EXPECT_EQ(wave->Frames(), 2u);
    // A chunk that claims to run past the end hides everything after it.
    Bytes endless;
    PutTag(endless, "junk");
    Put32(endless, 0xFFFFFFF0u);
    EXPECT_EQ(Load(Wave({}, two, 4, endless), &wave), DMUS_E_LOADER_FORMATNOTSUPPORTED);

    // Formats that cannot be played.
    Format zeroChannels;
    zeroChannels.channels = 0;
    Format zeroRate;
    zeroRate.rate = 0;
    Format hugeRate;
    hugeRate.rate = 0xFFFFFFFFu;
    Format nineChannels;
    nineChannels.channels = 9;
    Format oddBits;
    oddBits.bits = 12;
    Format wrongAlign;
    wrongAlign.blockAlign = 7;
    Format floats16;
    floats16.tag = 3;
    for (const Format& f : {zeroChannels, zeroRate, hugeRate, nineChannels, oddBits, wrongAlign, floats16})
        EXPECT_EQ(Load(Wave(f, two, 4), &wave), DMUS_E_LOADER_FORMATNOTSUPPORTED) << f.channels << " " << f.rate;
    // A format chunk shorter than its fields, no data chunk, or no RIFF header at all.
    Bytes cut = Wave({}, two, 4);
    cut[16] = 8;  // the format chunk's length
    EXPECT_EQ(Load(Bytes(cut.begin(), cut.begin() + 28), &wave), DMUS_E_LOADER_FORMATNOTSUPPORTED);
    Bytes noData = Wave({}, {}, 0);
    noData.resize(noData.size() - 8);
    EXPECT_EQ(Load(noData, &wave), DMUS_E_LOADER_FORMATNOTSUPPORTED);
    EXPECT_EQ(Load(Bytes{'R', 'I', 'F', 'F'}, &wave), DMUS_E_LOADER_FORMATNOTSUPPORTED);
    EXPECT_EQ(LoadWaveMemory(nullptr, 0, nullptr, &wave), DMUS_E_LOADER_FORMATNOTSUPPORTED);
}

// Converting a few frames at a time gives what one conversion of everything gives.
TEST(WaveLoadTest, PiecesMakeTheSameSamples) {
    std::vector<int> values;
    for (int i = 0; i < 6 * 1000; ++i) values.push_back((i * 7919) % 65536 - 32768);
    Bytes data = Samples16(values);
    Format six;
    six.channels = 6;  // mixed down to stereo
    Format stereo;
    stereo.channels = 2;
    for (const Format& f : {six, stereo}) {
        Bytes file = Wave(f, data, static_cast<uint32_t>(data.size()));
        std::shared_ptr<const WaveData> whole, pieces;
        ASSERT_EQ(Load(file, &whole), S_OK);
        ASSERT_EQ(Load(file, &pieces, 7), S_OK);
        EXPECT_EQ(whole->channels, 2);
        EXPECT_EQ(whole->Frames(), data.size() / (2u * f.channels));
        EXPECT_EQ(whole->samples, pieces->samples);
    }

    // 24-bit samples: the top two bytes give the value.
    Format deep;
    deep.bits = 24;
    Bytes samples = {0x00, 0x00, 0x40, 0x00, 0x00, 0xC0, 0xFF, 0xFF, 0x7F};
    std::shared_ptr<const WaveData> wave;
    ASSERT_EQ(Load(Wave(deep, samples, 9), &wave, 2), S_OK);
    ASSERT_EQ(wave->Frames(), 3u);
    EXPECT_FLOAT_EQ(wave->samples[0], 0.5f);
    EXPECT_FLOAT_EQ(wave->samples[1], -0.5f);
    EXPECT_NEAR(wave->samples[2], 1.0f, 1e-6);

    // Float samples that are no numbers play as silence.
    Format floats;
    floats.tag = 3;
    floats.bits = 32;
    Bytes odd;
    for (uint32_t bits : {0x7FC00000u, 0x7F800000u, 0x3F000000u}) Put32(odd, bits);
    ASSERT_EQ(Load(Wave(floats, odd, 12), &wave), S_OK);
    ASSERT_EQ(wave->Frames(), 3u);
    EXPECT_EQ(wave->samples[0], 0.0f);
    EXPECT_EQ(wave->samples[1], 0.0f);
    EXPECT_EQ(wave->samples[2], 0.5f);

    // A wave of many pieces at the default piece size keeps every frame in order.
    Format bytes8;
    bytes8.bits = 8;
    bytes8.channels = 2;
    Bytes ramp(2 * (3 * WAVE_PIECE_FRAMES + 5));
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i / 2);
    ASSERT_EQ(Load(Wave(bytes8, ramp, static_cast<uint32_t>(ramp.size())), &wave), S_OK);
    ASSERT_EQ(wave->Frames(), 3 * WAVE_PIECE_FRAMES + 5);
    for (size_t frame : {size_t{0}, WAVE_PIECE_FRAMES - 1, WAVE_PIECE_FRAMES, wave->Frames() - 1})
        EXPECT_FLOAT_EQ(wave->samples[2 * frame], static_cast<float>(frame % 256) / 128.0f - 1.0f) << frame;
}

// A wave whose float copy would pass the mixer's limit is refused before any
// conversion, with one line on standard error; the file need not be read.
TEST(WaveLoadTest, WavesBeyondTheLimitAreRefusedWithOneLine) {
    TempDir dir;
    std::string path = dir.File("SOUND.WAV");
    // 16-bit mono of 600 MiB: 1200 MiB as floats. The file is sparse.
    uint32_t dataBytes = 600u << 20;
    Bytes header = Wave({}, {}, dataBytes);
    ASSERT_TRUE(WriteFile(path, std::string(header.begin(), header.end())));
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(header.size() + dataBytes)), 0);
    std::shared_ptr<const WaveData> wave;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadWaveFile(path.c_str(), &wave), E_OUTOFMEMORY);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(wave, nullptr);
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

TEST(WaveLoadTest, NamesThatAreNoFilesFailAtOnce) {
    TempDir dir;
    NonRegularFiles special = MakeNonRegularFiles(dir, "SOUND");
    for (const std::string& name : special.All()) {
        SCOPED_TRACE(name);
        std::shared_ptr<const WaveData> wave;
        HRESULT result = S_OK;
        ASSERT_TRUE(ReturnsWithin(5, [&] { result = LoadWaveFile(name.c_str(), &wave); }, special.fifo));
        EXPECT_EQ(result, DMUS_E_LOADER_FAILEDOPEN);
        EXPECT_EQ(wave, nullptr);
    }
}

}  // namespace
