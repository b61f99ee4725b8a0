// The cup and the crown, drawn over whatever the play area shows: AND with
// the mask blackens the shape, OR with the picture fills it with gold.
#include "form1.h"

void Form1::draw_trophy(Long x, Long y, Integer which) {
    const std::array<QImage, 2> *trophy = nullptr;
    if (which == 1) {
        trophy = &cup;
    } else if (which == 2) {
        trophy = &crown;
    } else {
        return;
    }
    const QImage &mask = (*trophy)[0];
    const QImage &picture = (*trophy)[1];
    Picture1->blit(x, y, mask.width(), mask.height(), mask, plat::Rop::And);
    Picture1->blit(x, y, picture.width(), picture.height(), picture, plat::Rop::Or);
    // Only the mask's area is refreshed; a taller picture's last row shows at
    // the next repaint of that spot.
    Picture1->invalidate(QRect(x, y, mask.width(), mask.height()));
}
