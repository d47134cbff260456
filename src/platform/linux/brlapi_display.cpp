#include "platform/linux/brlapi_display.h"

#include <brlapi.h>

#include <iostream>

namespace vantor {

namespace {

std::string brlapiError() { return brlapi_strerror(&brlapi_error); }

}  // namespace

BrlapiDisplay::~BrlapiDisplay() {
    if (!connected_) return;
    brlapi_leaveTtyMode();
    brlapi_closeConnection();
}

bool BrlapiDisplay::open(std::string& why) {
    if (connected_) return true;
    if (brlapi_openConnection(nullptr, nullptr) < 0) {
        why = "BRLTTY cannot be reached: " + brlapiError();
        return false;
    }
    // The window's own terminal path comes from the desktop (WINDOWPATH);
    // BRLTTY shows the panel while that window has the focus.
    if (brlapi_enterTtyModeWithPath(nullptr, 0, nullptr) < 0) {
        why = "BRLTTY lends no display to the panel: " + brlapiError();
        brlapi_closeConnection();
        return false;
    }
    connected_ = true;
    return true;
}

void BrlapiDisplay::show(const std::string& text) {
    if (!connected_ || failed_) return;
    // The sentences are plain ASCII; the display cuts the text to its width.
    if (brlapi_writeText(BRLAPI_CURSOR_OFF, text.c_str()) < 0) {
        failed_ = true;
        std::cerr << "vantor: the braille display went away: " << brlapiError() << "\n";
    }
}

}  // namespace vantor
