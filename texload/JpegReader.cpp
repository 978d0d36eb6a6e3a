// JPEG files through libjpeg. The library's fatal errors return here through a long jump,
// so nothing between the setjmp and the library calls may need a destructor.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "texload/ImageLimits.h"
#include "texload/ImageReaders.h"

namespace {

struct JpegErrorExit {
    jpeg_error_mgr manager;  // first, so the library's pointer to it leads back here
    jmp_buf jump;
};

struct JpegState {
    jpeg_decompress_struct info;
    JpegErrorExit error;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
};

// A progressive stream may repeat its scans without end, each one a pass over the
// whole picture; beyond this many scans the stream is not a picture worth its time
// (the limit libjpeg-turbo advises for input that is not trusted).
constexpr int MAX_JPEG_SCANS = 100;

void ExitOnError(j_common_ptr info)
{
    longjmp(reinterpret_cast<JpegErrorExit*>(info->err)->jump, 1);
}

// Called as the library works through the stream, scan by scan.
void LimitScans(j_common_ptr common)
{
    j_decompress_ptr info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > MAX_JPEG_SCANS) info->err->error_exit(common);
}

void DiscardMessage(j_common_ptr) {}

void DiscardEmit(j_common_ptr, int) {}

void InitSource(j_decompress_ptr) {}

void TermSource(j_decompress_ptr) {}

// The whole file is in the buffer from the start: asking for more means the stream is cut
// short, which ends the attempt.
boolean FillInput(j_decompress_ptr info)
{
    info->err->msg_code = JERR_INPUT_EOF;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    return FALSE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    if (count <= 0) return;
    jpeg_source_mgr* source = info->src;
    if ((size_t)count > source->bytes_in_buffer) {
        // Past the end: the next read asks for more input and fails.
        source->next_input_byte += source->bytes_in_buffer;
        source->bytes_in_buffer = 0;
        return;
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= (size_t)count;
}

// One RGB scan line into blue, green, red and a zero byte per pixel. Kept out of the
// function that calls setjmp, where the compiler keeps every local in memory.
__attribute__((noinline)) void PackLine(const uint8_t* in, uint8_t* out, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x) {
        const uint32_t pixel = (uint32_t)in[0] << 16 | (uint32_t)in[1] << 8 | in[2];
        std::memcpy(out, &pixel, 4);
        in += 3;
        out += 4;
    }
}

// Everything after the setjmp lives in *state, outside this function's own frame.
HRESULT DecodeJpeg(JpegState* state, DecodedImage* image, const uint8_t* data, size_t size)
{
    jpeg_decompress_struct* info = &state->info;
    if (setjmp(state->error.jump)) {
        return E_FAIL;
    }
    jpeg_create_decompress(info);
    state->progress.progress_monitor = LimitScans;
    info->progress = &state->progress;
    state->source.next_input_byte = data;
    state->source.bytes_in_buffer = size;
    state->source.init_source = InitSource;
    state->source.fill_input_buffer = FillInput;
    state->source.skip_input_data = SkipInput;
    state->source.resync_to_restart = jpeg_resync_to_restart;
    state->source.term_source = TermSource;
    info->src = &state->source;

    jpeg_read_header(info, TRUE);
    if (!ImageSizeAllowed(info->image_width, info->image_height)) return E_FAIL;
    // Colour comes out as RGB by default; libjpeg-turbo can write it straight as blue, green,
    // red and an unused byte (0xFF), which saves a pass over the picture. Without it the
    // lines are packed here, with the unused byte 0.
    bool direct = false;
#ifdef JCS_EXTENSIONS
    if (info->out_color_space == JCS_RGB) {
        info->out_color_space = JCS_EXT_BGRX;
        direct = true;
    }
#endif
    jpeg_start_decompress(info);
    const uint32_t width = info->output_width, height = info->output_height;
    const int components = info->output_components;
    if (components == 1) {
        image->format = D3DFMT_L8;
        image->rowPitch = width;
    } else if (components == 3 || (direct && components == 4)) {
        image->format = D3DFMT_X8R8G8B8;
        image->rowPitch = width * 4;
    } else {
        return E_FAIL;
    }
    image->SetRect(width, height);
    uint8_t* buffer = image->AllocatePixels((size_t)image->rowPitch * height);
    if (!buffer) return E_OUTOFMEMORY;

    if (components == 1 || direct) {
        while (info->output_scanline < height) {
            JSAMPROW row = buffer + (size_t)info->output_scanline * image->rowPitch;
            jpeg_read_scanlines(info, &row, 1);
        }
    } else {
        JSAMPARRAY line = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                                     width * 3, 1);
        while (info->output_scanline < height) {
            uint8_t* out = buffer + (size_t)info->output_scanline * width * 4;
            jpeg_read_scanlines(info, line, 1);
            PackLine(line[0], out, width);
        }
    }
    jpeg_finish_decompress(info);
    return S_OK;
}

}  // namespace

HRESULT ReadJpeg(DecodedImage* image, const uint8_t* data, size_t size)
{
    JpegState state;
    std::memset(&state, 0, sizeof state);
    state.info.err = jpeg_std_error(&state.error.manager);
    state.error.manager.error_exit = ExitOnError;
    state.error.manager.output_message = DiscardMessage;
    state.error.manager.emit_message = DiscardEmit;
    const HRESULT result = DecodeJpeg(&state, image, data, size);
    jpeg_destroy_decompress(&state.info);
    return result;
}
