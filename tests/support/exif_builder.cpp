#include "tests/support/exif_builder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>
#include <vector>

namespace sorvenal::test {
namespace {

struct Tag {
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray data;  // the value bytes in the block's order
};

class Writer {
public:
    explicit Writer(bool big) : big_(big) {}
    QByteArray U16(quint16 v) const {
        QByteArray b(2, 0);
        big_ ? qToBigEndian(v, b.data()) : qToLittleEndian(v, b.data());
        return b;
    }
    QByteArray U32(quint32 v) const {
        QByteArray b(4, 0);
        big_ ? qToBigEndian(v, b.data()) : qToLittleEndian(v, b.data());
        return b;
    }
    // An IFD at `at`, its long values right after it.
    QByteArray Ifd(quint32 at, const std::vector<Tag>& tags, quint32 next) const {
        QByteArray head = U16(quint16(tags.size()));
        QByteArray tail;
        const quint32 dataAt = at + 2 + 12 * quint32(tags.size()) + 4;
        for (const Tag& t : tags) {
            head += U16(t.tag) + U16(t.type) + U32(t.count);
            if (t.data.size() <= 4) {
                head += t.data + QByteArray(4 - t.data.size(), 0);
            } else {
                head += U32(dataAt + quint32(tail.size()));
                tail += t.data;
                if (tail.size() % 2) tail += '\0';
            }
        }
        head += U32(next);
        return head + tail;
    }

private:
    bool big_;
};

QByteArray Ascii(const char* text) { return QByteArray(text) + '\0'; }

}  // namespace

QByteArray PhoneExifBlock(const PhoneExif& exif) {
    const Writer w(exif.bigEndian);
    const auto rational = [&](quint32 n, quint32 d) { return w.U32(n) + w.U32(d); };
    const auto sizeIfd = [](const std::vector<Tag>& tags) {
        quint32 bytes = 2 + 12 * quint32(tags.size()) + 4;
        for (const Tag& t : tags)
            if (t.data.size() > 4) bytes += quint32(t.data.size() + t.data.size() % 2);
        return bytes;
    };
    const std::vector<Tag> gps = {
        {0x0001, 2, 2, Ascii("N")},
        {0x0002, 5, 3, rational(35, 1) + rational(39, 1) + rational(2912, 100)},
        {0x0003, 2, 2, Ascii("E")},
        {0x0004, 5, 3, rational(139, 1) + rational(41, 1) + rational(3015, 100)},
    };
    // A maker's note: its own offsets count from the block's start, so it must not move.
    const QByteArray note = QByteArray("SRVNOTE\0", 8) + QByteArray(40, 'n');
    std::vector<Tag> photo = {
        {0x9003, 2, 20, Ascii(kDateTaken)},
        {0x927C, 7, quint32(note.size()), note},
        {0xA002, 4, 1, w.U32(quint32(exif.width))},
        {0xA003, 4, 1, w.U32(quint32(exif.height))},
    };
    std::vector<Tag> ifd0 = {
        {0x0100, 4, 1, w.U32(quint32(exif.width))},
        {0x0101, 4, 1, w.U32(quint32(exif.height))},
        {0x010F, 2, quint32(qstrlen(kMake) + 1), Ascii(kMake)},
        {0x0110, 2, quint32(qstrlen(kModel) + 1), Ascii(kModel)},
        {0x0112, 3, 1, w.U16(quint16(exif.orientation))},
        {0x8769, 4, 1, w.U32(0)},
        {0x8825, 4, 1, w.U32(0)},
    };
    const quint32 ifd0At = 8;
    const quint32 photoAt = ifd0At + sizeIfd(ifd0);
    const quint32 gpsAt = photoAt + sizeIfd(photo);
    const quint32 ifd1At = gpsAt + sizeIfd(gps);
    ifd0[5].data = w.U32(photoAt);
    ifd0[6].data = w.U32(gpsAt);

    QByteArray thumb;
    std::vector<Tag> ifd1;
    if (exif.thumbnail) {
        QBuffer buffer(&thumb);
        buffer.open(QIODevice::WriteOnly);
        QImage small(160, 120, QImage::Format_RGB32);
        small.fill(Qt::darkCyan);
        QImageWriter(&buffer, "jpeg").write(small);
        ifd1 = {{0x0103, 3, 1, w.U16(6)},
                {0x0201, 4, 1, w.U32(0)},
                {0x0202, 4, 1, w.U32(quint32(thumb.size()))}};
        ifd1[1].data = w.U32(ifd1At + sizeIfd(ifd1));
    }
    QByteArray block = exif.bigEndian ? QByteArray("MM\0*", 4) : QByteArray("II*\0", 4);
    block += w.U32(ifd0At);
    block += w.Ifd(ifd0At, ifd0, exif.thumbnail ? ifd1At : 0);
    block += w.Ifd(photoAt, photo, 0);
    block += w.Ifd(gpsAt, gps, 0);
    if (exif.thumbnail) block += w.Ifd(ifd1At, ifd1, 0) + thumb;
    return block;
}

QByteArray JpegWithExif(const QImage& picture, const QByteArray& block) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(picture);
    QByteArray app1 = QByteArray("Exif\0\0", 6) + block;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((app1.size() + 2) >> 8)).append(char((app1.size() + 2) & 0xFF));
    return jpeg.left(2) + segment + app1 + jpeg.mid(2);
}

QByteArray PngExifChunk(const QByteArray& png) {
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == "eXIf") return png.mid(at + 8, length);
        at += 12 + qsizetype(length);
    }
    return {};
}

}  // namespace sorvenal::test
