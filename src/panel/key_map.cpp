#include "panel/key_map.h"

#include "speech/say.h"

namespace vantor {

std::optional<KeyOutcome> runKeyRow(Panel& p) {
    switch (p.keyCode) {
        case key::letter('H'):
            sayInBackground(p, "help.wav");  // the next key's first clip cuts it short
            return KeyOutcome::stop;
        default:
            return std::nullopt;
    }
}

}  // namespace vantor
