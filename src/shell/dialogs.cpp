// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::mnu_about_Click() {}

void Form1::Ctrls_Click() {}
#include "shell/about_dialogs.h"

frmAbout::frmAbout(QWidget *owner) : QDialog(owner) {}

frmAbout1::frmAbout1(QWidget *owner) : QDialog(owner) {}
