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

}  // namespace vantor
