#include "tests/texload/TexloadTestSupport.h"

#include <fstream>
#include <list>
#include <iterator>

#include "texload/ByteOrder.h"
#include "tools/orvik-image/ImageToRgba.h"

std::vector<uint8_t> ReadTestFile(const std::string& relativePath)
{
    std::ifstream in(std::string(ORVIK_TEST_DATA_DIR) + "/" + relativePath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HRESULT Decode(const std::vector<uint8_t>& bytes, DecodedImage* image, ImageReader* reader)
{
    return DecodeImage(image, bytes.data(), (UINT)bytes.size(), nullptr, reader);
}

HRESULT Decode(std::vector<uint8_t>&& bytes, DecodedImage* image, ImageReader* reader)
{
    static std::list<std::vector<uint8_t>> kept;
    kept.push_back(std::move(bytes));
    return Decode(kept.back(), image, reader);
}

std::vector<uint8_t> Rgba(const DecodedImage& image)
{
    std::vector<uint8_t> rgba;
    if (!ImageToRgba(image, &rgba)) rgba.clear();
    return rgba;
}

uint32_t Pixel32(const DecodedImage& image, int x, int y)
{
    return ReadLe32(image.pixels + (size_t)y * image.rowPitch + (size_t)x * 4);
}

uint16_t Pixel16(const DecodedImage& image, int x, int y)
{
    return ReadLe16(image.pixels + (size_t)y * image.rowPitch + (size_t)x * 2);
}

uint8_t Pixel8(const DecodedImage& image, int x, int y)
{
    return image.pixels[(size_t)y * image.rowPitch + x];
}
