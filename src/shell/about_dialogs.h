// The About box and the control-keys box: small modeless dialogs.
#pragma once

#include <QDialog>

class frmAbout : public QDialog {
public:
    explicit frmAbout(QWidget *owner);
};

class frmAbout1 : public QDialog {
public:
    explicit frmAbout1(QWidget *owner);
};
