// The seven figures: where they enter, how they turn, and the moves of the
// falling figure. The figure lives in the well itself (values t + 101), so
// every move lifts its four cells, computes the new ones and writes them
// back, undoing the move when a new cell is taken.
#include "form1.h"

#include <cmath>

namespace {

// The shape of the window's tables: index 16 and a row for an eighth type exist only for it and stay 0.
using Deltas = std::array<Integer, 17>;

// Start cells per type, (column, row) for cells 0..3.
constexpr std::array<std::array<Integer, 8>, 7> kSpawn = {{
    {4, 0, 4, 1, 4, 2, 4, 3}, // bar
    {4, 0, 5, 0, 4, 1, 5, 1}, // square
    {5, 0, 4, 0, 4, 1, 4, 2},
    {4, 0, 5, 0, 5, 1, 5, 2},
    {4, 0, 4, 1, 5, 1, 5, 2},
    {5, 0, 5, 1, 4, 1, 4, 2},
    {4, 1, 5, 1, 6, 1, 5, 2},
}};

// Column and row deltas of the four steps 0->1, 1->2, 2->3, 3->0, four
// cells each. The square (type 1) has none: it only counts its state.
constexpr std::array<Deltas, 8> kDx = {{
    {-2, -1, 0, 1, 2, 1, 0, -1, 2, 1, 0, -1, -2, -1, 0, 1},
    {},
    {-2, -1, 0, 1, 0, 1, 0, -1, 2, 1, 0, -1, 0, -1, 0, 1},
    {0, -1, 0, 1, 2, 1, 0, -1, 0, 1, 0, -1, -2, -1, 0, 1},
    {-1, 0, -1, 0, 1, 0, -1, -2, 1, 0, 1, 0, -1, 0, 1, 2},
    {-1, 0, 1, 2, 1, 0, 1, 0, 1, 0, -1, -2, -1, 0, -1, 0},
    {1, 0, -1, 1, 1, 0, -1, -1, -1, 0, 1, -1, -1, 0, 1, 1},
}};
constexpr std::array<Deltas, 8> kDy = {{
    {2, 1, 0, -1, 2, 1, 0, -1, -2, -1, 0, 1, -2, -1, 0, 1},
    {},
    {0, 1, 0, -1, 2, 1, 0, -1, 0, -1, 0, 1, -2, -1, 0, 1},
    {2, 1, 0, -1, 0, 1, 0, -1, -2, -1, 0, 1, 0, -1, 0, 1},
    {1, 0, -1, -2, 1, 0, 1, 0, -1, 0, 1, 2, -1, 0, -1, 0},
    {1, 0, 1, 0, 1, 0, -1, -2, -1, 0, -1, 0, -1, 0, 1, 2},
    {1, 0, -1, -1, -1, 0, 1, -1, -1, 0, 1, 1, 1, 0, -1, 1},
}};

constexpr std::size_t idx(int i) { return static_cast<std::size_t>(i); }

} // namespace

void Form1::init_spawn_table() { spawn_tbl = kSpawn; }

void Form1::init_rotation_tables() {
    rot_dx = kDx;
    rot_dy = kDy;
}

void Form1::spawn_figure(Integer type, Integer &status) {
    if (type < 0 || type > 6) {
        status = -1;
        return;
    }
    const auto v = static_cast<Integer>(type + 101);
    status = 0;
    const auto &cells = spawn_tbl[idx(type)];
    for (int i = 0; i < 4; ++i) {
        const Integer x = cells[idx(2 * i)];
        const Integer y = cells[idx(2 * i + 1)];
        // An occupied start cell keeps its value; the caller ends the game.
        if (well(x, y) == 0) {
            well(x, y) = v;
        } else {
            status = 3;
        }
        fig[idx(4 + i)] = x;
        fig[idx(8 + i)] = y;
    }
    fig[0] = type;
    fig[1] = 0;
}

void Form1::lift_cell(Integer i) {
    save_x[idx(i)] = fig[idx(4 + i)];
    save_y[idx(i)] = fig[idx(8 + i)];
    well(save_x[idx(i)], save_y[idx(i)]) = 0;
}

void Form1::place_figure(Integer &blocked) {
    const auto v = static_cast<Integer>(fig[0] + 101);
    for (int i = 0; i < 4; ++i) {
        const Integer x = fig[idx(4 + i)];
        const Integer y = fig[idx(8 + i)];
        if (well(x, y) != 0) {
            // Undo: take back what was written, then put the figure where it was.
            for (int j = 0; j < i; ++j) {
                well(fig[idx(4 + j)], fig[idx(8 + j)]) = 0;
            }
            for (int j = 0; j < 4; ++j) {
                well(save_x[idx(j)], save_y[idx(j)]) = v;
                fig[idx(4 + j)] = save_x[idx(j)];
                fig[idx(8 + j)] = save_y[idx(j)];
            }
            blocked = -1;
            return;
        }
        well(x, y) = v;
    }
    blocked = 0;
}

void Form1::move_sideways(Integer direction, Integer &blocked) {
    const Integer dx = direction == 1 ? 1 : -1;
    for (Integer i = 0; i < 4; ++i) {
        lift_cell(i);
        fig[idx(4 + i)] = static_cast<Integer>(fig[idx(4 + i)] + dx);
    }
    place_figure(blocked);
}

void Form1::move_down(Integer &mode, Integer &blocked) {
    do {
        // Keys, the countdown and a close request get their turn before
        // every row, so they can act between two rows of a drop; a drop
        // asked for there turns the step it happens in into a drop.
        svc.pumpEvents();
        for (Integer i = 0; i < 4; ++i) {
            lift_cell(i);
            fig[idx(8 + i)] = static_cast<Integer>(fig[idx(8 + i)] + 1);
        }
        place_figure(blocked);
    } while (blocked == 0 && mode == 1);
}

void Form1::rotate() {
    const Integer old = fig[1];
    fig[1] = static_cast<Integer>(old + 1);
    if (fig[1] > 3) {
        fig[1] = 0;
    }
    const int base = 4 * old;
    const Integer t = fig[0];

    std::array<Integer, 4> old_x{};
    std::array<Integer, 4> old_y{};
    std::array<Integer, 4> old_v{};
    for (int i = 0; i < 4; ++i) {
        old_x[idx(i)] = fig[idx(4 + i)];
        old_y[idx(i)] = fig[idx(8 + i)];
        old_v[idx(i)] = well(old_x[idx(i)], old_y[idx(i)]);
    }

    for (Integer i = 0; i < 4; ++i) {
        lift_cell(i);
        const auto x = static_cast<Integer>(fig[idx(4 + i)] + rot_dx[idx(t)][idx(base + i)]);
        const auto y = static_cast<Integer>(fig[idx(8 + i)] + rot_dy[idx(t)][idx(base + i)]);
        fig[idx(4 + i)] = x;
        fig[idx(8 + i)] = y;
        if (x < 1 || x > 8 || y < 0 || y > 19) {
            // Out of the field: put back exactly what was there, values included.
            for (int j = 0; j < 4; ++j) {
                fig[idx(4 + j)] = old_x[idx(j)];
                fig[idx(8 + j)] = old_y[idx(j)];
                well(old_x[idx(j)], old_y[idx(j)]) = old_v[idx(j)];
            }
            fig[1] = old;
            return;
        }
    }

    Integer blocked = 0;
    place_figure(blocked);
    if (blocked == -1) {
        fig[1] = old;
    }
}

void Form1::random_int(Integer lo, Integer hi, Integer &result) {
    // r in [0, 1) from the top 24 bits: exactly representable in a float.
    const Single r = static_cast<Single>(rng() >> 8U) * (1.0F / 16777216.0F);
    const Single span = static_cast<Single>(hi - lo + 1);
    const Single product = span * r;
    const Single sum = product + static_cast<Single>(lo);
    auto value = static_cast<Long>(std::floor(sum));
    // Rounding of the float product could reach hi + 1 for wide ranges.
    if (value > hi) {
        value = hi;
    }
    result = static_cast<Integer>(value);
}
