#include "tools/orvik-level/TextureCheck.h"

#include <cstdio>

#include "platform/d3d8/d3d8.h"
#include "texload/DecodeImage.h"
#include "texload/ImageFormatName.h"
#include "texload/TextureFromFile.h"

namespace {

bool PowerOfTwo(unsigned n) { return n != 0 && (n & (n - 1)) == 0; }

std::string Hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

void CheckTexture(IDirect3DDevice8* device, LevelSource* source, Findings* findings, TextureSummary* texture) {
    Place place;
    place.file = texture->name;
    std::string error;
    std::string bytes;
    std::string path = source->FileOf(texture->name, &error);
    if (path.empty() || !source->Read(texture->name, &bytes, &error)) {
        texture->problem = error;
        findings->Error(place, error + "; its triangles are drawn untextured");
        return;
    }
    DecodedImage image;
    SourceImageInfo info{};
    ImageReader reader = ImageReader::None;
    HRESULT decoded = bytes.size() > 0xFFFFFFFFu
                          ? D3DXERR_INVALIDDATA
                          : DecodeImage(&image, bytes.data(), static_cast<UINT>(bytes.size()), &info, &reader);
    image.Clear();
    if (FAILED(decoded)) {
        texture->problem = "no reader takes it";
        findings->Error(place, "no image reader takes this file (not a bitmap, PPM, DDS, JPEG, PNG, TGA or bare "
                               "bitmap it can decode); its triangles are drawn untextured");
        return;
    }
    texture->reader = ImageReaderName(reader);
    texture->format = ImageFormatName(info.format);
    texture->width = info.width;
    texture->height = info.height;
    texture->storedLevels = info.mipLevels;
    if (device == nullptr) return;

    texture->deviceChecked = true;
    IDirect3DTexture8* loaded = nullptr;
    HRESULT result = TextureFromFile(device, path.c_str(), &loaded);
    if (FAILED(result) || loaded == nullptr) {
        texture->problem = "the texture loader fails (" + Hex(result) + ")";
        findings->Error(place, "the texture loader fails on it (" + Hex(result) + "); its triangles are drawn untextured");
        return;
    }
    D3DSURFACE_DESC desc{};
    loaded->GetLevelDesc(0, &desc);
    texture->loaded = true;
    texture->deviceFormat = ImageFormatName(desc.Format);
    texture->deviceWidth = desc.Width;
    texture->deviceHeight = desc.Height;
    texture->deviceLevels = loaded->GetLevelCount();
    loaded->Release();

    if (desc.Width != info.width || desc.Height != info.height)
        findings->Warning(place, "the device takes it as " + std::to_string(desc.Width) + " x " +
                                     std::to_string(desc.Height) + ", resampled from " + std::to_string(info.width) +
                                     " x " + std::to_string(info.height));
    if (texture->deviceLevels == 1 && (!PowerOfTwo(desc.Width) || !PowerOfTwo(desc.Height)) &&
        (desc.Width > 1 || desc.Height > 1))
        findings->Warning(place, "its size is not a power of two, so it gets no mip levels and shimmers when seen "
                                 "from afar");
}

}  // namespace

void CheckTextures(IDirect3DDevice8* device, LevelSource* source, Findings* findings, LevelSummary* summary) {
    for (TextureSummary& texture : summary->textures) {
        if (!texture.present || !texture.problem.empty()) continue;
        // A second slot of the same file: the same answers.
        const TextureSummary* same = nullptr;
        for (const TextureSummary& other : summary->textures) {
            if (&other == &texture) break;
            if (other.name == texture.name && other.present) same = &other;
        }
        if (same != nullptr) {
            int triangles = texture.triangles, index = texture.index;
            texture = *same;
            texture.triangles = triangles;
            texture.index = index;
            continue;
        }
        CheckTexture(device, source, findings, &texture);
    }
}
