#include "tools/orvik-image/TextureCommands.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <strings.h>
#include <vector>

#include "platform/win32/PngWriter.h"
#include "texload/FilterWord.h"
#include "texload/MipFilter.h"
#include "texload/PixelFormatTable.h"
#include "texload/SurfaceBlit.h"
#include "texload/TextureFromFile.h"
#include "tools/orvik-image/DdsWriter.h"
#include "tools/orvik-image/SurfaceToRgba.h"
#include "tools/orvik-image/ToolDevice.h"

namespace {

enum { EXIT_OK = 0, EXIT_USAGE = 2, EXIT_IO = 3, EXIT_UNSUPPORTED = 4 };

struct NamedFormat {
    const char* name;
    D3DFORMAT format;
};

const NamedFormat FORMAT_NAMES[] = {
    {"R8G8B8", D3DFMT_R8G8B8},     {"A8R8G8B8", D3DFMT_A8R8G8B8}, {"X8R8G8B8", D3DFMT_X8R8G8B8},
    {"R5G6B5", D3DFMT_R5G6B5},     {"X1R5G5B5", D3DFMT_X1R5G5B5}, {"A8P8", D3DFMT_A8P8},
    {"P8", D3DFMT_P8},             {"A1R5G5B5", D3DFMT_A1R5G5B5}, {"A4R4G4B4", D3DFMT_A4R4G4B4},
    {"R3G3B2", D3DFMT_R3G3B2},     {"A8", D3DFMT_A8},             {"A8R3G3B2", D3DFMT_A8R3G3B2},
    {"X4R4G4B4", D3DFMT_X4R4G4B4}, {"L8", D3DFMT_L8},             {"A8L8", D3DFMT_A8L8},
    {"A4L4", D3DFMT_A4L4},         {"V8U8", D3DFMT_V8U8},         {"L6V5U5", D3DFMT_L6V5U5},
    {"X8L8V8U8", D3DFMT_X8L8V8U8}, {"Q8W8V8U8", D3DFMT_Q8W8V8U8}, {"V16U16", D3DFMT_V16U16},
    {"W11V11U10", D3DFMT_W11V11U10}, {"UYVY", D3DFMT_UYVY},       {"YUY2", D3DFMT_YUY2},
    {"DXT1", D3DFMT_DXT1},         {"DXT2", D3DFMT_DXT2},         {"DXT3", D3DFMT_DXT3},
    {"DXT4", D3DFMT_DXT4},         {"DXT5", D3DFMT_DXT5},
};

const char* NameOf(D3DFORMAT format) {
    for (const NamedFormat& named : FORMAT_NAMES) {
        if (named.format == format) return named.name;
    }
    return "UNKNOWN";
}

const PALETTEENTRY* PaletteOf(const DecodedImage& image) {
    static_assert(sizeof(PaletteEntry) == sizeof(PALETTEENTRY));
    return image.palette ? reinterpret_cast<const PALETTEENTRY*>(image.palette->entries) : nullptr;
}

// Loads the picture into level `level` of the texture.
HRESULT LoadLevel(IDirect3DTexture8* texture, UINT level, const DecodedImage& image, DWORD filter) {
    IDirect3DSurface8* surface = nullptr;
    HRESULT hr = texture->GetSurfaceLevel(level, &surface);
    if (FAILED(hr)) return hr;
    hr = BlitToSurface(surface, nullptr, nullptr, image.pixels, image.format, image.rowPitch, PaletteOf(image),
                       &image.rect, filter, 0);
    surface->Release();
    return hr;
}

}  // namespace

D3DFORMAT PixelFormatByName(const char* name) {
    for (const NamedFormat& named : FORMAT_NAMES) {
        if (strcasecmp(named.name, name) == 0) return named.format;
    }
    return D3DFMT_UNKNOWN;
}

bool FilterByName(const char* name, DWORD* filter) {
    std::string text = name;
    size_t plus = text.find('+');
    std::string base = text.substr(0, plus);
    static const char* const kinds[] = {"none", "point", "linear", "triangle", "box"};
    DWORD value = 0;
    for (DWORD i = 0; i < 5; ++i) {
        if (strcasecmp(base.c_str(), kinds[i]) == 0) value = i + 1;
    }
    if (value == 0) return false;
    while (plus != std::string::npos) {
        size_t next = text.find('+', plus + 1);
        std::string flag = text.substr(plus + 1, next == std::string::npos ? std::string::npos : next - plus - 1);
        if (strcasecmp(flag.c_str(), "dither") == 0) {
            value |= FILTER_DITHER;
        } else if (strcasecmp(flag.c_str(), "mirror") == 0) {
            value |= FILTER_MIRROR_U | FILTER_MIRROR_V;
        } else if (strcasecmp(flag.c_str(), "mirroru") == 0) {
            value |= FILTER_MIRROR_U;
        } else if (strcasecmp(flag.c_str(), "mirrorv") == 0) {
            value |= FILTER_MIRROR_V;
        } else {
            return false;
        }
        plus = next;
    }
    *filter = value;
    return true;
}

int ConvertToDds(const DecodedImage& image, const char* outPath, int optionCount, char** options) {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = UINT(image.rect.right), height = UINT(image.rect.bottom);
    DWORD filter = FILTER_DEFAULT;
    bool mips = false;
    for (int i = 0; i < optionCount; ++i) {
        const char* option = options[i];
        bool hasValue = i + 1 < optionCount;
        if (std::strcmp(option, "--format") == 0 && hasValue) {
            format = PixelFormatByName(options[++i]);
            if (format == D3DFMT_UNKNOWN) {
                std::fprintf(stderr, "orvik-image: unknown format \"%s\"\n", options[i]);
                return EXIT_USAGE;
            }
        } else if (std::strcmp(option, "--size") == 0 && hasValue) {
            unsigned w = 0, h = 0;
            char extra;
            if (std::sscanf(options[++i], "%ux%u%c", &w, &h, &extra) != 2 || w == 0 || h == 0 || w > 16384 ||
                h > 16384) {
                std::fprintf(stderr, "orvik-image: bad size \"%s\" (WIDTHxHEIGHT, 1 to 16384)\n", options[i]);
                return EXIT_USAGE;
            }
            width = w;
            height = h;
        } else if (std::strcmp(option, "--filter") == 0 && hasValue) {
            if (!FilterByName(options[++i], &filter)) {
                std::fprintf(stderr, "orvik-image: unknown filter \"%s\"\n", options[i]);
                return EXIT_USAGE;
            }
        } else if (std::strcmp(option, "--mips") == 0) {
            mips = true;
        } else {
            std::fprintf(stderr, "orvik-image: unknown or incomplete option \"%s\"\n", option);
            return EXIT_USAGE;
        }
    }
    if (format == D3DFMT_UNKNOWN) {
        std::fprintf(stderr, "orvik-image: convert needs --format NAME\n");
        return EXIT_USAGE;
    }
    if (format == D3DFMT_P8 || format == D3DFMT_A8P8) {
        std::fprintf(stderr, "orvik-image: palettised textures have no DDS form here\n");
        return EXIT_UNSUPPORTED;
    }
    ToolDevice device;
    if (!device.Create()) return TOOL_EXIT_DEVICE;
    if (!device.Supports(format)) {
        std::fprintf(stderr, "orvik-image: the device cannot hold %s textures\n", NameOf(format));
        return TOOL_EXIT_DEVICE;
    }
    IDirect3DTexture8* texture = nullptr;
    HRESULT hr = device.device->CreateTexture(width, height, mips ? 0 : 1, 0, format, D3DPOOL_SYSTEMMEM, &texture);
    if (FAILED(hr)) {
        std::fprintf(stderr, "orvik-image: cannot create a %ux%u %s texture (0x%08X)\n", width, height,
                     NameOf(format), unsigned(hr));
        return TOOL_EXIT_DEVICE;
    }
    hr = LoadLevel(texture, 0, image, filter);
    if (SUCCEEDED(hr) && texture->GetLevelCount() > 1) hr = FilterMipChain(texture, nullptr, 0, FILTER_DEFAULT);
    if (FAILED(hr)) {
        std::fprintf(stderr, "orvik-image: cannot load the picture into %s (0x%08X)\n", NameOf(format),
                     unsigned(hr));
        texture->Release();
        return EXIT_UNSUPPORTED;
    }
    bool written = WriteDdsFile(outPath, texture);
    UINT levels = texture->GetLevelCount();
    texture->Release();
    if (!written) return EXIT_IO;
    std::printf("%s: %s %ux%u, %u mip level%s\n", outPath, NameOf(format), width, height, levels,
                levels == 1 ? "" : "s");
    return EXIT_OK;
}

int WriteMipLevels(const char* path, const char* dir) {
    std::error_code failure;
    std::filesystem::create_directory(dir, failure);
    if (failure) {
        std::fprintf(stderr, "orvik-image: cannot create %s: %s\n", dir, failure.message().c_str());
        return EXIT_IO;
    }
    ToolDevice device;
    if (!device.Create()) return TOOL_EXIT_DEVICE;
    // Exactly the viewer's load: TextureFromFile with every default.
    IDirect3DTexture8* texture = nullptr;
    HRESULT hr = TextureFromFile(device.device, path, &texture);
    if (FAILED(hr)) {
        std::fprintf(stderr, "orvik-image: the texture loader cannot load %s (0x%08X)\n", path, unsigned(hr));
        return EXIT_UNSUPPORTED;
    }
    D3DSURFACE_DESC top;
    texture->GetLevelDesc(0, &top);
    D3DFORMAT format = top.Format;
    UINT count = texture->GetLevelCount();
    int result = EXIT_OK;
    for (UINT level = 0; result == EXIT_OK && level < count; ++level) {
        IDirect3DSurface8* surface = nullptr;
        std::vector<uint8_t> rgba;
        UINT w = 0, h = 0;
        if (FAILED(texture->GetSurfaceLevel(level, &surface))) {
            result = TOOL_EXIT_DEVICE;
            break;
        }
        bool read = SurfaceToRgba(surface, nullptr, &rgba, &w, &h);
        surface->Release();
        std::string levelPath = std::string(dir) + "/level" + std::to_string(level) + "-" + std::to_string(w) + "x" +
                           std::to_string(h) + ".png";
        if (!read || !WriteRgbaPng(levelPath.c_str(), rgba.data(), int(w), int(h), int(w * 4))) {
            std::fprintf(stderr, "orvik-image: cannot write %s\n", levelPath.c_str());
            result = EXIT_IO;
            break;
        }
        std::printf("%s: %s %ux%u\n", levelPath.c_str(), NameOf(format), w, h);
    }
    texture->Release();
    return result;
}
