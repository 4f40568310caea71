#include "platform/colour_to_srgb.h"

#include <lcms2.h>

#include <QColorTransform>
#include <QPointF>
#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/pixel_pipeline.h"
#include "platform/canvas_image.h"

namespace sorvenal {
namespace {

// H.273 codes of the transfers that are sRGB's or near enough to show as sRGB does.
bool ShowsAsSrgbTransfer(int transfer) {
    switch (transfer) {
        case 1:   // BT.709
        case 2:   // unspecified
        case 6:   // BT.601
        case 13:  // sRGB
        case 14:  // BT.2020, 10 bits
        case 15:  // BT.2020, 12 bits
            return true;
        default:
            return false;
    }
}

double SrgbEncoded(double linear) {
    linear = std::clamp(linear, 0.0, 1.0);
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// Perceptual quantiser: code value to light, with SDR white (203 cd/m²) as 1.
double PqToRelative(double code) {
    constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128;
    constexpr double c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
    const double e = std::pow(code, 1 / m2);
    const double nits = 10000 * std::pow(std::max(e - c1, 0.0) / (c2 - c3 * e), 1 / m1);
    return nits / 203;
}

// Hybrid log-gamma: code value to the light of a 1000 cd/m² screen (its system gamma 1.2), with
// SDR white (203 cd/m², code 0.75) as 1.
double HlgToRelative(double code) {
    constexpr double a = 0.17883277, b = 1 - 4 * a;
    const double c = 0.5 - a * std::log(4 * a);
    const double scene = code <= 0.5 ? code * code / 3 : (std::exp((code - c) / a) + b) / 12;
    return std::pow(scene, 1.2) * 1000 / 203;
}

// Keeps SDR levels as they are and rolls what lies above white off smoothly.
double RollOff(double light) {
    constexpr double knee = 0.8;
    if (light <= knee) return light;
    return knee + (1 - knee) * (1 - std::exp(-(light - knee) / (1 - knee)));
}

ChannelTables HdrTables(PictureColour::Hdr hdr) {
    ChannelTables tables{};
    for (int v = 0; v < 256; ++v) {
        const double code = v / 255.0;
        const double light =
            hdr == PictureColour::Hdr::Pq ? PqToRelative(code) : HlgToRelative(code);
        const auto out = static_cast<std::uint8_t>(std::lround(SrgbEncoded(RollOff(light)) * 255));
        tables.red[v] = tables.green[v] = tables.blue[v] = out;
    }
    return tables;
}

bool IsSrgb(const QColorSpace& space) {
    return space.primaries() == QColorSpace::Primaries::SRgb &&
           space.transferFunction() == QColorSpace::TransferFunction::SRgb;
}

// Rows of the picture as pictures of their own over the same memory.
template <typename Fn>
void ForEachBandImage(QImage& image, const Fn& fn) {
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int width = image.width();
    ForEachRowBand(
        image.height(), static_cast<long long>(width) * image.height(), [&](int begin, int end) {
            QImage band(bits + begin * stride, width, end - begin, stride, QImage::Format_RGB32);
            fn(band, begin);
        });
}

void ConvertWithQt(QImage& image, const QColorSpace& space) {
    const QColorTransform transform = space.transformationToColorSpace(QColorSpace::SRgb);
    if (transform.isIdentity()) return;
    // Its tables are built on first use; built here, the bands only read them.
    (void)transform.map(QRgb(0xFF808080));
    ForEachBandImage(image, [&](QImage& band, int) { band.applyColorTransform(transform); });
}

struct ProfileClose {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDelete {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};

// What Qt's parser does not take (lookup-table profiles, and the ones it finds fault with).
void ConvertWithLcms(QImage& image, const QByteArray& icc) {
    const std::unique_ptr<void, ProfileClose> source(
        cmsOpenProfileFromMem(icc.constData(), static_cast<cmsUInt32Number>(icc.size())));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigRgbData) return;
    const std::unique_ptr<void, ProfileClose> srgb(cmsCreate_sRGBProfile());
    if (!srgb) return;
    // Without the one-pixel cache a transform may run on several threads at once.
    const std::unique_ptr<void, TransformDelete> transform(
        cmsCreateTransform(source.get(), TYPE_BGRA_8, srgb.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                           cmsFLAGS_NOCACHE | cmsFLAGS_COPY_ALPHA));
    if (!transform) return;
    ForEachBandImage(image, [&](QImage& band, int) {
        for (int y = 0; y < band.height(); ++y) {
            uchar* row = band.scanLine(y);
            cmsDoTransform(transform.get(), row, row, static_cast<cmsUInt32Number>(band.width()));
        }
    });
}

}  // namespace

PictureColour ColourOfNclx(const Nclx& nclx) {
    PictureColour colour;
    auto transfer = QColorSpace::TransferFunction::SRgb;
    float gamma = 0;
    switch (nclx.transfer) {
        case 4:  // gamma 2.2
            transfer = QColorSpace::TransferFunction::Gamma;
            gamma = 2.2F;
            break;
        case 5:  // gamma 2.8
            transfer = QColorSpace::TransferFunction::Gamma;
            gamma = 2.8F;
            break;
        case 8:
            transfer = QColorSpace::TransferFunction::Linear;
            break;
        case 16:
            colour.hdr = PictureColour::Hdr::Pq;
            break;
        case 18:
            colour.hdr = PictureColour::Hdr::Hlg;
            break;
        default:
            // Anything else unknown is shown as sRGB, as a picture without a description is.
            break;
    }
    const bool srgbPrimaries = nclx.primaries == 1 || nclx.primaries == 2 || nclx.whiteX <= 0 ||
                               nclx.whiteY <= 0 || nclx.redY <= 0 || nclx.greenY <= 0 ||
                               nclx.blueY <= 0;
    if (srgbPrimaries && colour.hdr == PictureColour::Hdr::None &&
        (ShowsAsSrgbTransfer(nclx.transfer) || transfer == QColorSpace::TransferFunction::SRgb))
        return colour;
    if (srgbPrimaries)
        colour.space = QColorSpace(QColorSpace::Primaries::SRgb, transfer, gamma);
    else
        colour.space = QColorSpace(QPointF(nclx.whiteX, nclx.whiteY), QPointF(nclx.redX, nclx.redY),
                                   QPointF(nclx.greenX, nclx.greenY),
                                   QPointF(nclx.blueX, nclx.blueY), transfer, gamma);
    return colour;
}

void ConvertToSrgb(QImage& image, const PictureColour& colour) {
    if (image.isNull() || colour.empty() || image.format() != QImage::Format_RGB32) return;
    bool changed = false;
    if (colour.hdr != PictureColour::Hdr::None) {
        RunTablePass(ViewOf(image), HdrTables(colour.hdr));
        changed = true;
    }
    QColorSpace space = colour.space;
    if (!space.isValid() && !colour.icc.isEmpty()) space = QColorSpace::fromIccProfile(colour.icc);
    if (space.isValid()) {
        if (!IsSrgb(space)) {
            ConvertWithQt(image, space);
            changed = true;
        }
    } else if (!colour.icc.isEmpty()) {
        ConvertWithLcms(image, colour.icc);
        changed = true;
    }
    // The numbers are sRGB now; a writer that tags what it writes must not see the old space.
    if (changed || image.colorSpace().isValid()) image.setColorSpace(QColorSpace::SRgb);
}

}  // namespace sorvenal
