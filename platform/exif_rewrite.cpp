// The three edits a saved picture's EXIF needs, made in place on the TIFF structure: values
// change where they stand, and the thumbnail goes by unlinking the second IFD (and cutting the
// block where the thumbnail was its tail). Nothing else moves, so the offsets that a maker's
// note keeps inside itself stay true, which a re-encoding of the whole block cannot promise.
#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

#include "platform/exif_block.h"

namespace sorvenal {
namespace {

constexpr quint16 kImageWidth = 0x0100;
constexpr quint16 kImageLength = 0x0101;
constexpr quint16 kOrientation = 0x0112;
constexpr quint16 kExifIfd = 0x8769;
constexpr quint16 kGpsIfd = 0x8825;
constexpr quint16 kInteropIfd = 0xA005;
constexpr quint16 kPixelXDimension = 0xA002;
constexpr quint16 kPixelYDimension = 0xA003;
constexpr quint16 kThumbnailOffset = 0x0201;
constexpr quint16 kThumbnailLength = 0x0202;
constexpr quint16 kTypeShort = 3;
constexpr quint16 kTypeLong = 4;
constexpr int kEntryBytes = 12;
constexpr int kMaxIfds = 16;  // IFD0, EXIF, GPS, interoperability, IFD1: more is a loop

qint64 TypeSize(quint16 type) {
    switch (type) {
        case 1:
        case 2:
        case 6:
        case 7:
            return 1;  // NOLINT(bugprone-branch-clone)
        case 3:
        case 8:
            return 2;
        case 4:
        case 9:
        case 11:
        case 13:
            return 4;
        case 5:
        case 10:
        case 12:
            return 8;
        default:
            return 0;  // unknown: its data is not ours to judge
    }
}

struct Range {
    qint64 begin;
    qint64 end;
};

class Tiff {
public:
    explicit Tiff(QByteArray& bytes) : b_(bytes), le_(bytes.startsWith("II")) {}

    qint64 size() const { return b_.size(); }
    bool Fits(qint64 at, qint64 length) const {
        return at >= 0 && length >= 0 && at <= size() && length <= size() - at;
    }
    quint16 U16(qint64 at) const {
        const auto* p = reinterpret_cast<const uchar*>(b_.constData()) + at;
        return le_ ? quint16(p[0] | p[1] << 8) : quint16(p[0] << 8 | p[1]);
    }
    quint32 U32(qint64 at) const {
        return le_ ? quint32(U16(at)) | quint32(U16(at + 2)) << 16
                   : quint32(U16(at)) << 16 | quint32(U16(at + 2));
    }
    void Put16(qint64 at, quint16 v) {
        b_[at + (le_ ? 0 : 1)] = char(v & 0xFF);
        b_[at + (le_ ? 1 : 0)] = char(v >> 8);
    }
    void Put32(qint64 at, quint32 v) {
        Put16(at + (le_ ? 0 : 2), quint16(v & 0xFFFF));
        Put16(at + (le_ ? 2 : 0), quint16(v >> 16));
    }

private:
    QByteArray& b_;
    bool le_;
};

struct Entry {
    qint64 at;  // of the 12-byte entry
    quint16 tag;
    quint16 type;
    quint32 count;
};

// The entries of the IFD at `at`, each checked to lie within the block with its data; the
// ranges it occupies are added to `used`. Nothing when the IFD is damaged.
std::optional<std::vector<Entry>> ReadIfd(const Tiff& tiff, qint64 at, std::vector<Range>& used) {
    // An IFD inside the 8-byte header would be rewritten with it.
    if (at < 8 || !tiff.Fits(at, 2)) return std::nullopt;
    const int count = tiff.U16(at);
    const qint64 bytes = 2 + qint64(count) * kEntryBytes + 4;
    if (!tiff.Fits(at, bytes)) return std::nullopt;
    used.push_back({at, at + bytes});
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const qint64 e = at + 2 + qint64(i) * kEntryBytes;
        const Entry entry{e, tiff.U16(e), tiff.U16(e + 2), tiff.U32(e + 4)};
        const qint64 length = TypeSize(entry.type) * entry.count;
        if (length > 4) {
            const qint64 offset = tiff.U32(e + 8);
            if (!tiff.Fits(offset, length)) return std::nullopt;
            used.push_back({offset, offset + length});
        }
        entries.push_back(entry);
    }
    return entries;
}

// A one-value SHORT or LONG entry set to `value`; other shapes are left as they are.
void SetNumber(Tiff& tiff, const Entry& entry, quint32 value) {
    if (entry.count != 1) return;
    if (entry.type == kTypeShort && value <= 0xFFFF) {
        tiff.Put16(entry.at + 8, quint16(value));
        tiff.Put16(entry.at + 10, 0);
    } else if (entry.type == kTypeLong) {
        tiff.Put32(entry.at + 8, value);
    }
}

std::optional<quint32> Pointer(const Tiff& tiff, const Entry& entry) {
    if (entry.count != 1 || (entry.type != kTypeLong && entry.type != 13)) return std::nullopt;
    return tiff.U32(entry.at + 8);
}

}  // namespace

QByteArray ExifForSavedPicture(const QByteArray& block, int width, int height) {
    if (block.size() < 8 || (!block.startsWith(QByteArrayLiteral("II*\0")) &&
                             !block.startsWith(QByteArrayLiteral("MM\0*"))))
        return {};
    QByteArray out = block;
    Tiff tiff(out);
    std::vector<Range> kept;  // what IFD0 and the IFDs below it hold
    kept.push_back({0, 8});
    QSet<qint64> seen;

    const qint64 ifd0 = tiff.U32(4);
    std::vector<qint64> pending{ifd0};
    bool first = true;
    qint64 ifd1 = 0;
    while (!pending.empty()) {
        const qint64 at = pending.back();
        pending.pop_back();
        if (seen.contains(at) || seen.size() >= kMaxIfds) return {};
        seen.insert(at);
        const auto entries = ReadIfd(tiff, at, kept);
        if (!entries) return {};
        for (const Entry& entry : *entries) {
            switch (entry.tag) {
                case kOrientation:
                    if (first) SetNumber(tiff, entry, 1);
                    break;
                case kImageWidth:
                    if (first) SetNumber(tiff, entry, quint32(width));
                    break;
                case kImageLength:
                    if (first) SetNumber(tiff, entry, quint32(height));
                    break;
                case kPixelXDimension:
                    if (!first) SetNumber(tiff, entry, quint32(width));
                    break;
                case kPixelYDimension:
                    if (!first) SetNumber(tiff, entry, quint32(height));
                    break;
                case kExifIfd:
                case kGpsIfd:
                case kInteropIfd:
                    if (const auto sub = Pointer(tiff, entry)) {
                        pending.push_back(*sub);
                    } else {
                        return {};
                    }
                    break;
                default:
                    break;
            }
        }
        if (first) {
            const qint64 link = at + 2 + qint64(entries->size()) * kEntryBytes;
            ifd1 = tiff.U32(link);
            tiff.Put32(link, 0);  // IFD0 is the last: the thumbnail's IFD is no more
            first = false;
        }
    }

    // Where the thumbnail and its IFD were all of the block's tail, the tail goes with them.
    if (ifd1 != 0) {
        std::vector<Range> thumbnail;
        if (const auto entries = ReadIfd(tiff, ifd1, thumbnail)) {
            std::optional<quint32> offset, length;
            for (const Entry& entry : *entries) {
                if (entry.tag == kThumbnailOffset) offset = Pointer(tiff, entry);
                if (entry.tag == kThumbnailLength) length = Pointer(tiff, entry);
            }
            if (offset && length && tiff.Fits(*offset, *length))
                thumbnail.push_back({*offset, qint64(*offset) + *length});
            qint64 keptEnd = 0;
            for (const Range& r : kept) keptEnd = std::max(keptEnd, r.end);
            const bool tail = std::all_of(thumbnail.begin(), thumbnail.end(),
                                          [keptEnd](const Range& r) { return r.begin >= keptEnd; });
            if (tail) out.truncate(keptEnd);
        }
    }
    return out;
}

QByteArray ExifAfterOffsetPrefix(const QByteArray& data) {
    if (data.size() < 4) return {};
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const quint32 offset = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
    if (offset > quint32(data.size() - 4)) return {};
    return data.mid(4 + qsizetype(offset));
}

}  // namespace sorvenal
