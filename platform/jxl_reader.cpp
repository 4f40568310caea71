// JPEG XL through libjxl: the first frame, oriented by the decoder (its default), in 8 bits.
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>

#include <memory>
#include <new>

#include "platform/colour_to_srgb.h"
#include "platform/own_readers.h"
#include "platform/sample_rows.h"

namespace sorvenal {

ReadResult ReadJxl(const uchar* data, qint64 size, const ReadOptions& options) {
    const auto failed = [](PictureError kind) { return ReadResult{QImage(), {kind}}; };
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (!decoder || !runner) return failed(PictureError::OutOfMemory);
    JxlDecoder* dec = decoder.get();
    if (JxlDecoderSubscribeEvents(dec, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                           JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetParallelRunner(dec, JxlThreadParallelRunner, runner.get()) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(dec, data, static_cast<size_t>(size)) != JXL_DEC_SUCCESS)
        return failed(PictureError::Corrupt);
    // The input is left open: a file cut short then asks for more rather than failing.

    JxlBasicInfo info{};
    PictureColour colour;
    JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    std::unique_ptr<uchar[]> samples;
    int width = 0;
    int height = 0;
    for (;;) {
        if (options.cancel && options.cancel->load(std::memory_order_relaxed))
            return failed(PictureError::Cancelled);
        switch (JxlDecoderProcessInput(dec)) {
            case JXL_DEC_BASIC_INFO: {
                if (JxlDecoderGetBasicInfo(dec, &info) != JXL_DEC_SUCCESS)
                    return failed(PictureError::Corrupt);
                // The stored size; orientations 5 to 8 turn it a quarter.
                const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
                width = static_cast<int>(turned ? info.ysize : info.xsize);
                height = static_cast<int>(turned ? info.xsize : info.ysize);
                if (info.xsize == 0 || info.ysize == 0) return failed(PictureError::Corrupt);
                if (!WithinPictureLimits(info.xsize, info.ysize))
                    return {QImage(), {PictureError::TooLarge, 0, width, height}};
                if (info.alpha_bits > 0) format.num_channels = 4;
                break;
            }
            case JXL_DEC_COLOR_ENCODING: {
                // What the samples given to us mean; one it cannot describe is taken as sRGB.
                size_t iccSize = 0;
                if (JxlDecoderGetICCProfileSize(dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                                &iccSize) == JXL_DEC_SUCCESS &&
                    iccSize > 0 && iccSize <= (16u << 20)) {
                    QByteArray icc(static_cast<qsizetype>(iccSize), Qt::Uninitialized);
                    if (JxlDecoderGetColorAsICCProfile(dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                                       reinterpret_cast<uint8_t*>(icc.data()),
                                                       iccSize) == JXL_DEC_SUCCESS)
                        colour.icc = icc;
                }
                break;
            }
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
                size_t bytes = 0;
                if (JxlDecoderImageOutBufferSize(dec, &format, &bytes) != JXL_DEC_SUCCESS ||
                    bytes != static_cast<size_t>(width) * height * format.num_channels)
                    return failed(PictureError::Corrupt);
                samples.reset(new (std::nothrow) uchar[bytes]);
                if (!samples) return failed(PictureError::OutOfMemory);
                if (JxlDecoderSetImageOutBuffer(dec, &format, samples.get(), bytes) !=
                    JXL_DEC_SUCCESS)
                    return failed(PictureError::Corrupt);
                break;
            }
            case JXL_DEC_FULL_IMAGE: {
                // The first frame is the picture; an animation's others are not looked at.
                if (!samples) return failed(PictureError::Corrupt);
                SampleRows rows;
                rows.data = samples.get();
                rows.width = width;
                rows.height = height;
                rows.channels = static_cast<int>(format.num_channels);
                rows.stride = static_cast<qsizetype>(width) * rows.channels;
                rows.premultiplied = info.alpha_premultiplied != 0;
                QImage image = ToRgb32(rows, options.hugePages);
                if (image.isNull()) return failed(PictureError::OutOfMemory);
                ConvertToSrgb(image, colour);
                return {std::move(image), {}};
            }
            case JXL_DEC_NEED_MORE_INPUT:
                return failed(PictureError::Truncated);
            case JXL_DEC_SUCCESS:  // ended without a picture
            default:
                return failed(PictureError::Corrupt);
        }
    }
}

}  // namespace sorvenal
