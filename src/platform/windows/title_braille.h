#pragma once
// Braille on Windows: the screen reader's own braille follows the title of
// the window that has the focus, so each text becomes the panel window's title.

#include <string>

#include "platform/platform.h"
#include "platform/windows/windows_screen.h"

namespace vantor {

class TitleBraille : public BrailleDisplay {
  public:
    // The screen must outlive the display; without one there is nothing to write to.
    explicit TitleBraille(WindowsScreen* screen) : screen_(screen) {}

    bool open(std::string& why) override;
    void show(const std::string& text) override;

  private:
    WindowsScreen* screen_;
};

}  // namespace vantor
