// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::init_captions() {}

void Form1::init_menu_captions() {}

void Form1::set_russian_captions() {}

void Form1::set_english_captions() {}

void Form1::mnu_rus_Click() {}

void Form1::mnu_eng_Click() {}

QString Form1::caption(int /*entry*/) const { return {}; }
