// The sample level played by the viewer into SDL's disk audio driver: the
// music loops for as long as the path runs and nothing sounds after it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/music/DiskAudio.h"
#include "tests/support/TestSupport.h"

namespace {

// The rate the music device is opened with when nothing else is asked for.
constexpr int kDeviceRate = 44100;

struct Wave {
    int rate = 0;
    std::vector<int16_t> samples;  // mono
};

// The sample's SOUND.WAV: a plain 44-byte header, 16-bit mono PCM.
bool ReadSampleWave(const std::string& file, Wave* wave) {
    std::string bytes;
    if (!ReadFile(file, &bytes) || bytes.size() < 44 || bytes.compare(36, 4, "data") != 0) return false;
    auto word = [&](size_t at, int size) {
        uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    if (word(22, 2) != 1 || word(34, 2) != 16) return false;
    wave->rate = static_cast<int>(word(24, 4));
    uint32_t size = word(40, 4);
    if (size > bytes.size() - 44) return false;
    for (size_t at = 44; at + 1 < 44 + size; at += 2) wave->samples.push_back(static_cast<int16_t>(word(at, 2)));
    return true;
}

TEST(SampleMusic, LoopsWhileThePathPlaysAndIsSilentAfterItsEnd) {
    TempDir root;
    const std::string work = root.File("work");
    const std::string sample = root.File("sample");
    const std::string output = root.File("music.raw");
    ASSERT_EQ(::mkdir(work.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(sample.c_str(), 0700), 0);

    Wave wave;
    std::vector<float> left;
    size_t period = 0;
    // The path must outlast the music's first pass; a fast machine gets a longer one.
    for (int records = 150; records <= 1200; records *= 2) {
        ChildOptions options;
        options.workDir = root.Path();
        ChildRun made = RunChild({BuiltProgram("tools/orvik-sample/orvik-sample"), "--pack", work + "/DATA.MBP",
                                  "--dir", sample, "--records", std::to_string(records)},
                                 options);
        ASSERT_EQ(made.exitCode, 0) << made.output;
        wave = Wave();
        ASSERT_TRUE(ReadSampleWave(sample + "/SOUND.WAV", &wave));
        ASSERT_GT(wave.samples.size(), 1000u);
        ASSERT_EQ(kDeviceRate % wave.rate, 0);
        period = wave.samples.size() * (kDeviceRate / wave.rate);

        options.workDir = work;
        options.env = {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", output}};
        options.timeoutSeconds = 300;
        ChildRun run = RunChild({BuiltProgram("shell/orvik")}, options);
        ASSERT_FALSE(run.timedOut) << run.output;
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(ListDir(work), std::vector<std::string>{"DATA.MBP"});
        left = test_audio::ReadLeft(output);
        if (left.size() > period + period / 4 + kDeviceRate) break;
    }

    size_t start = 0;
    while (start < left.size() && left[start] == 0.0f) ++start;
    size_t end = left.size();
    while (end > start && left[end - 1] == 0.0f) --end;
    ASSERT_GT(end - start, period + period / 8) << "the music did not play past its first pass";

    // The first pass is the wave itself: every wave sample lands on every
    // second device frame, the frames between are blends. The wave may begin
    // with silent samples, so its start is looked for just before the first sound.
    bool matched = false;
    for (size_t offset = start >= 4 ? start - 4 : 0; offset <= start && !matched; ++offset) {
        matched = true;
        for (size_t i = 0; i < wave.samples.size() && matched; ++i)
            matched = std::fabs(left[offset + 2 * i] - wave.samples[i] / 32768.0f) < 1e-4f;
    }
    EXPECT_TRUE(matched) << "the output does not begin with the sample's music";

    // From the first sound to the last, the output repeats with the wave's
    // period, across the seam and up to where the run stopped it: nothing
    // else ever sounds.
    size_t differing = 0;
    for (size_t k = start + period; k < end; ++k)
        if (left[k] != left[k - period]) ++differing;
    EXPECT_EQ(differing, 0u);
}

}  // namespace
