#pragma once
#include <QString>

namespace sorvenal {

// The folder that holds the program's executable.
QString ProgramFolder();
// Builds folder + separator + name, without doubling the separator after a root.
QString JoinPath(const QString& folder, const QString& name);

}  // namespace sorvenal
