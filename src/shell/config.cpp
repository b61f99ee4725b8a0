// Placeholder bodies: this subsystem is being written.
#include "form1.h"

QString Form1::cfg_path() { return {}; }

void Form1::init_cfg_keys() {}

void Form1::load_config() {}

void Form1::default_config() {}

void Form1::save_config() {}
