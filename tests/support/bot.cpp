#include "bot.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace bot {

namespace {

struct Board {
    std::array<std::int16_t, 210> cell{};
    [[nodiscard]] bool blocked(int x, int y) const {
        if (x < 0 || x > 9 || y < 0 || y > 20) {
            return true;
        }
        const std::int16_t v = cell[static_cast<size_t>(x + 10 * y)];
        return v != 0 && v < 100; // falling cells are the figure itself
    }
};

bool fits(const Board &b, const Cells &c) {
    return std::all_of(c.begin(), c.end(), [&](const auto &p) { return !b.blocked(p[0], p[1]); });
}

// One rotation step as the game makes it: refused outside the field or on a collision.
bool rotate_once(const Board &b, const View &v, int state, Cells &c) {
    Cells next = c;
    for (int i = 0; i < 4; ++i) {
        next[static_cast<size_t>(i)][0] += (*v.rot_dx)[static_cast<size_t>(v.type)][static_cast<size_t>(4 * state + i)];
        next[static_cast<size_t>(i)][1] += (*v.rot_dy)[static_cast<size_t>(v.type)][static_cast<size_t>(4 * state + i)];
        const auto &p = next[static_cast<size_t>(i)];
        if (p[0] < 1 || p[0] > 8 || p[1] < 0 || p[1] > 19) {
            return false;
        }
    }
    if (!fits(b, next)) {
        return false;
    }
    c = next;
    return true;
}

double evaluate(Board b, const Cells &c) {
    for (const auto &p : c) {
        b.cell[static_cast<size_t>(p[0] + 10 * p[1])] = 1;
    }
    int cleared = 0;
    for (int y = 0; y < 20; ++y) {
        bool full = true;
        for (int x = 1; x <= 8; ++x) {
            full = full && b.cell[static_cast<size_t>(x + 10 * y)] != 0;
        }
        if (full) {
            ++cleared;
            for (int r = y; r > 0; --r) {
                for (int x = 1; x <= 8; ++x) {
                    b.cell[static_cast<size_t>(x + 10 * r)] = b.cell[static_cast<size_t>(x + 10 * (r - 1))];
                }
            }
            for (int x = 1; x <= 8; ++x) {
                b.cell[static_cast<size_t>(x)] = 0;
            }
        }
    }
    int holes = 0;
    int aggregate = 0;
    int tallest = 0;
    int bumpiness = 0;
    int previous = -1;
    for (int x = 1; x <= 8; ++x) {
        int height = 0;
        bool seen = false;
        for (int y = 0; y < 20; ++y) {
            const bool filled = b.cell[static_cast<size_t>(x + 10 * y)] != 0;
            if (filled && !seen) {
                seen = true;
                height = 20 - y;
            } else if (!filled && seen) {
                ++holes;
            }
        }
        aggregate += height;
        tallest = std::max(tallest, height);
        if (previous >= 0) {
            bumpiness += std::abs(height - previous);
        }
        previous = height;
    }
    // A narrow well leaves little room: a stack near the entry row is fatal,
    // so height there costs far more than anywhere below.
    const int danger = std::max(0, tallest - 12);
    return 0.76 * cleared - 0.51 * aggregate - 0.36 * holes - 0.18 * bumpiness - 2.0 * danger * danger;
}

} // namespace

std::vector<int> plan(const View &view) {
    Board board;
    std::copy(view.well, view.well + 210, board.cell.begin());
    // A figure that has just entered still holds settled values: take it out.
    for (const auto &p : view.cells) {
        board.cell[static_cast<size_t>(p[0] + 10 * p[1])] = 0;
    }
    double best = -std::numeric_limits<double>::infinity();
    std::vector<int> best_keys{plat::kVkSpace};
    Cells turned = view.cells;
    int state = view.state;
    for (int turns = 0; turns < 4; ++turns) {
        if (turns > 0) {
            if (!rotate_once(board, view, state, turned)) {
                break;
            }
            state = (state + 1) % 4;
        }
        for (int dir : {-1, 1}) {
            Cells moved = turned;
            for (int steps = 0; steps < 9; ++steps) {
                if (steps > 0) {
                    Cells next = moved;
                    for (auto &p : next) {
                        p[0] += dir;
                    }
                    if (!fits(board, next)) {
                        break;
                    }
                    moved = next;
                }
                if (dir == 1 && steps == 0) {
                    continue; // the unshifted place was scored going left
                }
                Cells dropped = moved;
                for (;;) {
                    Cells next = dropped;
                    for (auto &p : next) {
                        ++p[1];
                    }
                    if (!fits(board, next)) {
                        break;
                    }
                    dropped = next;
                }
                const double value = evaluate(board, dropped);
                if (value > best) {
                    best = value;
                    best_keys.assign(static_cast<size_t>(turns), plat::kVkUp);
                    best_keys.insert(best_keys.end(), static_cast<size_t>(steps),
                                     dir < 0 ? plat::kVkLeft : plat::kVkRight);
                    best_keys.push_back(plat::kVkSpace);
                }
            }
        }
    }
    return best_keys;
}

} // namespace bot
