#pragma once
// A braille display through BrlAPI: BRLTTY owns the display and lends it to
// the panel while its window has the focus.

#include <string>

#include "platform/platform.h"

namespace vantor {

class BrlapiDisplay : public BrailleDisplay {
public:
    BrlapiDisplay() = default;
    ~BrlapiDisplay() override;
    BrlapiDisplay(const BrlapiDisplay&) = delete;
    BrlapiDisplay& operator=(const BrlapiDisplay&) = delete;

    bool open(std::string& why) override;
    void show(const std::string& text) override;

private:
    bool connected_ = false;
    bool failed_ = false;  // said once; the display is left alone from then on
};

}  // namespace vantor
