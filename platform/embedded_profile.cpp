#include "platform/embedded_profile.h"

#include <unistd.h>
#include <zlib.h>

#include <QtEndian>
#include <functional>
#include <map>

namespace sorvenal {
namespace {

// Profiles larger than this are not photos' profiles.
constexpr qint64 kMaxProfile = 16 << 20;

using ReadAt = std::function<QByteArray(qint64 offset, qint64 length)>;

quint32 Big32(const QByteArray& b, int at) {
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + at);
}

// JPEG: the profile is cut into numbered APP2 segments before the first scan.
QByteArray JpegIcc(const ReadAt& read) {
    std::map<int, QByteArray> parts;
    int count = 0;
    qint64 at = 2;
    qint64 total = 0;
    for (int markers = 0; markers < 4096; ++markers) {
        const QByteArray head = read(at, 4);
        if (head.size() < 4 || uchar(head[0]) != 0xFF) break;
        const uchar marker = uchar(head[1]);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;  // the scan: no profile after it
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        const int length = (uchar(head[2]) << 8) | uchar(head[3]);
        if (length < 2) break;
        if (marker == 0xE2 && length >= 16) {
            const QByteArray body = read(at + 4, length - 2);
            if (body.size() == length - 2 && body.startsWith(QByteArray("ICC_PROFILE\0", 12))) {
                const int sequence = uchar(body[12]);
                count = uchar(body[13]);
                total += body.size() - 14;
                if (total > kMaxProfile) return {};
                parts[sequence] = body.mid(14);
            }
        }
        at += 2 + length;
    }
    if (count == 0 || static_cast<int>(parts.size()) != count) return {};
    QByteArray profile;
    for (int sequence = 1; sequence <= count; ++sequence) {
        const auto part = parts.find(sequence);
        if (part == parts.end()) return {};
        profile += part->second;
    }
    return profile;
}

QByteArray Inflate(const QByteArray& compressed) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return {};
    QByteArray out;
    char chunk[16384];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    int status = Z_OK;
    while (status == Z_OK && out.size() <= kMaxProfile) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - stream.avail_out));
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && out.size() <= kMaxProfile ? out : QByteArray();
}

// PNG: one zlib-compressed iCCP chunk before the picture data.
QByteArray PngIcc(const ReadAt& read) {
    qint64 at = 8;
    for (int chunks = 0; chunks < 4096; ++chunks) {
        const QByteArray head = read(at, 8);
        if (head.size() < 8) break;
        const qint64 length = Big32(head, 0);
        const QByteArray type = head.mid(4, 4);
        if (type == "IDAT" || type == "IEND") break;
        if (type == "iCCP") {
            if (length > kMaxProfile) return {};
            const QByteArray body = read(at + 8, length);
            const qsizetype nameEnd = body.indexOf('\0');
            if (body.size() != length || nameEnd < 0 || nameEnd + 2 > body.size()) return {};
            return Inflate(body.mid(nameEnd + 2));  // after the name and the method byte
        }
        at += 12 + length;
    }
    return {};
}

// WebP: an ICCP chunk of the extended layout.
QByteArray WebpIcc(const ReadAt& read) {
    qint64 at = 12;
    for (int chunks = 0; chunks < 64; ++chunks) {
        const QByteArray head = read(at, 8);
        if (head.size() < 8) break;
        const qint64 length = qFromLittleEndian<quint32>(head.constData() + 4);
        if (head.startsWith("ICCP")) {
            if (length > kMaxProfile) return {};
            const QByteArray body = read(at + 8, length);
            return body.size() == length ? body : QByteArray();
        }
        if (head.startsWith("VP8 ") || head.startsWith("VP8L")) break;
        at += 8 + length + (length & 1);
    }
    return {};
}

QByteArray IccOf(const ReadAt& read, const QByteArray& format) {
    if (format == "jpeg") return JpegIcc(read);
    if (format == "png") return PngIcc(read);
    if (format == "webp") return WebpIcc(read);
    return {};
}

}  // namespace

QByteArray EmbeddedIcc(int fd, const QByteArray& format) {
    return IccOf(
        [fd](qint64 offset, qint64 length) {
            QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
            qint64 got = 0;
            while (got < length) {
                const ssize_t n = ::pread(fd, bytes.data() + got, static_cast<size_t>(length - got),
                                          static_cast<off_t>(offset + got));
                if (n <= 0) break;
                got += n;
            }
            bytes.truncate(static_cast<qsizetype>(got));
            return bytes;
        },
        format);
}

QByteArray EmbeddedIcc(const QByteArray& bytes, const QByteArray& format) {
    return IccOf(
        [&bytes](qint64 offset, qint64 length) {
            if (offset < 0 || offset >= bytes.size()) return QByteArray();
            return bytes.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
        },
        format);
}

}  // namespace sorvenal
