// The game's pictures, clips and icon, drawn and synthesised by our own code
// and encoded byte by byte, so the committed files can be rebuilt exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

// An RGB picture, 0xRRGGBB per pixel, top row first.
struct Picture {
    int w = 0;
    int h = 0;
    std::vector<std::uint32_t> px;
    [[nodiscard]] std::uint32_t at(int x, int y) const {
        return px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
    }
};

struct AssetFile {
    std::string path; // relative to the assets folder, '/' separated
    std::vector<std::uint8_t> bytes;
};

// Bitmap 101..132 as a picture.
[[nodiscard]] Picture bitmap(int id);
// Bits per pixel of bitmap `id` in its file.
[[nodiscard]] int bitmap_bits(int id);
// A bottom-up Windows BMP of 24 or 32 bits per pixel.
[[nodiscard]] std::vector<std::uint8_t> encode_bmp(const Picture &pic, int bits);

struct ClipFormat {
    int bytes;       // whole file, header included
    int sample_rate; // mono, 8 bits unsigned
};
[[nodiscard]] ClipFormat clip_format(int id);
// The whole WAV file of clip 101..111.
[[nodiscard]] std::vector<std::uint8_t> clip(int id);

// The 32 x 32, 16-colour program icon as an ICO file.
[[nodiscard]] std::vector<std::uint8_t> icon();

// The sizes the icon is drawn in for desktops, and the icon at n x n pixels
// as an RGBA PNG file.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
[[nodiscard]] std::vector<std::uint8_t> icon_png(int n);

// Every file of the assets folder: bmp/NNN.bmp, wav/NNN.wav, icon.ico,
// icons/N.png.
[[nodiscard]] std::vector<AssetFile> all_assets();
// Writes all_assets() below `folder`, creating bmp/, wav/ and icons/. On failure
// returns false with a message in `error`.
[[nodiscard]] bool write_assets(const std::string &folder, std::string &error);

} // namespace art
