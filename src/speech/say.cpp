#include "speech/say.h"

#include "platform/clip_files.h"
#include "platform/files.h"
#include "speech/sentence.h"

namespace vantor {

namespace {

bool isMuted(const Panel& p) { return p.wavePrefix == kMutedClipPrefix; }

void logLine(Panel& p, const std::string& line) {
    if (p.speechLog) *p.speechLog << line << std::endl;  // flushed: helpers follow it live
}

// Parts of clip names come from radio replies; such a name must never reach
// outside the clip directory, so it is logged but never played.
std::string formClipPath(Panel& p, const std::string& clip) {
    std::string path = p.wavePrefix + clip;
    // Beside the path, the file the speaker plays for it: which clip folder
    // the voice comes from, or nothing when no file is found. The muted
    // S-meter field is refreshed five times a second and is no speech.
    if (p.speechLog && !isMuted(p))
        logLine(p, path + '\t' + (isSafeClipName(clip) ? clipFileFor(path) : std::string()));
    return path;
}

}  // namespace

void say(Panel& p, const std::string& clip) {
    if (!isMuted(p)) {
        if (endsSentence(clip)) endSentence(p);
        else p.sentenceClips.push_back(clip);
    }
    std::string path = formClipPath(p, clip);
    p.platform.screen.present();
    if (isSafeClipName(clip)) p.platform.speaker.play(path);
}

void sayInBackground(Panel& p, const std::string& clip) {
    endSentence(p);
    std::string path = formClipPath(p, clip);
    p.sentenceClips.push_back(clip);
    endSentence(p);
    if (isSafeClipName(clip)) p.platform.speaker.playInBackground(path);
}

void endSentence(Panel& p) {
    if (p.sentenceClips.empty()) return;
    logLine(p, std::string(kSentenceMark) + sentenceOf(p.sentenceClips));
    p.sentenceClips.clear();
}

bool openSpeechLog(Panel& p, const std::string& path) {
    auto log = std::make_unique<std::ofstream>(pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    if (!*log) return false;
    p.speechLog = std::move(log);
    return true;
}

}  // namespace vantor
