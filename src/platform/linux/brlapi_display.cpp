#include "platform/linux/brlapi_display.h"

#include <brlapi.h>

#include <iostream>

namespace vantor {

namespace {

std::string brlapiError() { return brlapi_strerror(&brlapi_error); }

// BRLTTY refuses a write after the fact (a display not yet up has no size);
// the library's own handler would end the program there. One line instead,
// and the panel speaks on.
bool refusedLater = false;

void BRLAPI_STDCALL noteRefusal(int error, brlapi_packetType_t, const void*, std::size_t) {
    if (refusedLater) return;
    refusedLater = true;
    std::cerr << "vantor: BRLTTY refused a braille text: " << brlapi_strerror(&brlapi_error) << " (" << error
              << ")\n";
}

}  // namespace

BrlapiDisplay::~BrlapiDisplay() {
    if (!connected_) return;
    brlapi_leaveTtyMode();
    brlapi_closeConnection();
}

bool BrlapiDisplay::open(std::string& why) {
    if (connected_) return true;
    brlapi_setExceptionHandler(noteRefusal);
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
    // A display that is not up yet has no cells; the text waits for the next sentence.
    unsigned int width = 0, height = 0;
    if (brlapi_getDisplaySize(&width, &height) < 0 || width == 0 || height == 0) return;
    // The sentences are plain ASCII; the display cuts the text to its width.
    if (brlapi_writeText(BRLAPI_CURSOR_OFF, text.c_str()) < 0) {
        failed_ = true;
        std::cerr << "vantor: the braille display went away: " << brlapiError() << "\n";
    }
}

}  // namespace vantor
