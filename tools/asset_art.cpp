#include "asset_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <stdexcept>

namespace art {
namespace {

constexpr double kPi = std::numbers::pi;

// ------------------------------------------------------------------ drawing

struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// A gradient through evenly spaced stops, t in 0..1.
Rgb ramp(const std::vector<Rgb> &stops, double t) {
    t = std::clamp(t, 0.0, 1.0) * static_cast<double>(stops.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(t), stops.size() - 2);
    return mix(stops[i], stops[i + 1], t - static_cast<double>(i));
}

// Pixel (x, y) covers the square [x, x+1) x [y, y+1); shapes are tested at
// 4 x 4 points per pixel and blended by the share of points inside.
using Inside = std::function<bool(double, double)>;
using Paint = std::function<Rgb(double, double)>;

class Canvas {
public:
    Canvas(int w, int h, Rgb fill)
        : w_(w), h_(h), px_(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

    [[nodiscard]] int w() const { return w_; }
    [[nodiscard]] int h() const { return h_; }
    Rgb &at(int x, int y) {
        return px_[static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(x)];
    }

    void set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) {
            at(x, y) = c;
        }
    }

    void fill_rect(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                set(x, y, c);
            }
        }
    }

    // Pixels covered less than `min_cover` are left alone, so a shape on
    // black keeps a clean edge instead of a halo of nearly black pixels.
    void shape(const Inside &inside, const Paint &paint, double min_cover = 0.0) {
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy) {
                    for (int sx = 0; sx < 4; ++sx) {
                        hits += inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0) ? 1 : 0;
                    }
                }
                const double cover = hits / 16.0;
                if (hits == 0 || cover < min_cover) {
                    continue;
                }
                at(x, y) = mix(at(x, y), paint(x + 0.5, y + 0.5), cover);
            }
        }
    }
    void shape(const Inside &inside, Rgb c, double min_cover = 0.0) {
        shape(
            inside, [c](double, double) { return c; }, min_cover);
    }

    [[nodiscard]] Picture picture() const {
        Picture p{w_, h_, {}};
        p.px.reserve(px_.size());
        for (const Rgb &c : px_) {
            auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
            p.px.push_back(byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b));
        }
        return p;
    }

private:
    int w_;
    int h_;
    std::vector<Rgb> px_;
};

Inside rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

Inside ellipse(double cx, double cy, double rx, double ry) {
    return [=](double x, double y) {
        const double u = (x - cx) / rx;
        const double v = (y - cy) / ry;
        return u * u + v * v <= 1.0;
    };
}

struct Pt {
    double x;
    double y;
};

Inside polygon(std::vector<Pt> pts) {
    return [pts = std::move(pts)](double x, double y) {
        bool in = false;
        for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const Pt a = pts[i];
            const Pt b = pts[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
                in = !in;
            }
        }
        return in;
    };
}

// A stroke of half-width `hw` with round ends.
Inside segment(Pt a, Pt b, double hw) {
    return [=](double x, double y) {
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const double ex = x - (a.x + t * dx);
        const double ey = y - (a.y + t * dy);
        return ex * ex + ey * ey <= hw * hw;
    };
}

// A piece of a ring between radii r0 and r1; angles in degrees, 0 pointing
// right, counter-clockwise on screen (y grows downwards).
Inside arc(double cx, double cy, double r0, double r1, double a0, double a1) {
    return [=](double x, double y) {
        const double r = std::hypot(x - cx, y - cy);
        if (r < r0 || r > r1) {
            return false;
        }
        double a = std::atan2(cy - y, x - cx) * 180.0 / kPi;
        if (a < a0) {
            a += 360.0;
        }
        return a >= a0 && a <= a1;
    };
}

Inside unite(std::vector<Inside> parts) {
    return [parts = std::move(parts)](double x, double y) {
        return std::any_of(parts.begin(), parts.end(), [&](const Inside &p) { return p(x, y); });
    };
}

Inside shifted(const Inside &s, double dx, double dy) {
    return [=](double x, double y) { return s(x - dx, y - dy); };
}

// ------------------------------------------------------------------- cells

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPurple{150, 40, 170};
constexpr Rgb kOrange{245, 140, 25};

// A square cell lit from the top left: bright top and left edges, dark
// bottom and right ones, a flat middle.
void bevel_cell(Canvas &c, Rgb body, int x0, int y0, int size) {
    const Rgb light = mix(body, Rgb{255, 255, 255}, 0.45);
    const Rgb dark = mix(body, kBlack, 0.45);
    c.fill_rect(x0, y0, x0 + size, y0 + size, body);
    for (int i = 0; i < size; ++i) {
        c.set(x0 + i, y0, light);
        c.set(x0, y0 + i, light);
        c.set(x0 + i, y0 + size - 1, dark);
        c.set(x0 + size - 1, y0 + i, dark);
    }
    c.set(x0 + size - 1, y0, body);
    c.set(x0, y0 + size - 1, body);
}

Picture wall_cell() {
    Canvas c(16, 16, kBlack);
    const Rgb body = mix(kPurple, kBlack, 0.2);
    bevel_cell(c, body, 0, 0, 16);
    // The hole: a sunken square, so its shading runs the other way.
    c.fill_rect(5, 5, 11, 11, kBlack);
    for (int i = 5; i < 11; ++i) {
        c.set(i, 4, mix(body, kBlack, 0.45));
        c.set(4, i, mix(body, kBlack, 0.45));
        c.set(i, 11, mix(body, Rgb{255, 255, 255}, 0.45));
        c.set(11, i, mix(body, Rgb{255, 255, 255}, 0.45));
    }
    return c.picture();
}

Picture empty_cell() {
    Canvas c(16, 16, kBlack);
    c.fill_rect(7, 7, 9, 9, Rgb{128, 128, 128});
    return c.picture();
}

Picture plain_cell(Rgb body) {
    Canvas c(16, 16, kBlack);
    bevel_cell(c, body, 0, 0, 16);
    return c.picture();
}

// Frame 0..7 of a block bursting: a small yellow cross on the block grows
// into a star-shaped burst that eats the block, then burns out from the
// middle and leaves a black hole ringed with flames.
Picture explosion(int frame) {
    Canvas c(16, 16, kBlack);
    const double cx = 8.0;
    const double cy = 8.0;
    if (frame < 4) {
        // The block darkens as the fire takes it.
        bevel_cell(c, mix(kPurple, kBlack, 0.15 * frame), 0, 0, 16);
    }
    const Rgb white_hot{255, 255, 220};
    const Rgb yellow{255, 225, 40};
    const Rgb orange{255, 140, 20};
    const Rgb red{215, 30, 15};
    const Rgb ember{110, 15, 5};
    if (frame <= 1) {
        const double arm = 2.5 + 1.5 * frame;
        const double hw = 0.9 + 0.3 * frame;
        c.shape(unite({segment({cx - arm, cy}, {cx + arm, cy}, hw), segment({cx, cy - arm}, {cx, cy + arm}, hw)}),
                [&](double x, double y) { return mix(white_hot, yellow, std::hypot(x - cx, y - cy) / arm); });
        if (frame == 1) {
            c.shape(ellipse(cx, cy, 1.2, 1.2), white_hot);
        }
        return c.picture();
    }
    // Radius of the burst and of the burnt-out hole per frame 2..7.
    constexpr std::array<double, 8> kOuter{0, 0, 4.5, 6.5, 8.5, 9.0, 8.6, 8.0};
    constexpr std::array<double, 8> kHole{0, 0, 0, 0, 0, 2.2, 3.8, 5.0};
    constexpr std::array<double, 8> kCool{0, 0, 0, 0.1, 0.2, 0.35, 0.55, 0.75};
    const double outer = kOuter[static_cast<std::size_t>(frame)];
    const double hole = kHole[static_cast<std::size_t>(frame)];
    const double cool = kCool[static_cast<std::size_t>(frame)];
    // Eight tongues of flame, offset a little each frame so they flicker.
    auto reach = [&](double x, double y) {
        const double a = std::atan2(y - cy, x - cx) + 0.3 * frame;
        return outer * (0.72 + 0.28 * std::pow(std::abs(std::cos(4.0 * a)), 0.7));
    };
    c.shape([&](double x, double y) { return std::hypot(x - cx, y - cy) <= reach(x, y); },
            [&](double x, double y) {
                const double t = (std::hypot(x - cx, y - cy) - hole) / std::max(0.1, reach(x, y) - hole);
                const Rgb hot = ramp({white_hot, yellow, orange, red}, t);
                return mix(hot, ramp({orange, red, ember}, t), cool);
            });
    if (hole > 0) {
        c.shape(ellipse(cx, cy, hole, hole), [&](double x, double y) {
            // Glowing rim around the hole, black in its middle.
            const double t = std::hypot(x - cx, y - cy) / hole;
            return t > 0.75 ? mix(kBlack, ember, (t - 0.75) / 0.25) : kBlack;
        });
    }
    return c.picture();
}

// ----------------------------------------------------------------- buttons

constexpr Rgb kFace{192, 192, 192};
constexpr Rgb kHilite{255, 255, 255};
constexpr Rgb kLight{223, 223, 223};
constexpr Rgb kShadow{128, 128, 128};
constexpr Rgb kDarkShadow{64, 64, 64};

enum class Look { Raised, Pressed, Greyed };

// The raised face has light top and left edges and dark bottom and right
// ones; the pressed-in face swaps them and is dotted.
void button_face(Canvas &c, bool pressed) {
    const int w = c.w();
    const int h = c.h();
    c.fill_rect(0, 0, w, h, kFace);
    if (pressed) {
        for (int y = 2; y < h - 2; ++y) {
            for (int x = 2; x < w - 2; ++x) {
                if ((x + y) % 2 == 0) {
                    c.set(x, y, Rgb{238, 238, 238});
                }
            }
        }
    }
    const Rgb outer_tl = pressed ? kShadow : kHilite;
    const Rgb inner_tl = pressed ? kDarkShadow : kLight;
    const Rgb outer_br = pressed ? kHilite : kDarkShadow;
    const Rgb inner_br = pressed ? kLight : kShadow;
    for (int x = 0; x < w; ++x) {
        c.set(x, h - 1, outer_br);
        if (x >= 1 && x < w - 1) {
            c.set(x, h - 2, inner_br);
        }
    }
    for (int y = 0; y < h; ++y) {
        c.set(w - 1, y, outer_br);
        if (y >= 1 && y < h - 1) {
            c.set(w - 2, y, inner_br);
        }
    }
    for (int x = 0; x < w - 1; ++x) {
        c.set(x, 0, outer_tl);
        if (x >= 1 && x < w - 2) {
            c.set(x, 1, inner_tl);
        }
    }
    for (int y = 0; y < h - 1; ++y) {
        c.set(0, y, outer_tl);
        if (y >= 1 && y < h - 2) {
            c.set(1, y, inner_tl);
        }
    }
}

// One coloured layer of a button's symbol.
struct Layer {
    Inside shape;
    Rgb colour;
};

// A pressed face shows the symbol one pixel down and right; a greyed one
// shows it etched: a white copy below and right of a grey one.
Picture button(int w, int h, Look look, const std::vector<Layer> &symbol) {
    Canvas c(w, h, kFace);
    button_face(c, look == Look::Pressed);
    const double d = look == Look::Pressed ? 1.0 : 0.0;
    if (look == Look::Greyed) {
        for (const Layer &l : symbol) {
            c.shape(shifted(l.shape, 1, 1), kHilite);
        }
        for (const Layer &l : symbol) {
            c.shape(l.shape, kShadow);
        }
    } else {
        for (const Layer &l : symbol) {
            c.shape(shifted(l.shape, d, d), l.colour);
        }
    }
    return c.picture();
}

std::vector<Layer> play_symbol() { return {{polygon({{16, 4}, {16, 17}, {27, 10.5}}), kBlack}}; }

std::vector<Layer> pause_symbol() { return {{unite({rect(14, 5, 18, 16), rect(23, 5, 27, 16)}), kBlack}}; }

std::vector<Layer> speaker_symbol(bool struck) {
    std::vector<Layer> s{
        {unite({rect(9, 8, 13, 13), polygon({{12.5, 8}, {18, 3.5}, {18, 17.5}, {12.5, 13}})}), kBlack},
        {unite({arc(17, 10.5, 3.2, 4.6, -50, 50), arc(17, 10.5, 6.2, 7.6, -50, 50), arc(17, 10.5, 9.2, 10.6, -48, 48)}),
         kBlack}};
    if (struck) {
        s.push_back({segment({8, 17}, {32, 4}, 1.2), Rgb{220, 0, 0}});
    }
    return s;
}

std::vector<Layer> next_symbol(bool struck) {
    // Four small squares making a T, and a question mark: "what comes next".
    const Rgb magenta{230, 0, 230};
    const Rgb magenta_dark{120, 0, 120};
    std::vector<Layer> s;
    const std::array<Pt, 4> cells{{{8, 6}, {13, 6}, {18, 6}, {13, 11}}};
    for (const Pt p : cells) {
        s.push_back({rect(p.x, p.y, p.x + 5, p.y + 5), magenta_dark});
        s.push_back({rect(p.x, p.y, p.x + 4, p.y + 4), magenta});
    }
    s.push_back({unite({arc(29, 8, 1.6, 3.4, -60, 180), segment({30.2, 10.3}, {29, 12}, 0.9),
                        rect(28.1, 11.5, 29.9, 13.6), rect(28.1, 15, 29.9, 16.8)}),
                 kBlack});
    if (struck) {
        s.push_back({segment({6, 17}, {34, 4}, 1.2), Rgb{220, 0, 0}});
    }
    return s;
}

std::vector<Layer> arrow_symbol(bool up) {
    const double tip = up ? 3.5 : 13.5;
    const double base = up ? 9 : 8;
    const double tail = up ? 13.5 : 3.5;
    return {{unite({polygon({{12, tip}, {5.5, base}, {18.5, base}}),
                    rect(9.5, std::min(base, tail), 14.5, std::max(base, tail))}),
             kBlack}};
}

// ------------------------------------------------------------------ trophy

const std::vector<Rgb> kGold{{70, 40, 0}, {165, 110, 15}, {225, 175, 45}, {255, 225, 110}, {255, 250, 215}};

// Shading of a round golden surface seen from the front: u runs from -1
// (left edge) to 1 (right edge); the light comes from the upper left.
Rgb gold_round(double u, double lift = 0.0) {
    const double body = 0.2 + 0.55 * std::exp(-std::pow((u + 0.3) / 0.75, 2.0));
    const double glint = 0.3 * std::exp(-std::pow((u + 0.45) / 0.13, 2.0));
    return ramp(kGold, body + glint + lift);
}

// Pictures keep clean edges on black so that their masks fit them exactly.
constexpr double kEdge = 0.3;

Picture cup() {
    Canvas c(78, 76, kBlack);
    const double cx = 39.0;
    // Bowl: a half-ellipse under the rim.
    const double top = 8.0;
    const double depth = 34.0;
    auto bowl_w = [&](double y) {
        const double t = std::clamp((y - top) / depth, 0.0, 1.0);
        return 5.0 + 22.0 * std::sqrt(1.0 - t * t);
    };
    // Handles behind the bowl: thick rings of which only the outer halves show.
    for (const double side : {-1.0, 1.0}) {
        const double hx = cx + side * 25.0;
        const double hy = 20.0;
        c.shape(
            [&](double x, double y) {
                const double r = std::hypot(x - hx, (y - hy) * 0.9);
                return r >= 6.5 && r <= 11.5 && (x - cx) * side > 20.0;
            },
            [&](double x, double y) {
                const double r = std::hypot(x - hx, (y - hy) * 0.9);
                const double across = (r - 6.5) / 5.0;
                const double lit = (y < hy ? 0.15 : -0.05) + (side < 0 ? 0.1 : -0.1);
                return ramp(kGold, 0.25 + 0.5 * std::sin(kPi * across) + lit);
            },
            kEdge);
    }
    c.shape([&](double x, double y) { return y >= top && y <= top + depth && std::abs(x - cx) <= bowl_w(y); },
            [&](double x, double y) {
                const double t = (y - top) / depth;
                return gold_round((x - cx) / bowl_w(y), 0.05 - 0.15 * t);
            },
            kEdge);
    // The rim, and the dark inside of the bowl seen over it.
    c.shape(
        ellipse(cx, top, 27.5, 4.5), [&](double x, double) { return gold_round((x - cx) / 27.5, 0.15); }, kEdge);
    c.shape(ellipse(cx, top + 0.3, 24.5, 3.0), [&](double x, double y) {
        const double u = (x - cx) / 24.5;
        return ramp(kGold, 0.12 + 0.2 * (y - top + 3.0) / 6.0 + 0.1 * u);
    });
    // A star embossed on the bowl.
    std::vector<Pt> star;
    for (int i = 0; i < 10; ++i) {
        const double a = -kPi / 2 + i * kPi / 5;
        const double r = i % 2 == 0 ? 8.0 : 3.4;
        star.push_back({cx + r * std::cos(a), 23.0 + r * std::sin(a)});
    }
    c.shape(shifted(polygon(star), 0.8, 0.8), ramp(kGold, 0.2));
    c.shape(polygon(star), [&](double x, double y) { return ramp(kGold, 0.95 - 0.04 * std::hypot(x - cx, y - 21.0)); });
    // Stem with a knot, a flared foot and a plinth.
    c.shape(
        rect(cx - 4.0, 41.0, cx + 4.0, 58.0), [&](double x, double) { return gold_round((x - cx) / 4.0); }, kEdge);
    c.shape(
        ellipse(cx, 49.0, 7.5, 3.2), [&](double x, double) { return gold_round((x - cx) / 7.5, 0.05); }, kEdge);
    c.shape(
        polygon({{cx - 4.5, 56}, {cx + 4.5, 56}, {cx + 17, 65}, {cx - 17, 65}}),
        [&](double x, double y) { return gold_round((x - cx) / (4.5 + 12.5 * (y - 56.0) / 9.0)); }, kEdge);
    c.shape(rect(cx - 22, 65, cx + 22, 75), [&](double x, double y) {
        // A block lit from the upper left with a bright top face.
        if (y < 66.5) {
            return ramp(kGold, 0.85);
        }
        const double u = (x - cx) / 22.0;
        return ramp(kGold, 0.55 - 0.25 * u - 0.02 * (y - 66.5));
    });
    c.fill_rect(static_cast<int>(cx) - 22, 74, static_cast<int>(cx) + 22, 75, ramp(kGold, 0.1));
    return c.picture();
}

Picture crown() {
    Canvas c(40, 19, kBlack);
    const double cx = 20.0;
    // Five points on a band; the middle one is the tallest.
    const std::vector<Pt> outline{{4, 17},    {3, 5},      {10, 11}, {12.5, 3.5}, {16.5, 10}, {20, 1.5},
                                  {23.5, 10}, {27.5, 3.5}, {30, 11}, {37, 5},     {36, 17}};
    c.shape(
        polygon(outline),
        [&](double x, double y) {
            const double u = (x - cx) / 17.0;
            return ramp(kGold, 0.75 - 0.35 * u * u - 0.02 * y - 0.15 * u);
        },
        kEdge);
    // The band, brighter on its upper edge.
    c.shape(rect(4, 12, 36, 17), [&](double x, double y) {
        const double u = (x - cx) / 16.0;
        return ramp(kGold, (y < 13 ? 0.95 : 0.6 - 0.06 * (y - 13)) - 0.15 * u);
    });
    // Pearls on the tips and jewels on the band.
    for (const Pt tip : {Pt{3, 5}, Pt{12.5, 3.5}, Pt{20, 1.5}, Pt{27.5, 3.5}, Pt{37, 5}}) {
        c.shape(ellipse(tip.x, tip.y, 1.5, 1.5), [&](double x, double y) {
            return mix(Rgb{255, 255, 240}, Rgb{200, 180, 140}, std::hypot(x - tip.x + 0.5, y - tip.y + 0.5) / 2.0);
        });
    }
    const Rgb ruby{210, 20, 40};
    const Rgb sapphire{40, 80, 220};
    for (const auto &[x0, colour] : {std::pair{11.0, sapphire}, std::pair{20.0, ruby}, std::pair{29.0, sapphire}}) {
        const double jx = x0;
        const Rgb col = colour;
        c.shape(ellipse(jx, 14.5, 2.3, 1.8), [=](double x, double y) {
            const double t = std::hypot(x - jx + 0.7, y - 13.8) / 2.6;
            return mix(mix(Rgb{255, 255, 255}, col, 0.35), mix(col, kBlack, 0.4), t);
        });
    }
    // The extra bottom row: a faint golden glint under the band.
    for (int x = 8; x < 32; ++x) {
        const double u = (x + 0.5 - cx) / 12.0;
        c.set(x, 18, ramp(kGold, 0.45 - 0.4 * u * u));
    }
    return c.picture();
}

Picture mask_of(const Picture &pic, int rows) {
    Picture m{pic.w, rows, {}};
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < pic.w; ++x) {
            m.px.push_back(pic.at(x, y) != 0 ? 0x000000U : 0xFFFFFFU);
        }
    }
    return m;
}

// ------------------------------------------------------------------- bytes

void put16(std::vector<std::uint8_t> &out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFFU));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFFU));
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t v) {
    put16(out, v & 0xFFFFU);
    put16(out, v >> 16);
}

void put_tag(std::vector<std::uint8_t> &out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

// ------------------------------------------------------------------- sound

double midi(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

struct Partial {
    double ratio;
    double amp;
    double decay_scale; // higher partials die away faster
};

struct Voice {
    std::vector<Partial> partials;
    double attack;  // seconds
    double decay;   // time constant of the fall towards `sustain`
    double sustain; // level held until the note's end
    double release; // seconds after the note's end
};

struct Note {
    double start; // seconds
    double len;
    double freq;
    double amp;
};

void add_note(std::vector<double> &buf, int rate, const Voice &v, const Note &n) {
    const auto first = static_cast<std::size_t>(n.start * rate);
    const double span = n.len + v.release;
    for (std::size_t i = first; i < buf.size(); ++i) {
        const double t = static_cast<double>(i - first) / rate;
        if (t > span) {
            break;
        }
        const double rise = v.attack > 0 ? std::min(1.0, t / v.attack) : 1.0;
        const double fall =
            t <= n.len ? 1.0 : 0.5 + 0.5 * std::cos(kPi * std::min(1.0, (t - n.len) / std::max(1e-6, v.release)));
        double s = 0;
        for (const Partial &p : v.partials) {
            const double f = n.freq * p.ratio;
            if (f > 0.42 * rate) {
                continue; // would fold back as a false tone
            }
            const double level = v.sustain + (1.0 - v.sustain) * std::exp(-t * p.decay_scale / v.decay);
            s += p.amp * level * std::sin(2.0 * kPi * f * t);
        }
        buf[i] += n.amp * rise * rise * fall * s;
    }
}

// A melody line: {beat, beats, midi note}.
struct Step {
    double beat;
    double beats;
    double note;
};

void add_line(std::vector<double> &buf, int rate, const Voice &v, double beat_s, double amp,
              const std::vector<Step> &steps) {
    for (const Step &s : steps) {
        add_note(buf, rate, v, {s.beat * beat_s, s.beats * beat_s * 0.92, midi(s.note), amp});
    }
}

// Scales to `peak`, fades out over the last `tail` seconds (at least a few
// milliseconds, so the end never clicks) and writes the file.
std::vector<std::uint8_t> wav(std::vector<double> buf, int rate, double peak, double tail) {
    double top = 0;
    for (const double s : buf) {
        top = std::max(top, std::abs(s));
    }
    const double k = top > 0 ? peak / top : 0.0;
    const std::size_t fade = std::min(buf.size() / 4, static_cast<std::size_t>(std::max(0.005, tail) * rate));
    std::vector<std::uint8_t> out;
    const auto n = static_cast<std::uint32_t>(buf.size());
    put_tag(out, "RIFF");
    put32(out, 36 + n);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, static_cast<std::uint32_t>(rate));
    put32(out, static_cast<std::uint32_t>(rate)); // bytes per second
    put16(out, 1);                                // bytes per sample frame
    put16(out, 8);
    put_tag(out, "data");
    put32(out, n);
    for (std::size_t i = 0; i < buf.size(); ++i) {
        double s = buf[i] * k;
        const std::size_t left = buf.size() - 1 - i;
        if (left < fade) {
            s *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(left) / static_cast<double>(fade));
        }
        out.push_back(static_cast<std::uint8_t>(std::clamp(128L + std::lround(s * 127.0), 1L, 255L)));
    }
    return out;
}

const Voice kBell{{{1, 1, 1}, {2, 0.35, 1.8}, {2.76, 0.2, 2.5}, {5.4, 0.08, 4}}, 0.002, 0.12, 0, 0.01};
const Voice kChime{{{1, 1, 1}, {2, 0.3, 1.6}, {3, 0.12, 2.4}}, 0.0015, 0.035, 0, 0.004};
const Voice kBrightChime{{{1, 1, 1}, {2, 0.45, 1.5}, {3, 0.25, 2}, {4, 0.12, 3}}, 0.0015, 0.04, 0, 0.004};
const Voice kSoft{{{1, 1, 1}, {2, 0.2, 1.5}, {3, 0.11, 2}, {5, 0.04, 3}}, 0.02, 0.8, 0.3, 0.12};
const Voice kOrgan{{{1, 1, 1}, {2, 0.35, 1}, {3, 0.15, 1}, {4, 0.08, 1}}, 0.04, 0.8, 0.7, 0.3};
const Voice kMallet{{{1, 1, 1}, {2, 0.25, 2}, {3, 0.1, 3}, {4.1, 0.05, 4}}, 0.004, 0.25, 0.1, 0.05};
const Voice kBrass{
    {{1, 1, 1}, {2, 0.65, 1.2}, {3, 0.45, 1.4}, {4, 0.3, 1.6}, {5, 0.18, 1.8}, {6, 0.1, 2}}, 0.025, 0.3, 0.75, 0.08};
const Voice kBass{{{1, 1, 1}, {2, 0.3, 1.5}, {3, 0.1, 2}}, 0.01, 0.35, 0.35, 0.1};

std::vector<double> clip_samples(int id, int rate, std::size_t count) {
    std::vector<double> b(count, 0.0);
    switch (id) {
    case 101: // a soft click: two quickly dying tones
        add_note(b, rate, {{{1, 1, 1}}, 0.0008, 0.006, 0, 0.002}, {0, 0.03, 1300, 0.6});
        add_note(b, rate, {{{1, 1, 1}}, 0.0008, 0.01, 0, 0.002}, {0, 0.03, 520, 1.0});
        break;
    case 102: // one row: one chime
        add_note(b, rate, kChime, {0, 0.06, midi(84), 1});
        break;
    case 103: // two rows: two rising notes
        add_note(b, rate, kChime, {0, 0.04, midi(84), 0.9});
        add_note(b, rate, kChime, {0.028, 0.06, midi(88), 1});
        break;
    case 104: // three rows: a quick rising strum
        for (int i = 0; i < 3; ++i) {
            add_note(b, rate, kBrightChime, {0.018 * i, 0.06, midi(84 + std::array{0, 4, 7}[i]), 0.8 + 0.1 * i});
        }
        break;
    case 105: // four rows: the whole chord and its octave, brightest
        for (int i = 0; i < 4; ++i) {
            add_note(b, rate, kBrightChime, {0.02 * i, 0.09, midi(84 + std::array{0, 4, 7, 12}[i]), 0.8 + 0.1 * i});
        }
        break;
    case 109: // closing: ding-dong
        add_note(b, rate, kBell, {0, 0.2, midi(88), 1});
        add_note(b, rate, kBell, {0.16, 0.2, midi(84), 1});
        break;
    case 106: // time over: falling, in a minor key
        add_line(b, rate, kSoft, 0.36, 1.0,
                 {{0, 1, 76},
                  {1, 1, 74},
                  {2, 1, 72},
                  {3, 1, 71},
                  {4, 0.5, 72},
                  {4.5, 0.5, 71},
                  {5, 1, 69},
                  {6, 1, 68},
                  {7, 20, 69}});
        add_line(b, rate, kBass, 0.36, 0.6, {{0, 4, 57}, {4, 2, 53}, {6, 1, 52}, {7, 20, 45}});
        add_line(b, rate, kSoft, 0.36, 0.3, {{0, 4, 64}, {4, 2, 65}, {6, 1, 64}, {7, 20, 60}});
        break;
    case 107: // into the top ten: a bright, rounded tune
        add_line(b, rate, kMallet, 0.3, 1.0,
                 {{0, 0.5, 72},
                  {0.5, 0.5, 76},
                  {1, 0.5, 79},
                  {1.5, 0.5, 76},
                  {2, 0.5, 77},
                  {2.5, 0.5, 81},
                  {3, 1, 79},
                  {4, 0.5, 76},
                  {4.5, 0.5, 74},
                  {5, 0.5, 76},
                  {5.5, 0.5, 79},
                  {6, 0.5, 77},
                  {6.5, 0.5, 74},
                  {7, 1, 71},
                  {8, 0.5, 72},
                  {8.5, 0.5, 76},
                  {9, 0.5, 79},
                  {9.5, 0.5, 83},
                  {10, 20, 84}});
        add_line(b, rate, kBass, 0.3, 0.55, {{0, 2, 48}, {2, 2, 53}, {4, 2, 48}, {6, 2, 55}, {8, 2, 53}, {10, 20, 48}});
        add_line(b, rate, kSoft, 0.3, 0.25, {{10, 20, 76}, {10, 20, 79}});
        break;
    case 108: // the well is full: slow, low and falling
        add_line(b, rate, kOrgan, 0.6, 1.0,
                 {{0, 2, 74},
                  {2, 1, 72},
                  {3, 1, 70},
                  {4, 2, 69},
                  {6, 1, 67},
                  {7, 1, 65},
                  {8, 2, 64},
                  {10, 1, 65},
                  {11, 1, 64},
                  {12, 2, 62},
                  {14, 1, 61},
                  {15, 20, 62}});
        add_line(b, rate, kOrgan, 0.6, 0.55, {{0, 4, 50}, {4, 4, 46}, {8, 4, 43}, {12, 3, 45}, {15, 20, 38}});
        add_line(b, rate, kOrgan, 0.6, 0.3, {{0, 4, 57}, {4, 4, 58}, {8, 4, 58}, {12, 3, 57}, {15, 20, 53}});
        break;
    case 110: // a new best: fanfare
        add_line(b, rate, kBrass, 0.4, 1.0,
                 {{0, 0.33, 67},
                  {0.33, 0.33, 67},
                  {0.67, 0.33, 67},
                  {1, 1.5, 72},
                  {2.5, 0.5, 67},
                  {3, 1, 72},
                  {4, 0.5, 76},
                  {4.5, 0.5, 74},
                  {5, 0.5, 76},
                  {5.5, 0.5, 77},
                  {6, 2, 79},
                  {8, 0.5, 76},
                  {8.5, 0.5, 79},
                  {9, 0.5, 76},
                  {9.5, 0.5, 79},
                  {10, 20, 84}});
        add_line(b, rate, kBrass, 0.4, 0.4, {{1, 1.5, 64}, {3, 1, 64}, {6, 2, 71}, {10, 20, 76}, {10, 20, 79}});
        add_line(b, rate, kBass, 0.4, 0.7, {{1, 1, 48}, {3, 1, 48}, {6, 2, 55}, {8, 2, 52}, {10, 20, 48}});
        break;
    case 111: // level completed: cheerful and bouncy
        add_line(b, rate, kMallet, 0.3, 1.0,
                 {{0, 0.5, 67},  {0.5, 0.5, 71},  {1, 0.5, 74}, {1.5, 1.5, 79}, {3, 0.5, 76},  {3.5, 0.5, 78},
                  {4, 1, 79},    {5, 1, 74},      {6, 0.5, 72}, {6.5, 0.5, 71}, {7, 0.5, 69},  {7.5, 0.5, 71},
                  {8, 0.5, 72},  {8.5, 0.5, 69},  {9, 0.5, 66}, {9.5, 0.5, 69}, {10, 0.5, 74}, {10.5, 0.5, 78},
                  {11, 0.5, 81}, {11.5, 0.5, 78}, {12, 20, 79}});
        add_line(b, rate, kBass, 0.3, 0.55,
                 {{0, 1, 43},
                  {1, 1, 50},
                  {2, 1, 43},
                  {3, 1, 50},
                  {4, 1, 43},
                  {5, 1, 50},
                  {6, 1, 48},
                  {7, 1, 45},
                  {8, 1, 48},
                  {9, 1, 50},
                  {10, 1, 50},
                  {11, 1, 54},
                  {12, 20, 43}});
        break;
    default:
        throw std::invalid_argument("no such clip");
    }
    return b;
}

// ------------------------------------------------------------------- icon

constexpr std::array<std::uint32_t, 16> kVga{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                             0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                             0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
enum Vga {
    kVBlack = 0,
    kVOlive = 3,
    kVNavy = 4,
    kVPurple = 5,
    kVGrey = 8,
    kVRed = 9,
    kVYellow = 11,
    kVFuchsia = 13,
    kVWhite = 15
};

// The icon on an n x n grid, in the sixteen colours. Up to 32 px a pixel takes
// a colour when a shape covers at least half of it, so the small sizes stay
// sharp; the larger ones blend the edges into the alpha channel.
class IconCanvas {
public:
    explicit IconCanvas(int n) : n_(n), px_(static_cast<std::size_t>(n) * static_cast<std::size_t>(n)) {}
    [[nodiscard]] int n() const { return n_; }
    // 0xAARRGGBB
    [[nodiscard]] std::uint32_t at(int x, int y) const {
        const Px &p = px_[index(x, y)];
        auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
        return p.a <= 0 ? 0 : byte(p.a * 255) << 24 | byte(p.c.r) << 16 | byte(p.c.g) << 8 | byte(p.c.b);
    }
    void set(int x, int y, int colour, double cover = 1.0) {
        if (x < 0 || y < 0 || x >= n_ || y >= n_) {
            return;
        }
        const std::uint32_t v = kVga[static_cast<std::size_t>(colour)];
        const Rgb c{double(v >> 16), double((v >> 8) & 0xFFU), double(v & 0xFFU)};
        Px &p = px_[index(x, y)];
        const double a = cover + p.a * (1 - cover);
        p.c = mix(p.c, c, cover / a); // "over", with straight alpha
        p.a = a;
    }
    void shape(const Inside &inside, int colour) {
        for (int y = 0; y < n_; ++y) {
            for (int x = 0; x < n_; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy) {
                    for (int sx = 0; sx < 4; ++sx) {
                        hits += inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0) ? 1 : 0;
                    }
                }
                if (n_ > 32 && hits > 0) {
                    set(x, y, colour, hits / 16.0);
                } else if (hits >= 8) {
                    set(x, y, colour);
                }
            }
        }
    }
    // A cell of s x s pixels lit from the top left, its edges b pixels wide.
    void cell(int x0, int y0, int s, int b, int body, int light, int dark) {
        for (int y = 0; y < s; ++y) {
            for (int x = 0; x < s; ++x) {
                set(x0 + x, y0 + y, x >= s - b || y >= s - b ? dark : (x < b || y < b ? light : body));
            }
        }
    }

private:
    struct Px {
        Rgb c;
        double a = 0;
    };
    [[nodiscard]] std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(n_) + static_cast<std::size_t>(x);
    }
    int n_;
    std::vector<Px> px_;
};

// The design is laid out on 32 px. Cells keep whole pixels at every size, so
// a small size is drawn for its own grid instead of being scaled from another.
IconCanvas icon_picture(int n) {
    IconCanvas c(n);
    const double k = n / 32.0;
    // A clock in the upper right, its hands at ten past ten. Below 32 px it is
    // an odd number of pixels wide, so its centre and straight strokes sit on
    // whole pixels.
    const double r = n < 32 ? std::floor(9.8 * k) + 0.5 : 9.8 * k;
    const double cx = n < 32 ? n - r : 22 * k;
    const double cy = n < 32 ? r : 10 * k;
    const double face = std::min(8.4 * k, r - 1.0); // a rim of at least a pixel
    c.shape(ellipse(cx, cy, r, r), kVBlack);
    c.shape(ellipse(cx, cy, face, face), kVWhite);
    // Strokes under a pixel wide would break up on a small grid.
    auto stroke = [&](double hw) { return std::max(hw * k, n < 32 ? 0.5 : 0.0); };
    for (int i = 0; n > 16 && i < 12; i += n < 24 ? 3 : 1) {
        const double a = i * kPi / 6;
        const bool quarter = i % 3 == 0;
        const double r0 = (quarter ? 6.2 : 6.9) * k;
        c.shape(segment({cx + r0 * std::sin(a), cy - r0 * std::cos(a)},
                        {cx + 7.8 * k * std::sin(a), cy - 7.8 * k * std::cos(a)}, stroke(quarter ? 0.6 : 0.45)),
                quarter ? kVBlack : kVGrey);
    }
    auto hand = [&](double hours, double len, double hw, int colour) {
        const double a = hours * kPi / 6;
        c.shape(segment({cx, cy}, {cx + len * k * std::sin(a), cy - len * k * std::cos(a)}, stroke(hw)), colour);
    };
    hand(2.0, 6.0, 0.7, kVBlack);
    hand(10.0, 4.3, 0.85, kVBlack);
    hand(7.0, 6.0, 0.4, kVRed);
    if (n > 32) {
        c.shape(ellipse(cx, cy, 1.2 * k, 1.2 * k), kVBlack);
    } else {
        c.set(static_cast<int>(cx), static_cast<int>(cy), kVBlack);
    }
    // ...a yellow figure falling towards the gap in a purple stack, on a grid
    // of cells standing on the bottom edge.
    const int s = n * 6 / 32;
    const int b = std::max(1, s / 6);
    auto at = [&](int col, int row, bool yellow) {
        const int body = yellow ? kVYellow : kVPurple;
        // A cell of three pixels has room for one lit edge only: the dark one.
        const int light = s < 4 ? body : (yellow ? kVWhite : kVFuchsia);
        c.cell(col * s, n - (row + 1) * s, s, b, body, light, yellow ? kVOlive : kVNavy);
    };
    for (const int row : {2, 3, 4}) {
        at(1, row, true);
    }
    at(0, 2, true);
    for (const int col : {0, 2, 3, 4}) {
        at(col, 0, false);
    }
    for (const int col : {0, 3, 4}) {
        at(col, 1, false);
    }
    return c;
}

// PNG, compressed with deflate's fixed codes (RFC 1951): the matches repeat
// the pixel to the left or the one above, which is what flat icon art is.
class BitWriter {
public:
    std::vector<std::uint8_t> out;
    void put(unsigned v, int count) { // least significant bit first
        acc_ |= v << bits_;
        for (bits_ += count; bits_ >= 8; bits_ -= 8, acc_ >>= 8) {
            out.push_back(static_cast<std::uint8_t>(acc_ & 0xFFU));
        }
    }
    void code(unsigned v, int len) { // Huffman codes go most significant bit first
        for (int i = len - 1; i >= 0; --i) {
            put(v >> i & 1U, 1);
        }
    }
    void symbol(int s) {
        const auto u = static_cast<unsigned>(s);
        if (s < 144) {
            code(0x30 + u, 8);
        } else if (s < 256) {
            code(0x190 + u - 144, 9);
        } else if (s < 280) {
            code(u - 256, 7);
        } else {
            code(0xC0 + u - 280, 8);
        }
    }
    void flush() { put(0, (8 - bits_) % 8); }

private:
    unsigned acc_ = 0;
    int bits_ = 0;
};

// A length (3..258) or a distance as its code and extra bits; `extra` gives
// the extra bits of each code.
template <typename Extra, typename Emit> void base_and_extra(int v, int base, Extra extra, Emit emit) {
    for (int code = 0;; base += 1 << extra(code), ++code) {
        if (v < base + (1 << extra(code))) {
            emit(code, v - base, extra(code));
            return;
        }
    }
}

std::vector<std::uint8_t> zlib_stream(const std::vector<std::uint8_t> &data, std::size_t stride) {
    BitWriter w;
    w.out = {0x78, 0x01};
    w.put(1, 1); // the last block
    w.put(1, 2); // fixed codes
    for (std::size_t i = 0; i < data.size();) {
        std::size_t best = 0;
        std::size_t best_d = 0;
        for (const std::size_t d : {std::size_t{4}, stride}) {
            std::size_t len = 0;
            while (d <= i && len < 258 && i + len < data.size() && data[i + len] == data[i + len - d]) {
                ++len;
            }
            if (len > best) {
                best = len;
                best_d = d;
            }
        }
        if (best < 3) {
            w.symbol(data[i++]);
            continue;
        }
        if (best == 258) {
            w.symbol(285);
        } else {
            base_and_extra(
                static_cast<int>(best), 3, [](int c) { return c < 8 ? 0 : (c - 4) / 4; },
                [&](int c, int v, int e) {
                    w.symbol(257 + c);
                    w.put(static_cast<unsigned>(v), e);
                });
        }
        base_and_extra(
            static_cast<int>(best_d), 1, [](int c) { return c < 4 ? 0 : (c - 2) / 2; },
            [&](int c, int v, int e) {
                w.code(static_cast<unsigned>(c), 5);
                w.put(static_cast<unsigned>(v), e);
            });
        i += best;
    }
    w.symbol(256);
    w.flush();
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const std::uint8_t v : data) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    for (const std::uint32_t v : {b >> 8, b, a >> 8, a}) {
        w.out.push_back(static_cast<std::uint8_t>(v & 0xFFU));
    }
    return std::move(w.out);
}

void put32be(std::vector<std::uint8_t> &out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFFU));
    }
}

void png_chunk(std::vector<std::uint8_t> &out, const char (&tag)[5], const std::vector<std::uint8_t> &data) {
    put32be(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    put_tag(out, tag);
    out.insert(out.end(), data.begin(), data.end());
    std::uint32_t crc = 0xFFFFFFFFU;
    for (std::size_t i = start; i < out.size(); ++i) {
        crc ^= out[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? 0xEDB88320U ^ (crc >> 1) : crc >> 1;
        }
    }
    put32be(out, ~crc);
}

std::vector<std::uint8_t> png(const IconCanvas &c) {
    const auto n = static_cast<std::uint32_t>(c.n());
    std::vector<std::uint8_t> header;
    put32be(header, n);
    put32be(header, n);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < c.n(); ++y) {
        rows.push_back(0); // no filter
        for (int x = 0; x < c.n(); ++x) {
            const std::uint32_t v = c.at(x, y);
            rows.insert(rows.end(),
                        {static_cast<std::uint8_t>(v >> 16 & 0xFFU), static_cast<std::uint8_t>(v >> 8 & 0xFFU),
                         static_cast<std::uint8_t>(v & 0xFFU), static_cast<std::uint8_t>(v >> 24)});
        }
    }
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png_chunk(out, "IHDR", header);
    png_chunk(out, "IDAT", zlib_stream(rows, n * 4 + 1));
    png_chunk(out, "IEND", {});
    return out;
}

} // namespace

// ------------------------------------------------------------------ public

Picture bitmap(int id) {
    switch (id) {
    case 101:
        return wall_cell();
    case 102:
        return empty_cell();
    case 103:
        return plain_cell(kOrange);
    case 104:
        return plain_cell(kPurple);
    case 113:
    case 114:
    case 115:
        return button(41, 21, static_cast<Look>(id - 113), play_symbol());
    case 116:
    case 117:
    case 118:
        return button(41, 21, static_cast<Look>(id - 116), pause_symbol());
    case 119:
        return button(41, 21, Look::Pressed, speaker_symbol(false));
    case 120:
        return button(41, 21, Look::Raised, speaker_symbol(true));
    case 121:
        return button(41, 21, Look::Pressed, next_symbol(false));
    case 122:
        return button(41, 21, Look::Raised, next_symbol(true));
    case 123:
    case 124:
    case 125:
        return button(24, 17, static_cast<Look>(id - 123), arrow_symbol(true));
    case 126:
    case 127:
    case 128:
        return button(24, 17, static_cast<Look>(id - 126), arrow_symbol(false));
    case 129:
        return mask_of(cup(), 76);
    case 130:
        return cup();
    case 131:
        return mask_of(crown(), 18);
    case 132:
        return crown();
    default:
        if (id >= 105 && id <= 112) {
            return explosion(id - 105);
        }
        throw std::invalid_argument("no such bitmap");
    }
}

int bitmap_bits(int id) { return id == 130 ? 32 : 24; }

std::vector<std::uint8_t> encode_bmp(const Picture &pic, int bits) {
    const int bytes_pp = bits / 8;
    const int stride = (pic.w * bytes_pp + 3) / 4 * 4;
    const auto image_size = static_cast<std::uint32_t>(stride * pic.h);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + image_size);
    put32(out, 0);  // reserved
    put32(out, 54); // offset of the pixels
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(pic.w));
    put32(out, static_cast<std::uint32_t>(pic.h)); // positive: bottom row first
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0); // uncompressed
    put32(out, image_size);
    put32(out, 3780); // 96 dots per inch, in dots per metre
    put32(out, 3780);
    put32(out, 0);
    put32(out, 0);
    for (int y = pic.h - 1; y >= 0; --y) {
        const std::size_t row_start = out.size();
        for (int x = 0; x < pic.w; ++x) {
            const std::uint32_t c = pic.at(x, y);
            out.push_back(static_cast<std::uint8_t>(c & 0xFFU));
            out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFFU));
            out.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFFU));
            if (bytes_pp == 4) {
                out.push_back(0);
            }
        }
        out.resize(row_start + static_cast<std::size_t>(stride), 0);
    }
    return out;
}

ClipFormat clip_format(int id) {
    switch (id) {
    case 101:
        return {420, 11025};
    case 102:
        return {800, 11025};
    case 103:
        return {1048, 11025};
    case 104:
        return {944, 11025};
    case 105:
        return {1348, 11025};
    case 106:
        return {40820, 8000};
    case 107:
        return {45060, 8000};
    case 108:
        return {101016, 8000};
    case 109:
        return {4180, 11025};
    case 110:
        return {53496, 8000};
    case 111:
        return {47500, 8000};
    default:
        throw std::invalid_argument("no such clip");
    }
}

std::vector<std::uint8_t> clip(int id) {
    const ClipFormat f = clip_format(id);
    const auto count = static_cast<std::size_t>(f.bytes - 44);
    // Cues during play stay quieter than the tunes that end a game.
    const double peak = id == 101 ? 0.45 : (id <= 105 ? 0.6 : 0.8);
    // The tunes' last chords ring on to the end of the clip and fade there.
    const bool tune = f.sample_rate == 8000;
    return wav(clip_samples(id, f.sample_rate, count), f.sample_rate, peak, tune ? 0.9 : 0.0);
}

std::vector<std::uint8_t> icon() {
    const IconCanvas c = icon_picture(32);
    auto colour = [&](int x, int y) { // -1 where clear
        const std::uint32_t v = c.at(x, y);
        return v == 0 ? -1 : static_cast<int>(std::find(kVga.begin(), kVga.end(), v & 0xFFFFFFU) - kVga.begin());
    };
    constexpr std::uint32_t kXorSize = 32 * 16; // 4 bits per pixel
    constexpr std::uint32_t kAndSize = 32 * 4;  // 1 bit per pixel, rows of 4 bytes
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // an icon
    put16(out, 1); // one image
    out.push_back(32);
    out.push_back(32);
    out.push_back(16); // colours
    out.push_back(0);
    put16(out, 1); // planes
    put16(out, 4); // bits per pixel
    put32(out, 40 + 16 * 4 + kXorSize + kAndSize);
    put32(out, 22); // offset of the image
    put32(out, 40);
    put32(out, 32);
    put32(out, 64); // the colour picture and the mask, one above the other
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);
    put32(out, kXorSize + kAndSize);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (const std::uint32_t rgb : kVga) {
        out.push_back(static_cast<std::uint8_t>(rgb & 0xFFU));
        out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFFU));
        out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFFU));
        out.push_back(0);
    }
    for (int y = 31; y >= 0; --y) {
        for (int x = 0; x < 32; x += 2) {
            const int hi = std::max(0, colour(x, y));
            const int lo = std::max(0, colour(x + 1, y));
            out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
        }
    }
    for (int y = 31; y >= 0; --y) {
        for (int x = 0; x < 32; x += 8) {
            unsigned bits = 0;
            for (int i = 0; i < 8; ++i) {
                bits = bits << 1 | (colour(x + i, y) < 0 ? 1U : 0U);
            }
            out.push_back(static_cast<std::uint8_t>(bits));
        }
    }
    return out;
}

std::vector<std::uint8_t> icon_png(int n) { return png(icon_picture(n)); }

std::vector<AssetFile> all_assets() {
    std::vector<AssetFile> files;
    for (int id = 101; id <= 132; ++id) {
        files.push_back({"bmp/" + std::to_string(id) + ".bmp", encode_bmp(bitmap(id), bitmap_bits(id))});
    }
    for (int id = 101; id <= 111; ++id) {
        files.push_back({"wav/" + std::to_string(id) + ".wav", clip(id)});
    }
    files.push_back({"icon.ico", icon()});
    for (const int n : kIconSizes) {
        files.push_back({"icons/" + std::to_string(n) + ".png", icon_png(n)});
    }
    return files;
}

bool write_assets(const std::string &folder, std::string &error) {
    namespace fs = std::filesystem;
    const fs::path root(folder);
    std::error_code ec;
    for (const char *sub : {"bmp", "wav", "icons"}) {
        fs::create_directories(root / sub, ec);
        if (ec) {
            error = "cannot create " + (root / sub).string() + ": " + ec.message();
            return false;
        }
    }
    for (const AssetFile &f : all_assets()) {
        const fs::path path = root / f.path;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + path.string();
            return false;
        }
    }
    return true;
}

} // namespace art
