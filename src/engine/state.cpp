#include "form1.h"

#include <cmath>

Integer lang_rus = kTrue;

Long round_half_even(double v) { return static_cast<Long>(std::nearbyint(v)); }
