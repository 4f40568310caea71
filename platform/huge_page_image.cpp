#include "platform/huge_page_image.h"

#include <sys/mman.h>

#include <cstdint>
#include <limits>
#include <mutex>
#include <utility>

namespace sorvenal {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

struct Mapping {
    void* data = nullptr;
    size_t length = 0;
};

// The memory of the last huge-page picture freed, kept for the next one: on these machines the
// first touch of fresh memory costs more than the page faults, and browsing frees one photo
// just before it decodes the next of about its size.
struct Spare {
    std::mutex mutex;
    Mapping mapping;
};
// Never destroyed: a picture may be freed during the program's exit.
Spare& TheSpare() {
    static auto* spare = new Spare;
    return *spare;
}

void Unmap(const Mapping& m) {
    if (m.data) ::munmap(m.data, m.length);
}

Mapping TakeSpare(size_t length) {
    Mapping taken, dropped;
    {
        Spare& spare = TheSpare();
        const std::lock_guard lock(spare.mutex);
        std::swap(taken, spare.mapping);
    }
    // Not a quarter larger than asked: a panorama's memory is not held for a thumbnail.
    if (taken.length < length || taken.length - length > length / 4) std::swap(taken, dropped);
    Unmap(dropped);
    return taken;
}

void KeepAsSpare(const Mapping& m) {
    Mapping older = m;
    {
        Spare& spare = TheSpare();
        const std::lock_guard lock(spare.mutex);
        std::swap(older, spare.mapping);
    }
    Unmap(older);
}

Mapping MapHugePages(size_t length) {
    // Mapped one huge page more, so that a start on a huge-page boundary can be cut out.
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return {};
    const auto base = reinterpret_cast<std::uintptr_t>(mapped);
    const size_t head = (kHugePage - base % kHugePage) % kHugePage;
    char* const start = static_cast<char*>(mapped);
    if (head > 0) ::munmap(start, head);
    if (kHugePage - head > 0) ::munmap(start + head + length, kHugePage - head);
    void* data = start + head;
    // Only advice: where the kernel has no huge pages the memory works as any other.
    ::madvise(data, length, MADV_HUGEPAGE);
    return {data, length};
}

}  // namespace

void ReleaseSpareHugePages() { Unmap(TakeSpare(std::numeric_limits<size_t>::max())); }

QImage HugePageImage(int width, int height) {
    if (width <= 0 || height <= 0) return QImage();
    const size_t bytes = static_cast<size_t>(width) * 4 * static_cast<size_t>(height);
    const size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    Mapping mapping = TakeSpare(length);
    if (!mapping.data) mapping = MapHugePages(length);
    if (!mapping.data) return QImage();
    return QImage(
        static_cast<uchar*>(mapping.data), width, height, static_cast<qsizetype>(width) * 4,
        QImage::Format_RGB32,
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            KeepAsSpare(*m);
            delete m;
        },
        new Mapping(mapping));
}

}  // namespace sorvenal
