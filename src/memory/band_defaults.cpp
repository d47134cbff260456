#include "memory/band_defaults.h"

#include <iostream>

namespace vantor {

bool isUsableBandRow(std::string_view row) {
    const char mode = charAt(row, 2);
    const std::string vfoA = mid(row, 4, 9);
    return mode >= '1' && mode <= '7' && charAt(row, 3) == 'A' && isDigits(vfoA, 9) && valueOf(vfoA) > 0;
}

const std::string& usableBandRow(Panel& p, int band) {
    std::string& row = p.bandTable[static_cast<std::size_t>(band)];
    if (!isUsableBandRow(row)) {
        std::cerr << "vantor: band row " << band << " is damaged; its built-in values are used\n";
        row = kBuiltInBandRows[band];
    }
    return row;
}

int bandForMegahertz(int megahertz) {
    struct Band {
        int lowest, highest, row;
    };
    static constexpr Band kBands[] = {{1, 1, 1},     {3, 3, 2},     {5, 5, 3},       {7, 7, 4},
                                      {10, 10, 5},   {14, 14, 6},   {18, 18, 7},     {21, 21, 8},
                                      {24, 24, 9},   {28, 29, 10},  {50, 54, 11},    {144, 148, 12},
                                      {430, 449, 13}};  // 440-449: the US repeaters of 70 cm
    for (const Band& band : kBands)
        if (megahertz >= band.lowest && megahertz <= band.highest) return band.row;
    return 14;
}

}  // namespace vantor
