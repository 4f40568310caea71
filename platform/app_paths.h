#pragma once
#include <QString>

namespace sorvenal {

// Builds folder + separator + name, without doubling the separator after a root.
QString JoinPath(const QString& folder, const QString& name);

}  // namespace sorvenal
