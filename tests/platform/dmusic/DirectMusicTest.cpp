// The DirectMusic layer: loading, the performance's answers, and what reaches
// SDL's disk audio driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/dmusic/WaveData.h"
#include "platform/dmusic/dmusici.h"
#include "tests/music/DiskAudio.h"

namespace {

using namespace test_audio;

class DirectMusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                                   reinterpret_cast<void**>(&loader)),
                  S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC,
                                   IID_IDirectMusicPerformance8, reinterpret_cast<void**>(&performance)),
                  S_OK);
    }
    void TearDown() override {
        if (path != nullptr) path->Release();
        if (segment != nullptr) segment->Release();
        performance->CloseDown();
        EXPECT_EQ(performance->Release(), 0u);
        EXPECT_EQ(loader->Release(), 0u);
        CoUninitialize();
    }

    HRESULT Load(const std::string& file) {
        std::u16string name(file.begin(), file.end());
        return loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, name.data(),
                                          reinterpret_cast<void**>(&segment));
    }

    // Opens the device, loads the wave and plays it on a fresh path of this type.
    void Play(const std::string& file, DWORD pathType, DWORD repeats) {
        ASSERT_EQ(performance->InitAudio(nullptr, nullptr, nullptr, 0, 64, DMUS_AUDIOF_ALL, nullptr), S_OK);
        ASSERT_EQ(Load(file), S_OK);
        ASSERT_EQ(segment->SetRepeats(repeats), S_OK);
        ASSERT_EQ(segment->Download(performance), S_OK);
        ASSERT_EQ(performance->CreateStandardAudioPath(pathType, 64, TRUE, &path), S_OK);
        ASSERT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, path), S_OK);
    }

    DiskAudioScope disk;
    IDirectMusicLoader8* loader = nullptr;
    IDirectMusicPerformance8* performance = nullptr;
    IDirectMusicSegment8* segment = nullptr;
    IDirectMusicAudioPath8* path = nullptr;
};

TEST_F(DirectMusicTest, LoaderAnswersForFilesItCannotRead) {
    EXPECT_EQ(Load(disk.directory + "/missing.wav"), DMUS_E_LOADER_FAILEDOPEN);
    EXPECT_EQ(segment, nullptr);
    std::FILE* junk = std::fopen((disk.directory + "/junk.wav").c_str(), "wb");
    std::fputs("RIFF....WAVEjunk", junk);
    std::fclose(junk);
    EXPECT_EQ(Load(disk.directory + "/junk.wav"), DMUS_E_LOADER_FORMATNOTSUPPORTED);

    ASSERT_TRUE(WriteWave(disk.directory + "/a.wav", 8000, 1, 8, {128, 255}));
    std::u16string name(disk.directory.begin(), disk.directory.end());
    name += u"/a.wav";
    void* object = nullptr;
    EXPECT_EQ(loader->LoadObjectFromFile(CLSID_DirectMusicPerformance, IID_IUnknown, name.data(), &object),
              DMUS_E_LOADER_FAILEDCREATE);
    char16_t lone[] = {u'a', 0xD800, u'.', 0};
    EXPECT_EQ(loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IUnknown, lone, &object),
              DMUS_E_LOADER_BADPATH);
    char16_t empty[] = {0};
    EXPECT_EQ(loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IUnknown, empty, &object),
              DMUS_E_LOADER_NOFILENAME);
    EXPECT_EQ(object, nullptr);
}

TEST_F(DirectMusicTest, WideNamesAreReadAsUtf8WithBackslashes) {
    std::filesystem::create_directories(disk.directory + "/muzyka");
    ASSERT_TRUE(WriteWave(disk.directory + "/muzyka/d\xC5\xBAwi\xC4\x99k.wav", 8000, 1, 8, {128}));
    std::u16string name(disk.directory.begin(), disk.directory.end());
    name += u"\\muzyka\\d\u017Awi\u0119k.wav";
    EXPECT_EQ(loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, name.data(),
                                         reinterpret_cast<void**>(&segment)),
              S_OK);
}

TEST_F(DirectMusicTest, WavesDecodeToFloatAtTheirOwnRate) {
    std::shared_ptr<const WaveData> wave;
    ASSERT_TRUE(WriteWave(disk.directory + "/u8.wav", 11025, 1, 8, {128, 192, 64, 255}));
    ASSERT_EQ(LoadWaveFile((disk.directory + "/u8.wav").c_str(), &wave), S_OK);
    EXPECT_EQ(wave->rate, 11025);
    EXPECT_EQ(wave->channels, 1);
    ASSERT_EQ(wave->Frames(), 4u);
    EXPECT_FLOAT_EQ(wave->samples[0], 0.0f);
    EXPECT_FLOAT_EQ(wave->samples[1], 0.5f);
    EXPECT_FLOAT_EQ(wave->samples[2], -0.5f);

    ASSERT_TRUE(WriteWave(disk.directory + "/s16.wav", 48000, 2, 16, {16384, -32768, -8192, 32767}));
    ASSERT_EQ(LoadWaveFile((disk.directory + "/s16.wav").c_str(), &wave), S_OK);
    EXPECT_EQ(wave->rate, 48000);
    EXPECT_EQ(wave->channels, 2);
    ASSERT_EQ(wave->Frames(), 2u);
    EXPECT_FLOAT_EQ(wave->samples[0], 0.5f);
    EXPECT_FLOAT_EQ(wave->samples[1], -1.0f);
    EXPECT_FLOAT_EQ(wave->samples[2], -0.25f);
}

TEST_F(DirectMusicTest, CallsBeforeInitAudioAndAfterCloseDownFail) {
    IDirectMusicAudioPath* made = reinterpret_cast<IDirectMusicAudioPath*>(1);
    EXPECT_EQ(performance->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_MONO, 64, TRUE, &made), DMUS_E_NOT_INIT);
    EXPECT_EQ(made, nullptr);
    ASSERT_TRUE(WriteWave(disk.directory + "/a.wav", 8000, 1, 8, {128, 255}));
    ASSERT_EQ(Load(disk.directory + "/a.wav"), S_OK);
    EXPECT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr),
              DMUS_E_NOT_INIT);
    EXPECT_EQ(performance->Stop(nullptr, nullptr, 0, 0), DMUS_E_NOT_INIT);

    ASSERT_EQ(performance->InitAudio(nullptr, nullptr, nullptr, DMUS_APATH_SHARED_STEREOPLUSREVERB, 64,
                                     DMUS_AUDIOF_ALL, nullptr),
              S_OK);
    EXPECT_EQ(performance->InitAudio(nullptr, nullptr, nullptr, 0, 64, 0, nullptr), DSERR_ALREADYINITIALIZED);
    EXPECT_EQ(performance->CreateStandardAudioPath(99, 64, TRUE, &made), E_INVALIDARG);
    ASSERT_EQ(performance->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_MONO, 64, TRUE, &path), S_OK);

    IDirectSoundBuffer8* buffer = nullptr;
    EXPECT_EQ(path->GetObjectInPath(DMUS_PCHANNEL_ALL, DMUS_PATH_BUFFER, 1, GUID_NULL, 0, IID_IDirectSoundBuffer8,
                                    reinterpret_cast<void**>(&buffer)),
              DMUS_E_NOT_FOUND);
    ASSERT_EQ(path->GetObjectInPath(DMUS_PCHANNEL_ALL, DMUS_PATH_BUFFER, 0, GUID_NULL, 0, IID_IDirectSoundBuffer8,
                                    reinterpret_cast<void**>(&buffer)),
              S_OK);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-600), DS_OK);
    LONG volume = 0;
    EXPECT_EQ(buffer->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -600);
    buffer->Release();

    EXPECT_EQ(path->Activate(FALSE), S_OK);
    EXPECT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, path),
              DMUS_E_AUDIOPATH_INACTIVE);
    EXPECT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), S_OK);

    EXPECT_EQ(performance->CloseDown(), S_OK);
    EXPECT_EQ(path->Activate(TRUE), DMUS_E_NOT_INIT);
    EXPECT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, path),
              DMUS_E_NOT_INIT);
}

TEST_F(DirectMusicTest, StopSilencesAtOnce) {
    const std::vector<int> wave = Tone(500, 10000);
    ASSERT_TRUE(WriteWave(disk.directory + "/loop.wav", 44100, 1, 16, wave));
    Play(disk.directory + "/loop.wav", DMUS_APATH_DYNAMIC_STEREO, DMUS_SEG_REPEAT_INFINITE);
    Wait(200);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_OK);
    ASSERT_EQ(performance->Stop(nullptr, nullptr, 0, 0), S_OK);
    long stoppedAt = FileSize(disk.output) / 8;
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_FALSE);
    Wait(200);
    std::vector<float> left = ReadLeft(disk.output);
    // What the device had already taken may still come out; after that, nothing.
    const long settled = stoppedAt + 2 * 1024;
    ASSERT_GT(static_cast<long>(left.size()), settled + 2048);
    for (size_t k = settled; k < left.size(); ++k) ASSERT_EQ(left[k], 0.0f) << k;
    LoopMatch match = MatchRepeatedWave(left, wave, 1.0f);
    EXPECT_GT(match.matched, 5 * wave.size());
    EXPECT_LE(match.start + match.matched, static_cast<size_t>(settled));
}

TEST_F(DirectMusicTest, ResampledLoopHasNoGapOrClickAtTheSeam) {
    // A sine of whole periods at half the device rate: stepped up and looped, it
    // stays a sine, with no jump larger than the wave's own steepest step.
    const int frames = 441;
    std::vector<int> wave(frames);
    for (int i = 0; i < frames; ++i) wave[i] = static_cast<int>(20000 * std::sin(2.0 * M_PI * 4.0 * i / frames));
    ASSERT_TRUE(WriteWave(disk.directory + "/half.wav", 22050, 1, 16, wave));
    Play(disk.directory + "/half.wav", DMUS_APATH_DYNAMIC_MONO, DMUS_SEG_REPEAT_INFINITE);
    Wait(300);
    long playedTo = FileSize(disk.output) / 8;
    performance->CloseDown();
    std::vector<float> left = ReadLeft(disk.output);

    float steepest = 0.0f;
    for (int i = 0; i < frames; ++i)
        steepest = std::max(steepest, std::fabs(static_cast<float>(wave[(i + 1) % frames] - wave[i])) / 32768.0f);
    size_t start = 0;
    while (start < left.size() && left[start] == 0.0f) ++start;
    ASSERT_GT(playedTo - static_cast<long>(start), 8 * frames);
    float jump = 0.0f;
    for (long k = start; k + 1 < playedTo; ++k) jump = std::max(jump, std::fabs(left[k + 1] - left[k]));
    EXPECT_LE(jump, 0.5f * steepest + 1e-4f);  // two output frames per wave frame
    EXPECT_GT(jump, 0.4f * steepest);
}

TEST_F(DirectMusicTest, FiniteRepeatsEndAndUndownloadedSegmentsAreSilent) {
    const std::vector<int> wave = Tone(441, 10000);
    ASSERT_TRUE(WriteWave(disk.directory + "/short.wav", 44100, 1, 16, wave));
    Play(disk.directory + "/short.wav", DMUS_APATH_DYNAMIC_MONO, 2);
    Wait(300);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_FALSE);
    ASSERT_EQ(segment->Unload(performance), S_OK);
    IDirectMusicSegmentState* state = nullptr;
    ASSERT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, &state, nullptr, path), S_OK);
    ASSERT_NE(state, nullptr);
    Wait(100);
    EXPECT_EQ(performance->Stop(nullptr, state, 0, 0), S_OK);
    state->Release();
    performance->CloseDown();

    std::vector<float> left = ReadLeft(disk.output);
    LoopMatch match = MatchRepeatedWave(left, wave, 1.0f);
    EXPECT_EQ(match.matched, 3 * wave.size());  // played once and repeated twice
    for (size_t k = match.start + match.matched; k < left.size(); ++k) ASSERT_EQ(left[k], 0.0f) << k;
}

TEST_F(DirectMusicTest, NothingToRepeatEndsAtOnce) {
    ASSERT_TRUE(WriteWave(disk.directory + "/empty.wav", 44100, 1, 16, {}));
    EXPECT_NE(Load(disk.directory + "/empty.wav"), S_OK);
    // A segment made directly holds no wave.
    ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicSegment, nullptr, CLSCTX_INPROC, IID_IDirectMusicSegment8,
                               reinterpret_cast<void**>(&segment)),
              S_OK);
    ASSERT_EQ(performance->InitAudio(nullptr, nullptr, nullptr, DMUS_APATH_DYNAMIC_STEREO, 64, 0, nullptr), S_OK);
    ASSERT_EQ(segment->SetRepeats(DMUS_SEG_REPEAT_INFINITE), S_OK);
    ASSERT_EQ(segment->Download(performance), S_OK);
    ASSERT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), S_OK);
    Wait(50);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_FALSE);
}

TEST(DirectMusicNoDevice, InitAudioFailsAndTheRestSaysNotInitialised) {
    CoInitialize(nullptr);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    IDirectMusicPerformance8* performance = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC, IID_IDirectMusicPerformance8,
                               reinterpret_cast<void**>(&performance)),
              S_OK);
    EXPECT_EQ(performance->InitAudio(nullptr, nullptr, nullptr, 1, 64, DMUS_AUDIOF_ALL, nullptr), DSERR_NODRIVER);
    IDirectMusicAudioPath* path = nullptr;
    EXPECT_EQ(performance->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_MONO, 64, TRUE, &path), DMUS_E_NOT_INIT);
    EXPECT_EQ(performance->CloseDown(), S_OK);
    EXPECT_EQ(performance->Release(), 0u);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    CoUninitialize();
}

}  // namespace
