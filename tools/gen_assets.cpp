// Writes the game's pictures, clips and icons into a folder:
//   gen_assets OUTPUT_FOLDER
#include "asset_art.h"

#include <iostream>
#include <string>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: gen_assets OUTPUT_FOLDER\n";
        return 2;
    }
    std::string error;
    if (!art::write_assets(argv[1], error)) {
        std::cerr << "gen_assets: " << error << '\n';
        return 1;
    }
    return 0;
}
