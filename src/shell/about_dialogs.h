// The About box and the control-keys box: small modeless dialogs owned by
// the main window, built in the language chosen at the moment they open.
#pragma once

#include <QDialog>
#include <QImage>

#include <array>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
public:
    explicit frmAbout(QWidget *owner);

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lbltit1 = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCpr = nullptr;
    QLabel *lbldescription = nullptr;
    QLabel *Lblcont = nullptr;
    QPushButton *cmdOK = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
};

class frmAbout1 : public QDialog {
public:
    explicit frmAbout1(QWidget *owner);

    // The pictured keys, in the order of the key table.
    enum class Key { Left, Right, Up, Down, Space, Enter, P, F2, F3, Plus, Minus, Esc };
    // A key cap of the given size with its symbol.
    [[nodiscard]] static QImage keyPicture(Key key, int width, int height);

    QLabel *lblTitle = nullptr;
    std::array<QLabel *, 11> Label1{};
    std::array<QLabel *, 12> keys{};
    QPushButton *cmdOK = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
};
