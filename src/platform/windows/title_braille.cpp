#include "platform/windows/title_braille.h"

namespace vantor {

bool TitleBraille::open(std::string& why) {
    if (screen_) return true;
    why = "there is no window whose title the screen reader could show";
    return false;
}

void TitleBraille::show(const std::string& text) {
    if (screen_) screen_->setTitle(text);
}

}  // namespace vantor
