// The music player end to end: a wave played through the DirectMusic layer
// into SDL's disk audio driver, and the chain's behaviour when a step fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"
#include "tests/music/DiskAudio.h"

namespace {

using namespace test_audio;

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        loader = MusicLoader();
        player = MusicPlayer();
        loader.Create();
        ASSERT_NE(loader.loader, nullptr);
        original = std::filesystem::current_path();
        std::filesystem::current_path(disk.directory);
    }
    void TearDown() override {
        player.Stop();
        loader.Release();
        std::filesystem::current_path(original);
        CoUninitialize();
    }

    DiskAudioScope disk;
    std::filesystem::path original;
    MusicLoader loader;
    MusicPlayer player;
};

TEST_F(MusicPlayerTest, ShortTrackRepeatsSampleForSampleThenStops) {
    const std::vector<int> wave = Tone(1000, 12000);  // about 23 ms at 44100
    ASSERT_TRUE(WriteWave("SOUND.WAV", 44100, 1, 16, wave));
    player.Create(u"SOUND.WAV", &loader);
    ASSERT_NE(player.performance, nullptr);
    ASSERT_NE(player.segment, nullptr);
    ASSERT_NE(player.audioPath, nullptr);
    ASSERT_NE(player.soundBuffer, nullptr);
    EXPECT_TRUE(player.audioReady);
    player.SetRepeats(0);
    DWORD repeats = 0;
    player.segment->GetRepeats(&repeats);
    EXPECT_EQ(repeats, DMUS_SEG_REPEAT_INFINITE);
    player.Play();
    Wait(400);
    player.Stop();
    EXPECT_EQ(player.performance, nullptr);
    EXPECT_EQ(player.segment, nullptr);
    EXPECT_EQ(player.audioPath, nullptr);
    EXPECT_EQ(player.soundBuffer, nullptr);

    long closedSize = FileSize(disk.output);
    Wait(100);
    EXPECT_EQ(FileSize(disk.output), closedSize);  // the device is closed: no more sound
    std::vector<float> left = ReadLeft(disk.output);
    LoopMatch match = MatchRepeatedWave(left, wave, 1.0f);
    EXPECT_GT(match.matched, 5 * wave.size());  // several seams crossed without a gap
    for (size_t k = match.start + match.matched; k < left.size(); ++k) ASSERT_EQ(left[k], 0.0f) << k;
}

TEST_F(MusicPlayerTest, VolumeOfMinusSixDecibelsHalvesTheAmplitude) {
    const std::vector<int> wave = Tone(441, 16000);
    ASSERT_TRUE(WriteWave("SOUND.WAV", 44100, 1, 16, wave));
    player.Create(u"SOUND.WAV", &loader);
    player.SetRepeats(0);
    player.Play();
    Wait(250);
    long before = FileSize(disk.output) / 8;
    player.SetVolume(-600);
    Wait(250);
    long after = FileSize(disk.output) / 8;
    player.Stop();
    std::vector<float> left = ReadLeft(disk.output);
    ASSERT_GT(after, before + 4096);

    auto peak = [&](long from, long to) {
        float most = 0.0f;
        for (long k = from; k < to; ++k) most = std::max(most, std::fabs(left[k]));
        return most;
    };
    float loud = peak(before - 2048, before);
    float quiet = peak(before + 2048, after);
    ASSERT_GT(loud, 0.4f);
    EXPECT_NEAR(quiet / loud, 0.5, 0.5 * 0.03);
}

TEST_F(MusicPlayerTest, RepeatCounts) {
    ASSERT_TRUE(WriteWave("SOUND.WAV", 22050, 1, 8, std::vector<int>(100, 200)));
    player.Create(u"SOUND.WAV", &loader);
    ASSERT_NE(player.segment, nullptr);
    DWORD repeats = 0;
    player.SetRepeats(3);
    player.segment->GetRepeats(&repeats);
    EXPECT_EQ(repeats, 3u);
    player.SetRepeats(-1);  // no change
    player.segment->GetRepeats(&repeats);
    EXPECT_EQ(repeats, 3u);
}

TEST_F(MusicPlayerTest, MissingOrUnplayableFilePlaysOnInSilence) {
    player.Create(u"SOUND.WAV", &loader);  // not there
    EXPECT_EQ(player.segment, nullptr);
    EXPECT_NE(player.performance, nullptr);
    player.SetRepeats(0);
    player.Play();
    player.SetVolume(-600);
    player.Stop();
    player.Stop();  // twice: nothing left to release

    std::FILE* junk = std::fopen("SOUND.WAV", "wb");
    ASSERT_NE(junk, nullptr);
    std::fputs("not a wave file at all", junk);
    std::fclose(junk);
    player.Create(u"SOUND.WAV", &loader);
    EXPECT_EQ(player.segment, nullptr);
    player.Play();
    player.Stop();
}

TEST(MusicPlayerFailures, NoSoundDeviceOrNoLoaderLeavesEverythingEmpty) {
    CoInitialize(nullptr);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    MusicLoader loader;
    loader.Create();
    MusicPlayer player;
    player.Create(u"SOUND.WAV", &loader);
    EXPECT_NE(player.performance, nullptr);  // created, but without a device
    EXPECT_FALSE(player.audioReady);         // so it is asked for nothing more
    EXPECT_EQ(player.audioPath, nullptr);
    EXPECT_EQ(player.soundBuffer, nullptr);
    player.SetRepeats(0);
    player.Play();
    player.SetVolume(-600);
    player.Stop();
    loader.Release();
    loader.Release();
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    CoUninitialize();  // COM down: nothing can be created at all
    MusicLoader noCom;
    noCom.Create();
    EXPECT_EQ(noCom.loader, nullptr);
    MusicPlayer silent;
    silent.Create(u"SOUND.WAV", &noCom);
    EXPECT_EQ(silent.performance, nullptr);
    silent.SetRepeats(0);
    silent.Play();
    silent.Stop();
    noCom.Release();
}

}  // namespace
