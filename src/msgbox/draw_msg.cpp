// Placeholder bodies: this subsystem is being written.
#include "form1.h"

void Form1::draw_msg(Integer /*x*/, Integer /*y*/, Integer /*pad_w*/, Integer /*pad_h*/, Long /*back_color*/,
                     Long /*fore_color*/, const QString & /*text*/) {}
