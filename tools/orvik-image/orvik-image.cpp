// orvik-image: shows how the texture loader's decoder reads an image file.
//   orvik-image info FILE          one line: reader, format, size, mip levels, faces
//   orvik-image decode FILE OUT    the first picture as an 8-bit RGBA PNG
//   orvik-image convert FILE OUT.dds --format NAME [--size WxH] [--filter NAME] [--mips]
//   orvik-image mips FILE DIR      every mip level of the viewer's texture as PNG
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/win32/PngWriter.h"
#include "texload/DecodeImage.h"
#include "texload/ImageFormatName.h"
#include "tools/orvik-image/ImageToRgba.h"
#include "tools/orvik-image/SurfaceToRgba.h"
#include "tools/orvik-image/TextureCommands.h"

namespace {

enum ExitCode { EXIT_OK = 0, EXIT_NOT_IMAGE = 1, EXIT_USAGE = 2, EXIT_IO = 3, EXIT_UNSUPPORTED = 4 };

void PrintUsage(FILE* out)
{
    std::fprintf(out,
                 "usage: orvik-image info FILE\n"
                 "       orvik-image decode FILE OUT.png\n"
                 "       orvik-image convert FILE OUT.dds --format NAME [--size WxH] [--filter NAME] [--mips]\n"
                 "       orvik-image mips FILE DIR\n"
                 "\n"
                 "info    prints the reader that accepted FILE, its pixel format, width x height,\n"
                 "        mip levels and faces, or why no reader accepted it.\n"
                 "decode  writes FILE's first picture to OUT.png as 8-bit RGBA, as the texture\n"
                 "        loader sees it (palette applied, luminance as grey, missing alpha opaque,\n"
                 "        DXT blocks decoded).\n"
                 "convert loads FILE's first picture into a texture of format NAME (A8R8G8B8,\n"
                 "        R5G6B5, L8, A8L8, DXT1 ... DXT5, ...) of its own size or WxH, with\n"
                 "        the filter NAME (none, point, linear, triangle, box, each optionally with\n"
                 "        +dither, +mirror, +mirroru, +mirrorv; default triangle+dither), computes\n"
                 "        the mip chain with the box filter when --mips is given, and writes OUT.dds.\n"
                 "mips    loads FILE as the viewer does (the texture loader with its defaults:\n"
                 "        the file's format and size fitted to the device, its stored levels, the\n"
                 "        rest by the box filter) and writes each level to DIR/levelN-WxH.png.\n"
                 "\n"
                 "Readers are tried in order: bitmap, ppm, dds, jpeg, png, tga, dib (bare bitmap).\n"
                 "Exit codes: 0 done, 1 not an image the readers accept, 2 bad arguments,\n"
                 "3 file not readable or not writable, 4 format that cannot be written,\n"
                 "5 no Direct3D device or it cannot hold the format.\n");
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Decodes path into image; prints the reason and returns an exit code when it cannot.
int Decode(const char* path, std::vector<uint8_t>* bytes, DecodedImage* image, SourceImageInfo* info,
           ImageReader* reader)
{
    if (!ReadWholeFile(path, bytes)) {
        std::fprintf(stderr, "orvik-image: cannot read %s: %s\n", path, std::strerror(errno));
        return EXIT_IO;
    }
    if (bytes->size() > 0xFFFFFFFFu) {
        std::fprintf(stderr, "orvik-image: %s: file larger than 4 GiB\n", path);
        return EXIT_NOT_IMAGE;
    }
    const HRESULT result = DecodeImage(image, bytes->data(), (UINT)bytes->size(), info, reader);
    if (FAILED(result)) {
        std::printf("%s: no reader accepts this file (0x%08X: not a bitmap, PPM, DDS, JPEG, PNG, TGA or "
                    "bare bitmap it can decode)\n",
                    path, (unsigned)result);
        return EXIT_NOT_IMAGE;
    }
    return EXIT_OK;
}

int Info(const char* path)
{
    std::vector<uint8_t> bytes;
    DecodedImage image;
    SourceImageInfo info;
    ImageReader reader;
    if (const int code = Decode(path, &bytes, &image, &info, &reader)) return code;
    unsigned faces = 0;
    for (const DecodedImage* face = &image; face; face = face->nextFace) ++faces;
    std::printf("%s: %s %s %ux%u, %u mip level%s, %u face%s\n", path, ImageReaderName(reader),
                ImageFormatName(info.format), info.width, info.height, info.mipLevels,
                info.mipLevels == 1 ? "" : "s", faces, faces == 1 ? "" : "s");
    return EXIT_OK;
}

int DecodeToPng(const char* path, const char* outPath)
{
    std::vector<uint8_t> bytes;
    DecodedImage image;
    SourceImageInfo info;
    ImageReader reader;
    if (const int code = Decode(path, &bytes, &image, &info, &reader)) return code;
    std::vector<uint8_t> rgba;
    if (!ImageToRgba(image, &rgba) &&
        !PixelsToRgba(image.pixels, (INT)image.rowPitch, image.format, (UINT)image.rect.right,
                      (UINT)image.rect.bottom, nullptr, &rgba)) {
        std::fprintf(stderr, "orvik-image: %s: %s pictures cannot be shown as RGBA\n",
                     path, ImageFormatName(image.format));
        return EXIT_UNSUPPORTED;
    }
    const int width = image.rect.right, height = image.rect.bottom;
    if (!WriteRgbaPng(outPath, rgba.data(), width, height, width * 4)) {
        std::fprintf(stderr, "orvik-image: cannot write %s\n", outPath);
        return EXIT_IO;
    }
    std::printf("%s: %s %s %dx%d written to %s\n", path, ImageReaderName(reader), ImageFormatName(image.format),
                width, height, outPath);
    return EXIT_OK;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return EXIT_OK;
    }
    if (argc == 3 && std::strcmp(argv[1], "info") == 0) return Info(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "decode") == 0) return DecodeToPng(argv[2], argv[3]);
    if ((argc >= 4 && std::strcmp(argv[1], "convert") == 0) || (argc == 4 && std::strcmp(argv[1], "mips") == 0)) {
        std::vector<uint8_t> bytes;
        DecodedImage image;
        SourceImageInfo info;
        ImageReader reader;
        if (const int code = Decode(argv[2], &bytes, &image, &info, &reader)) return code;
        if (std::strcmp(argv[1], "mips") == 0) return WriteMipLevels(argv[2], argv[3]);
        return ConvertToDds(image, argv[3], argc - 4, argv + 4);
    }
    const char* command = argc >= 2 ? argv[1] : "";
    const bool known = std::strcmp(command, "info") == 0 || std::strcmp(command, "decode") == 0 ||
                       std::strcmp(command, "convert") == 0 || std::strcmp(command, "mips") == 0;
    if (argc >= 2 && !known) {
        std::fprintf(stderr, "orvik-image: unknown command \"%s\"\n", argv[1]);
    } else {
        std::fprintf(stderr, "orvik-image: wrong number of arguments\n");
    }
    PrintUsage(stderr);
    return EXIT_USAGE;
}
