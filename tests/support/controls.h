#pragma once
// Reaching a window's controls by objectName, as a user-facing name, not by its members.
#include <QString>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <typeinfo>

namespace sorvenal::test {

// The one control of type T named `name` inside `window` (dialogs opened over it do not
// count). A missing, duplicated or retyped control ends the run with its name: a rename must
// not let a check pass on some other widget.
template <class T>
T* Control(const QWidget& window, const char* name) {
    T* found = nullptr;
    int count = 0;
    for (T* child : window.findChildren<T*>(QString::fromLatin1(name))) {
        if (child->window() != window.window()) continue;
        found = child;
        ++count;
    }
    if (count != 1) {
        std::fprintf(stderr, "%d controls of type %s named \"%s\" in %s\n", count, typeid(T).name(),
                     name, qPrintable(window.objectName()));
        std::abort();
    }
    return found;
}

}  // namespace sorvenal::test
