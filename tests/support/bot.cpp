// Catches nothing on its own: the computer player that the soak, the whole-game tests and the benchmarks play with.
#include "bot.h"

#include "platform/keyboard.h"

#include <algorithm>
#include <cstdlib>

namespace bot {
namespace {

using Cells = std::array<std::array<int, 2>, 4>;
using Board = std::array<std::int16_t, 210>;

bool fits(const Board &b, const Cells &c, int dx, int dy) {
    return std::all_of(c.begin(), c.end(), [&](const auto &p) {
        const int x = p[0] + dx, y = p[1] + dy;
        return x >= 1 && x <= 8 && y >= 0 && y <= 19 && b[static_cast<std::size_t>(x + 10 * y)] == 0;
    });
}

// Full rows count for a place; height, holes and unevenness against it; a stack near the entry rows is fatal.
double value(Board b, const Cells &c, int dx, int dy) {
    for (const auto &p : c) {
        b[static_cast<std::size_t>(p[0] + dx + 10 * (p[1] + dy))] = 1;
    }
    int full = 0, holes = 0, total = 0, tallest = 0, bumps = 0, last = -1;
    for (int y = 0; y < 20; ++y) {
        full += std::all_of(b.begin() + 10 * y + 1, b.begin() + 10 * y + 9, [](std::int16_t v) { return v != 0; });
    }
    for (int x = 1; x <= 8; ++x) {
        int height = 0;
        for (int y = 0; y < 20; ++y) {
            const bool filled = b[static_cast<std::size_t>(x + 10 * y)] != 0;
            height = height == 0 && filled ? 20 - y : height;
            holes += height > 0 && !filled ? 1 : 0;
        }
        total += height;
        tallest = std::max(tallest, height);
        bumps += last < 0 ? 0 : std::abs(height - last);
        last = height;
    }
    const int danger = std::max(0, tallest - full - 12);
    return 0.76 * full - 0.51 * (total - 8 * full) - 0.36 * holes - 0.18 * bumps - 2.0 * danger * danger;
}

} // namespace

std::vector<int> plan(const std::int16_t *well, const std::int16_t *fig, const Deltas &dx, const Deltas &dy) {
    Board board;
    std::copy(well, well + 210, board.begin());
    Cells cells;
    for (std::size_t i = 0; i < 4; ++i) {
        cells[i] = {fig[4 + i], fig[8 + i]};
        board[static_cast<std::size_t>(cells[i][0] + 10 * cells[i][1])] = 0; // the figure is not in its own way
    }
    const auto type = static_cast<std::size_t>(fig[0]);
    double best = -1e9;
    std::vector<int> keys{plat::kVkSpace};
    for (int turns = 0, state = fig[1]; turns < 4; ++turns, state = (state + 1) % 4) {
        if (turns > 0) { // one more turn, from the state before
            const auto base = static_cast<std::size_t>(4 * ((state + 3) % 4));
            Cells next = cells;
            for (std::size_t i = 0; i < 4; ++i) {
                next[i] = {cells[i][0] + dx[type][base + i], cells[i][1] + dy[type][base + i]};
            }
            if (!fits(board, next, 0, 0)) {
                break;
            }
            cells = next;
        }
        for (int shift = -8; shift <= 8; ++shift) {
            bool way = true; // the figure passes every column on its way there
            for (int s = 0; s != shift && way; s += shift > 0 ? 1 : -1) {
                way = fits(board, cells, s + (shift > 0 ? 1 : -1), 0);
            }
            int drop = 0;
            while (way && fits(board, cells, shift, drop + 1)) {
                ++drop;
            }
            if (const double v = way ? value(board, cells, shift, drop) : -1e9; v > best) {
                best = v;
                keys.assign(static_cast<std::size_t>(turns), plat::kVkUp);
                keys.insert(keys.end(), static_cast<std::size_t>(std::abs(shift)),
                            shift < 0 ? plat::kVkLeft : plat::kVkRight);
                keys.push_back(plat::kVkSpace);
            }
        }
    }
    return keys;
}

} // namespace bot
