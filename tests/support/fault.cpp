#include "tests/support/fault.h"

#include <dlfcn.h>

#include <cstdlib>

namespace sorvenal::test {

ScopedFault::ScopedFault(const char* call, int error, const QByteArray& pathPart) {
    const char* current = std::getenv("SORVENAL_FAULT");
    hadValue_ = current != nullptr;
    saved_ = current ? QByteArray(current) : QByteArray();
    QByteArray rules = saved_;
    if (!rules.isEmpty()) rules += ';';
    rules += QByteArray(call) + ':' + QByteArray::number(error) + ':' + pathPart;
    ::setenv("SORVENAL_FAULT", rules.constData(), 1);
}

ScopedFault::~ScopedFault() {
    if (hadValue_)
        ::setenv("SORVENAL_FAULT", saved_.constData(), 1);
    else
        ::unsetenv("SORVENAL_FAULT");
}

bool ScopedFault::ShimLoaded() { return ::dlsym(RTLD_DEFAULT, "sorvenal_fault_shim_loaded"); }

}  // namespace sorvenal::test
