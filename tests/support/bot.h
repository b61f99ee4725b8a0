// A player for tests and benchmarks: it reads the well and the falling
// figure, picks the rotation and column that leave the fewest holes and the
// lowest stack, and answers with the keys a person would press.
#pragma once

#include "platform/keyboard.h"

#include <array>
#include <cstdint>
#include <vector>

namespace bot {

using Cells = std::array<std::array<int, 2>, 4>; // (column, row) of the four cells

// What the bot needs to know of the game: the well as it is (falling cells
// above 100), the figure's type and cells, and the rotation deltas.
struct View {
    const std::int16_t *well = nullptr; // 10 x 21, column-fastest
    int type = 0;
    int state = 0;
    Cells cells{};
    using Deltas = std::array<std::array<std::int16_t, 17>, 8>;
    const Deltas *rot_dx = nullptr;
    const Deltas *rot_dy = nullptr;
};

// The keys that bring the figure to the best place found, ending with a drop.
std::vector<int> plan(const View &view);

} // namespace bot
