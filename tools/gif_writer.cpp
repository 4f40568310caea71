#include "tools/gif_writer.h"

#include <QFile>
#include <vector>

namespace sorvenal {
namespace {

// Packs variable-width codes least significant bit first into 255-byte sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(QByteArray& out) : out_(out) {}

    void Put(int code, int width) {
        bits_ |= static_cast<quint32>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            Byte(static_cast<char>(bits_ & 0xFF));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    void Finish() {
        if (count_ > 0) Byte(static_cast<char>(bits_ & 0xFF));
        bits_ = 0;
        count_ = 0;
        if (!block_.isEmpty()) Flush();
        out_.append('\0');
    }

private:
    void Byte(char b) {
        block_.append(b);
        if (block_.size() == 255) Flush();
    }
    void Flush() {
        out_.append(static_cast<char>(block_.size()));
        out_.append(block_);
        block_.clear();
    }

    QByteArray& out_;
    QByteArray block_;
    quint32 bits_ = 0;
    int count_ = 0;
};

void PutLe16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

// Variable-length LZW codes with a 4096-entry dictionary, cleared when full.
void EncodeIndices(const QImage& indexed, int minCodeSize, QByteArray& out) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    constexpr int kMaxCode = 4095;
    // child[code * 256 + index]: the code of that string extended by index, 0 when absent.
    std::vector<quint16> child(static_cast<size_t>(kMaxCode + 1) * 256, 0);
    std::vector<int> used;  // entries to clear on reset, cheaper than clearing all of child
    CodeWriter writer(out);
    int width = minCodeSize + 1;
    int last = end;  // highest code assigned
    writer.Put(clear, width);
    int current = -1;
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* row = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            const int index = row[x];
            if (current < 0) {
                current = index;
                continue;
            }
            const int slot = current * 256 + index;
            if (child[slot] != 0) {
                current = child[slot];
                continue;
            }
            writer.Put(current, width);
            child[slot] = static_cast<quint16>(++last);
            used.push_back(slot);
            if (last >= (1 << width) && width < 12) ++width;
            if (last == kMaxCode) {
                writer.Put(clear, width);
                for (int s : used) child[s] = 0;
                used.clear();
                width = minCodeSize + 1;
                last = end;
            }
            current = index;
        }
    }
    if (current >= 0) writer.Put(current, width);
    writer.Put(end, width);
    writer.Finish();
}

}  // namespace

QByteArray EncodeGif(const QImage& picture) {
    if (picture.isNull() || picture.width() > 65535 || picture.height() > 65535) return {};
    const QImage indexed = picture.format() == QImage::Format_Indexed8
                               ? picture
                               : picture.convertToFormat(QImage::Format_Indexed8);
    QList<QRgb> colors = indexed.colorTable();
    if (colors.isEmpty()) colors.append(qRgb(0, 0, 0));
    int tableBits = 1;
    while ((1 << tableBits) < colors.size()) ++tableBits;
    const int minCodeSize = std::max(2, tableBits);

    QByteArray out("GIF89a");
    PutLe16(out, indexed.width());
    PutLe16(out, indexed.height());
    out.append(static_cast<char>(0x80 | (tableBits - 1) << 4 | (tableBits - 1)));
    out.append('\0');  // background colour index
    out.append('\0');  // square pixels
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb c = i < colors.size() ? colors[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    out.append(',');
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe16(out, indexed.width());
    PutLe16(out, indexed.height());
    out.append('\0');  // no local colour table, not interlaced
    out.append(static_cast<char>(minCodeSize));
    EncodeIndices(indexed, minCodeSize, out);
    out.append(';');
    return out;
}

bool WriteGif(const QImage& picture, const QString& path) {
    const QByteArray data = EncodeGif(picture);
    if (data.isEmpty()) return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data) == data.size() && file.flush();
}

}  // namespace sorvenal
