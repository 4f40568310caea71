#pragma once
// "バージョン": the program's icon and name on a brown ground, closed by its OK button.
#include <QDialog>
#include <functional>

class QFrame;
class QIcon;
class QLabel;
class QPushButton;

namespace sorvenal {

class Form4 : public QDialog {
    Q_OBJECT

public:
    // icon: the program's icon, shown as the window icon and as Image6.
    explicit Form4(const QIcon& icon, QWidget* parent = nullptr);

    QLabel* Image6;
    QLabel* Label1;
    QFrame* Line1;
    QPushButton* Command1;  // OK
};

// Opens Form4 modally and returns when it has closed. runModal: empty runs exec(); tests pass
// a function that presses the button.
void ShowVersionDialog(QWidget* owner, const QIcon& icon,
                       const std::function<void(QDialog&)>& runModal = {});

}  // namespace sorvenal
