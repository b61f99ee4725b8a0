// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::Picture1_KeyDown(Integer /*key_code*/, Integer /*shift*/) {}
