// MAP.MBM read into the triangle store and the device: the store's layout,
// the limits of the level model and damaged files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/DataPackage.h"
#include "platform/files/OwnedFiles.h"
#include "data/LevelLoader.h"
#include "data/PackageKey.h"
#include "data/TriangleStore.h"
#include "render/DrawList.h"
#include "render/Renderer.h"
#include "render/TextureSlot.h"
#include "render/TriangleGroup.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestWindow.h"
#include "tools/orvik-sample/ImageWriters.h"

namespace {

std::string Triangle(int texture, float base) {
    char line[256];
    std::snprintf(line, sizeof line, "%g 0 0 %g 1 0 %g 0 1 %d 0 0 1 0 0 1\n", base, base + 1, base, texture);
    return line;
}

std::string Bmp(uint8_t red) {
    Picture picture(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) picture.Set(x, y, red, 0, 0);
    Bytes bytes = WriteBmp24(picture);
    return std::string(bytes.begin(), bytes.end());
}

class LevelLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
        std::memset(TriangleStore, 0, sizeof TriangleStore);
        for (int i = 0; i < MAX_TEXTURES; ++i) {
            textureSlots[i] = TextureSlot();
            triangleGroups[i] = TriangleGroup();
        }
        drawList = DrawList();
        HWND window = ShowTestWindow();
        renderer = Renderer();
        renderer.Create(64, 64, window);
        ASSERT_NE(renderer.device, nullptr);
    }
    void TearDown() override {
        for (int i = 0; i < MAX_TEXTURES; ++i) {
            triangleGroups[i].Release();
            textureSlots[i].Release();
        }
        dataPackage.Close();
        dataPackage = DataPackage();
        ownedFiles.RemoveAll();
        renderer.Release();
        ASSERT_EQ(chdir(oldDir_), 0);
    }
    // Packs MAP.MBM with the given extra members, opens the package and loads the level.
    bool Load(const std::string& map, std::vector<std::pair<std::string, std::string>> members = {}) {
        members.insert(members.begin(), {"MAP.MBM", map});
        EXPECT_TRUE(WriteFile(dir_.File("DATA.MBP"), BuildPackage(members, PACKAGE_KEY)));
        dataPackage.Open("DATA.MBP");
        dataPackage.Extract("MAP.MBM");
        testing::internal::CaptureStderr();
        bool loaded = LoadLevel() == LevelResult::Loaded;
        messages_ = testing::internal::GetCapturedStderr();
        return loaded;
    }
    int Count(int group) { return TriangleStore[group][COUNT_RECORD].spare; }

    TempDir dir_;
    char oldDir_[4096];
    std::string messages_;
};

TEST_F(LevelLoaderTest, TrianglesGoToTheirTexturesGroupInFileOrder) {
    std::string map = "2 A.BMP B.BMP\n4\n" + Triangle(1, 10) + Triangle(0, 20) + Triangle(1, 30) +
                      // Values split over lines read the same.
                      "40\n0\n0\n41 1 0 40 0 1\n0\n0 0 1 0 0 1\n";
    ASSERT_TRUE(Load(map, {{"A.BMP", Bmp(200)}, {"B.BMP", Bmp(100)}}));
    EXPECT_EQ(Count(0), 2);
    EXPECT_EQ(Count(1), 2);
    EXPECT_EQ(TriangleStore[1][0].vertex[0].x, 10.0f);
    EXPECT_EQ(TriangleStore[1][1].vertex[0].x, 30.0f);
    EXPECT_EQ(TriangleStore[0][1].vertex[1].x, 41.0f);
    EXPECT_EQ(TriangleStore[0][1].vertex[1].u, 1.0f);
    EXPECT_EQ(drawList.count, 2);
    EXPECT_EQ(triangleGroups[1].triangleCount, 2);
    EXPECT_EQ(triangleGroups[1].textureSlot, &textureSlots[1]);
    EXPECT_NE(textureSlots[0].texture, nullptr);
    EXPECT_NE(textureSlots[1].texture, nullptr);
    // The vertex buffer holds vertex 3j + k = vertex k of record j.
    BYTE* data = nullptr;
    ASSERT_EQ(triangleGroups[1].vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const Vertex* vertices = reinterpret_cast<const Vertex*>(data);
    EXPECT_EQ(vertices[3].x, 30.0f);
    EXPECT_EQ(vertices[4].x, 31.0f);
    EXPECT_EQ(vertices[5].v, 1.0f);
    triangleGroups[1].vertexBuffer->Unlock();
    EXPECT_TRUE(messages_.empty()) << messages_;
    EXPECT_EQ(dataPackage.stream, nullptr);  // closed at the end of loading
}

TEST_F(LevelLoaderTest, AGroupHoldsExactly4000Triangles) {
    std::string map = "1 A.BMP\n4001\n";
    for (int i = 0; i < 4001; ++i) map += Triangle(0, static_cast<float>(i));
    ASSERT_TRUE(Load(map));
    // The 4000th triangle shares the last record with the count.
    EXPECT_EQ(Count(0), 4000);
    EXPECT_EQ(TriangleStore[0][COUNT_RECORD].vertex[0].x, 3999.0f);
    EXPECT_EQ(triangleGroups[0].triangleCount, 4000);
    EXPECT_NE(messages_.find("triangle 4000"), std::string::npos) << messages_;
}

TEST_F(LevelLoaderTest, IndicesOutsideTheLevelAreSkippedOrKeptUnbuilt) {
    std::string map = "1 A.BMP\n4\n" + Triangle(0, 1) + Triangle(5, 2) + Triangle(40, 3) + Triangle(-1, 4);
    ASSERT_TRUE(Load(map));
    EXPECT_EQ(Count(0), 1);
    EXPECT_EQ(Count(5), 1);  // stored, but group 5 is not built or drawn
    EXPECT_EQ(triangleGroups[5].vertexBuffer, nullptr);
    EXPECT_EQ(drawList.count, 1);
    EXPECT_NE(messages_.find("triangle 2 uses texture 40"), std::string::npos) << messages_;
    EXPECT_EQ(messages_.find("texture -1"), std::string::npos);  // one line for the first place only
}

TEST_F(LevelLoaderTest, TexturesBeyondFortyAndOverlongNamesAreNotLoaded) {
    std::string map = "42";
    std::vector<std::pair<std::string, std::string>> members;
    for (int i = 0; i < 42; ++i) {
        std::string name = "T" + std::to_string(i) + ".BMP";
        if (i == 3) name = std::string(300, 'N');
        map += " " + name;
        if (i != 3) members.push_back({name, Bmp(static_cast<uint8_t>(i))});
    }
    map += "\n1\n" + Triangle(39, 0);
    ASSERT_TRUE(Load(map, members));
    EXPECT_NE(textureSlots[39].texture, nullptr);
    EXPECT_EQ(textureSlots[3].texture, nullptr);
    EXPECT_FALSE(FileExists(dir_.File("T40.BMP")));
    EXPECT_EQ(drawList.count, 40);
    EXPECT_EQ(Count(39), 1);
    EXPECT_NE(messages_.find("42 textures"), std::string::npos) << messages_;
    EXPECT_NE(messages_.find("texture name 3"), std::string::npos) << messages_;
}

TEST_F(LevelLoaderTest, EmptyAndDamagedLevels) {
    ASSERT_TRUE(Load("0\n0\n"));
    EXPECT_EQ(drawList.count, 0);
    EXPECT_TRUE(messages_.empty());
    TearDown();
    SetUp();
    // A value that does not read ends the level; what came before is kept.
    ASSERT_TRUE(Load("1 A.BMP\n3\n" + Triangle(0, 1) + "1 2 3 x 5 6 7 8 9 0 0 0 0 0 0 0\n" + Triangle(0, 2)));
    EXPECT_EQ(Count(0), 1);
    EXPECT_EQ(triangleGroups[0].triangleCount, 1);
    EXPECT_NE(messages_.find("triangle 1 does not read"), std::string::npos) << messages_;
    TearDown();
    SetUp();
    // A group without triangles gets no buffer and draws nothing.
    ASSERT_TRUE(Load("2 A.BMP B.BMP\n1\n" + Triangle(1, 1)));
    EXPECT_EQ(triangleGroups[0].vertexBuffer, nullptr);
    EXPECT_NE(triangleGroups[1].vertexBuffer, nullptr);
    renderer.BeginFrame();
    drawList.DrawAll();
    renderer.EndFrame();
}

TEST_F(LevelLoaderTest, MissingMapLoadsNothingAndClosesThePackage) {
    ASSERT_TRUE(WriteFile(dir_.File("DATA.MBP"), BuildPackage({{"X", "x"}}, PACKAGE_KEY)));
    dataPackage.Open("DATA.MBP");
    EXPECT_EQ(LoadLevel(), LevelResult::MapUnreadable);
    EXPECT_EQ(dataPackage.stream, nullptr);
    EXPECT_EQ(drawList.count, 0);
}

}  // namespace
