#include "speech/say.h"

#include "platform/clip_files.h"
#include "platform/files.h"

namespace vantor {

// Parts of clip names come from radio replies; such a name must never reach
// outside the clip directory, so it is logged but never played.
static std::string formClipPath(Panel& p, const std::string& clip) {
    std::string path = p.wavePrefix + clip;
    if (p.speechLog) {
        // Beside the path, the file the speaker plays for it: which clip folder
        // the voice comes from, or nothing when no file is found.
        const std::string file = isSafeClipName(clip) ? clipFileFor(path) : std::string();
        *p.speechLog << path << '\t' << file << std::endl;  // flushed: helpers follow it live
    }
    return path;
}

void say(Panel& p, const std::string& clip) {
    std::string path = formClipPath(p, clip);
    p.platform.screen.present();
    if (isSafeClipName(clip)) p.platform.speaker.play(path);
}

void sayInBackground(Panel& p, const std::string& clip) {
    std::string path = formClipPath(p, clip);
    if (isSafeClipName(clip)) p.platform.speaker.playInBackground(path);
}

bool openSpeechLog(Panel& p, const std::string& path) {
    auto log = std::make_unique<std::ofstream>(pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    if (!*log) return false;
    p.speechLog = std::move(log);
    return true;
}

}  // namespace vantor
