#include "speech/say.h"

#include <iostream>

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
std::string formClipPath(Panel& p, const std::string& clip, bool byVoice = false) {
    std::string path = p.wavePrefix + clip;
    // Beside the path, the file the speaker plays for it: which clip folder
    // the voice comes from, or nothing when no file is found or the speech
    // service says the word. The muted S-meter field is refreshed five times
    // a second and is no speech.
    if (p.speechLog && !isMuted(p))
        logLine(p, path + '\t' + (isSafeClipName(clip) && !byVoice ? clipFileFor(path) : std::string()));
    return path;
}

// The service went away or stopped answering: the clips speak from now on,
// so the operator is never left in silence.
void fallBackToClips(Panel& p, const std::string& why) {
    std::cerr << "vantor: the speech service failed (" << why << "); speaking with the clips\n" << std::flush;
    p.platform.voice = nullptr;
}

void playClips(Panel& p, const std::vector<std::string>& clips) {
    p.platform.screen.present();
    for (const std::string& clip : clips) {
        const std::string path = formClipPath(p, clip);
        if (isSafeClipName(clip)) p.platform.speaker.play(path);
    }
}

}  // namespace

void say(Panel& p, const std::string& clip) {
    const bool pause = endsSentence(clip);
    if (!isMuted(p)) {
        if (pause) endSentence(p);
        else p.sentenceClips.push_back(clip);
    }
    // The voice says the words with the rest of the sentence; pauses and
    // beeps stay clips.
    const bool byVoice = p.platform.voice && !isMuted(p) && !pause;
    std::string path = formClipPath(p, clip, byVoice);
    if (byVoice) return;
    p.platform.screen.present();
    if (isSafeClipName(clip)) p.platform.speaker.play(path);
}

void sayInBackground(Panel& p, const std::string& clip) {
    endSentence(p);
    std::string path = formClipPath(p, clip, p.platform.voice != nullptr);
    const std::vector<std::string> clips{clip};
    logLine(p, std::string(kSentenceMark) + sentenceOf(clips));
    if (p.platform.braille) p.platform.braille->show(brailleOf(clips));
    std::string why;
    if (p.platform.voice && p.platform.voice->speakInBackground(sentenceOf(clips), why)) return;
    if (p.platform.voice) fallBackToClips(p, why);
    if (isSafeClipName(clip)) p.platform.speaker.playInBackground(path);
}

void endSentence(Panel& p) {
    if (p.sentenceClips.empty()) return;
    // Taken out first: the work done while the voice speaks may speak too.
    const std::vector<std::string> clips = std::move(p.sentenceClips);
    p.sentenceClips.clear();
    const std::string words = sentenceOf(clips);
    logLine(p, std::string(kSentenceMark) + words);
    if (p.platform.braille) p.platform.braille->show(brailleOf(clips));
    if (!p.platform.voice) return;
    p.platform.screen.present();
    std::string why;
    if (p.platform.voice->speak(words, why)) return;
    fallBackToClips(p, why);
    playClips(p, clips);
}

bool openSpeechLog(Panel& p, const std::string& path) {
    auto log = std::make_unique<std::ofstream>(pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    if (!*log) return false;
    p.speechLog = std::move(log);
    return true;
}

}  // namespace vantor
