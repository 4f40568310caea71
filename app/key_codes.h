#pragma once
// Key codes as the window's key handlers receive them.
#include <QString>
#include <Qt>

namespace sorvenal {

inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;

// The code Form_KeyDown receives for a Qt key; 0 for the keys it does not tell apart.
inline int HandlerKeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Left:
            return kKeyLeft;
        case Qt::Key_Up:
            return kKeyUp;
        case Qt::Key_Right:
            return kKeyRight;
        case Qt::Key_Down:
            return kKeyDown;
        default:
            return 0;
    }
}

// A key that types a character (Enter and Backspace included, Tab and Esc not).
inline bool IsCharacterKey(const QString& text) {
    if (text.isEmpty()) return false;
    const char16_t c = text.at(0).unicode();
    return c != u'\x1b' && c != u'\t' && c != u'\x7f' && (c >= 0x20 || c == u'\r' || c == u'\b');
}

}  // namespace sorvenal
