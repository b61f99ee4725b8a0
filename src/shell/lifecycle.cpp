// Placeholder bodies: this subsystem is being written.
#include "form1.h"
#include <QCloseEvent>

void Form1::Form_QueryUnload(Integer & /*cancel*/, Integer /*unload_mode*/) {}

void Form1::Form_Unload(Integer & /*cancel*/) {}

void Form1::unload_main_window() { unloaded_ = true; }

void Form1::closeEvent(QCloseEvent *event) { QMainWindow::closeEvent(event); }
