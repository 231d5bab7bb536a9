#include "geometry/jpeg_decoder.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace kinemo {

namespace {

// A progressive file may hold any number of scans, each one a pass over the whole image;
// hostile files use that to take minutes. Real encoders write around ten.
constexpr int kMaxProgressiveScans = 256;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int warnings;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (such as premature end of data) leave a usable image; they are counted, not printed.
void onMessage(j_common_ptr cinfo, int level) {
    if (level < 0) reinterpret_cast<ErrorManager*>(cinfo->err)->warnings++;
}

void onOutputMessage(j_common_ptr) {}

struct ScanLimit {
    jpeg_progress_mgr base;
};

void onProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (dinfo->progressive_mode && dinfo->input_scan_number > kMaxProgressiveScans) {
            std::snprintf(reinterpret_cast<ErrorManager*>(cinfo->err)->message, JMSG_LENGTH_MAX,
                          "too many progressive scans");
            std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
        }
    }
}

inline std::uint8_t scaleByte(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

// Everything libjpeg may jump out of lives here, with no objects that need destruction in
// between: the jump only skips libjpeg's own C frames.
bool runDecoder(jpeg_decompress_struct& cinfo, ErrorManager& errors, std::span<const std::uint8_t> data,
                DecodedImage& out, const ImageLimits& limits, std::vector<std::uint8_t>& row) {
    if (setjmp(errors.jump)) return false;
    jpeg_create_decompress(&cinfo);
    ScanLimit progress{};
    progress.base.progress_monitor = onProgress;
    cinfo.progress = &progress.base;
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!limits.allows(cinfo.image_width, cinfo.image_height)) {
        std::snprintf(errors.message, JMSG_LENGTH_MAX, "image size %ux%u refused", cinfo.image_width,
                      cinfo.image_height);
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    cinfo.out_color_space = cmyk ? JCS_CMYK : (grey ? JCS_GRAYSCALE : JCS_RGB);
    jpeg_start_decompress(&cinfo);
    const int components = cinfo.output_components;
    if ((cmyk && components != 4) || (grey && components != 1) || (!cmyk && !grey && components != 3)) {
        std::snprintf(errors.message, JMSG_LENGTH_MAX, "unexpected number of components %d", components);
        return false;
    }
    // Adobe's writers store CMYK inverted (0 = full ink); plain CMYK stores ink amounts.
    const bool inverted = cmyk && cinfo.saw_Adobe_marker;
    const std::size_t width = cinfo.output_width;
    out.width = static_cast<std::int32_t>(cinfo.output_width);
    out.height = static_cast<std::int32_t>(cinfo.output_height);
    out.rgb.assign(width * cinfo.output_height * 3, 0);
    row.resize(width * static_cast<std::size_t>(components));
    while (cinfo.output_scanline < cinfo.output_height) {
        const std::size_t y = cinfo.output_scanline;
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
        std::uint8_t* target = out.rgb.data() + y * width * 3;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* s = row.data() + x * components;
            std::uint8_t* t = target + x * 3;
            if (grey) {
                t[0] = t[1] = t[2] = s[0];
            } else if (cmyk) {
                const unsigned k = inverted ? s[3] : 255u - s[3];
                for (int c = 0; c < 3; ++c) t[c] = scaleByte(inverted ? s[c] : 255u - s[c], k);
            } else {
                t[0] = s[0];
                t[1] = s[1];
                t[2] = s[2];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

bool decodeJpeg(std::span<const std::uint8_t> data, DecodedImage& out, std::string* error, const ImageLimits& limits) {
    out = DecodedImage{};
    if (data.size() < 4) {
        if (error) *error = "file too short";
        return false;
    }
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager errors;
    std::memset(&errors, 0, sizeof errors);
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    errors.base.output_message = onOutputMessage;
    std::vector<std::uint8_t> row;
    const bool ok = runDecoder(cinfo, errors, data, out, limits, row);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        out = DecodedImage{};
        if (error) *error = errors.message;
    }
    return ok;
}

}  // namespace kinemo
