#pragma once
// Files by their bytes, for tests of names that are not UTF-8.
#include <QByteArray>
#include <QStringList>

namespace sorvenal::test {

void WriteFile(const QByteArray& path, const QByteArray& bytes);
// The content, or "<missing>".
QByteArray ReadFile(const QByteArray& path);
// Every name in the folder, hidden ones included so a left-over temporary shows; sorted.
QStringList Entries(const QByteArray& folder);

// Sets (or, with a null value, unsets) an environment variable for its lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray name_;
    QByteArray saved_;
    bool hadValue_;
};

}  // namespace sorvenal::test
