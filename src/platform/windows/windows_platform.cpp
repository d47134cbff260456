#include "platform/windows/windows_platform.h"

namespace vantor {

WindowsPlatform::WindowsPlatform() {
    screen_.catchConsoleClose();
    screen_.watch(serial_);
    screen_.watch(network_);
}

Voice* WindowsPlatform::voiceNamed(std::string_view name) { return name == "sapi" ? &sapi_ : nullptr; }

}  // namespace vantor
