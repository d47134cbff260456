#include "cat/debug_log.h"

#include <iostream>

#include "core/text.h"
#include "platform/files.h"

namespace vantor {

void openDebugLog(Panel& p) {
    auto file = std::make_unique<std::ofstream>(pathFromUtf8("debug.dat"), std::ios::binary | std::ios::trunc);
    if (!*file) {
        std::cerr << "vantor: cannot create debug.dat; the debug log is off\n";
        return;
    }
    p.debugFileHandle = std::move(file);
    LocalTime t = p.platform.clock.now();
    writeDebugLine(p, "VANTOR " + p.versionText + "  " + zeroPadded(t.day, 2) + "-" + zeroPadded(t.month, 2) + "-" +
                          zeroPadded(t.year, 4) + "   " + zeroPadded(t.hour, 2) + ":" + zeroPadded(t.minute, 2) +
                          ":" + zeroPadded(t.second, 2));
    writeDebugLine(p, "Comport=" + numberText(p.comHandle) + "  Speed=" + numberText(p.baudRate) + " Baud");
}

void writeDebugLine(Panel& p, const std::string& line) {
    if (p.debugLogging != 1 || !p.debugFileHandle) return;
    p.debugText = cut(line);
    *p.debugFileHandle << p.debugText << "\r\n";
    p.debugFileHandle->flush();
}

void closeDebugLog(Panel& p) { p.debugFileHandle.reset(); }

}  // namespace vantor
