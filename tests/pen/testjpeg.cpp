#include "testjpeg.h"

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace kerulo::test {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void onError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// The frame libjpeg may longjmp into; everything with a destructor lives in the caller.
bool compress(jpeg_compress_struct* info, ErrorManager& errors, const JpegOptions& options,
              int width, int height, JSAMPLE* samples, unsigned char** out,
              unsigned long* outSize) {
    if (setjmp(errors.jump))
        return false;
    jpeg_create_compress(info);
    jpeg_mem_dest(info, out, outSize);
    info->image_width = JDIMENSION(width);
    info->image_height = JDIMENSION(height);
    info->input_components = options.grey ? 1 : options.cmyk ? 4 : 3;
    info->in_color_space = options.grey ? JCS_GRAYSCALE : options.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, options.quality, TRUE);
    if (options.fullChroma)
        info->comp_info[0].h_samp_factor = info->comp_info[0].v_samp_factor = 1;
    if (options.progressive)
        jpeg_simple_progression(info);
    jpeg_start_compress(info, TRUE);
    const int stride = width * info->input_components;
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = samples + std::size_t(stride) * info->next_scanline;
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

QByteArray encodeJpeg(const QImage& image, const JpegOptions& options) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<JSAMPLE> samples;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (options.grey) {
                samples.push_back(JSAMPLE(qGray(line[x])));
            } else if (options.cmyk) {
                samples.push_back(JSAMPLE(255 - qRed(line[x])));
                samples.push_back(JSAMPLE(255 - qGreen(line[x])));
                samples.push_back(JSAMPLE(255 - qBlue(line[x])));
                samples.push_back(0);
            } else {
                samples.push_back(JSAMPLE(qRed(line[x])));
                samples.push_back(JSAMPLE(qGreen(line[x])));
                samples.push_back(JSAMPLE(qBlue(line[x])));
            }
        }
    }

    ErrorManager errors;
    jpeg_compress_struct info{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok =
        compress(&info, errors, options, rgb.width(), rgb.height(), samples.data(), &out, &outSize);
    jpeg_destroy_compress(&info);
    QByteArray bytes;
    if (ok)
        bytes = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    if (!ok)
        throw std::runtime_error(std::string("libjpeg cannot write the test picture: ") +
                                 errors.message);
    return bytes;
}

} // namespace kerulo::test
