// A computer player for the suites and the benchmarks: the keys for the turn and column it judges best.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace bot {

using Deltas = std::array<std::array<std::int16_t, 17>, 8>;

// well: 10 x 21 cells, column-fastest; fig: type, turn state, then the columns and the rows of the four cells.
std::vector<int> plan(const std::int16_t *well, const std::int16_t *fig, const Deltas &dx, const Deltas &dy);

} // namespace bot
