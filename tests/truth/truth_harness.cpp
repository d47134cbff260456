#include "truth/truth_harness.h"

#include <algorithm>
#include <fstream>

#include "app/program.h"
#include "display/status_window.h"
#include "memory/band_defaults.h"
#include "panel/keys.h"
#include "panel/window_events.h"

namespace vantor::truth {

namespace {

constexpr int kTickMs = 50, kQuietMs = 1000, kLongestWaitMs = 6000;
constexpr int kGiveUpMs = 250;  // the conversation stops waiting for an answer here

// The operator's alphabet, in the transcript's characters: every key of the
// key map but N (a menu set can put the radio anywhere the panel cannot know)
// and Q (the end of the run). "#" is any digit, "%" a digit 0 to 4.
const char* const kGestures[] = {
    "F",      "M",      "XM",      "V",       "Z",     "XS",     "XA",      "XF",       "^",      "v",
    "<",      ">",      "[",       "]",       "+",     "-",      "B^",      "Bv",       "BX",     "BT",
    "BS",     "BU",     "B#",      "_",       "T",     "l",      "S",       "O",        "H",      "I",
    "D",      "U",      "A^",      "Rv",      "P^",    "Wv",     "L^",      "a",        "b",      "c",
    "d",      "e",      "f",       "g",       "h",     "i",      "k^J",     "J",        "/",      "C#",
    "G#",     "K^K",    "I%#/",    "E1.85/",  "E3.6/", "E7.05/", "E10.12/", "E14.074/", "E21.3/", "E28.5/",
    "E29.6/", "E50.2/", "E145.5/", "E433.5/", "E5/"};

int codeOf(char c) {
    static const std::map<char, int> special{
        {'^', key::up},       {'v', key::down}, {'<', key::left},  {'>', key::right}, {'[', key::pageUp},
        {']', key::pageDown}, {'+', key::plus}, {'-', key::minus}, {'.', key::point}, {'_', key::space},
        {'/', key::enter},    {'k', key::f11},  {'l', key::f12}};
    if (special.count(c)) return special.at(c);
    return c >= 'a' && c <= 'i' ? key::f1 + (c - 'a') : c;
}

Picture radioPicture(const radiosim::RadioEngine& r) {
    Picture v;
    v.split = r.split();
    v.vfoA = r.frequencyA();
    if (r.split()) v.vfoB = r.frequencyB();
    v.mode = r.mode();
    v.tone = r.setting("CT0").value_or(0);
    if (v.tone == 1) v.toneCode = r.setting("CN00").value_or(0);
    v.shift = r.setting("OS0").value_or(0) != 0;
    v.onAir = r.transmitting() || r.tuning();
    v.tune = r.tuning() || (r.transmitting() && r.setting("PC") == 5);  // the tune's 5 W carrier
    return v;
}

const std::pair<const char*, long long Picture::*> kProperties[] = {
    {"VFO A", &Picture::vfoA},  {"VFO B", &Picture::vfoB},     {"split", &Picture::split},
    {"mode", &Picture::mode},   {"tone", &Picture::tone},      {"tone code", &Picture::toneCode},
    {"shift", &Picture::shift}, {"transmit", &Picture::onAir}, {"tune", &Picture::tune}};

// What F says for the radio, clip by clip: "vfob" in split, the megahertz
// (none below 1 MHz), the decimals up to the last that is not zero, "mhz", the
// mode, the tone.
std::string spokenFor(const Picture& radio) {
    std::string decimals = zeroPadded(static_cast<int>((radio.split ? radio.vfoB : radio.vfoA) % 1000000), 6);
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    const long long megahertz = (radio.split ? radio.vfoB : radio.vfoA) / 1000000;
    std::string said = radio.split ? "vfob" : radio.shift ? "repeater" : "";
    for (char c : (megahertz > 0 ? std::to_string(megahertz) : "") + (decimals.empty() ? "" : "." + decimals))
        said += c == '.' ? " point" : std::string(" ") + c;
    const std::map<long long, const char*> modes{{'1', "lsb.wav"}, {'2', "usb.wav"}, {'3', "cw.wav"},
                                                 {'5', "am.wav"},  {'4', "fm.wav"},  {'B', "fm.wav nar.wav"},
                                                 {'E', "c4fm.wav"}};
    said += " mhz";
    if (modes.count(radio.mode)) said += std::string(" ") + modes.at(radio.mode);  // a data mode has no name
    if (radio.tone == 1) said += " ctcss";
    if (radio.tone == 1)
        for (char c : zeroPadded(static_cast<int>(radio.toneCode), 3)) said += std::string(" ") + c;
    return said.substr(said.front() == ' ' ? 1 : 0);
}

int bandOf(long long hz) { return bandForMegahertz(static_cast<int>(hz / 1000000)); }

}  // namespace

TruthRun::TruthRun(std::function<unsigned()> random) : random_(std::move(random)) {
    radio.setSMeter(130);
    serial.setResponder(1, [this](std::string_view bytes) {
        radio.advance(virtualClock.nowMs() - radio.now());
        std::string reply = radio.handle(bytes);
        // The radio may pass through a band between two commands written at once.
        noteBandsLeft();
        // The program's one set that the radio refuses, once.
        if (!refused_.empty() && bytes == refused_ + ";") {
            radio.setRefused("");
            refused_.clear();
        }
        return reply;
    });
    // Mostly within 150 ms; one answer in twenty after the panel gave up on
    // it, but never two in one round of the split poll (FA, SM0, FB, SM0): a
    // dial turned then is heard within the quiet second.
    serial.setLatency(1, [this] {
        const bool late = ++answersSinceLate_ > 4 && pick(20) == 19;
        if (late) answersSinceLate_ = 0;
        return late ? kGiveUpMs + pick(200) : pick(151);
    });
    p.rigctldPort = 4532;
    plan();
}

void TruthRun::plan() {
    steps_.push_back({1500, 0, 0});  // connected and settled
    for (int g = 0, gestures = 20 + pick(40); g < gestures; ++g) {
        for (const char* c = kGestures[pick(std::size(kGestures))]; *c; ++c)
            steps_.push_back({pick(601),
                              *c == '#'   ? static_cast<char>('0' + pick(10))
                              : *c == '%' ? static_cast<char>('0' + pick(5))
                                          : *c,
                              0});
        if (pick(4) == 0) steps_.push_back({pick(601), 0, 1 + pick(4)});
        if (pick(3) == 0) steps_.push_back({kQuietMs, 0, 0});
    }
    steps_.push_back({kQuietMs, 0, 0});
    steps_.push_back({pick(601), 'Q', 0});
}

// The dial, or a program on the network port setting frequency, mode or split.
void TruthRun::outsideChange(int kind) {
    std::string line;
    if (kind == 1) {
        const int hertz = (pick(2) ? 1 : -1) * (1 + pick(50)) * 100;
        radio.turnDial(hertz);
        transcript += " [dial " + std::to_string(hertz) + "]";
        return;
    }
    const char* const modes[] = {"USB", "LSB", "CW", "AM", "FM"};
    const char modeDigits[] = "21354";
    const int modeIndex = pick(5);
    char modeDigit = modeDigits[modeIndex];  // of the mode the program sets
    if (kind == 2)
        line = "F " + std::to_string(pick(4) ? radio.frequencyA() / 1000 * 1000 + (pick(21) - 10) * 1000LL
                                             : 14074000LL);
    else if (kind == 3 && pick(4) == 0) {
        // VFO B's mode goes through VFO A and back: the picture must end where the radio does.
        const bool data = pick(2);
        line = std::string("X ") + (data ? "PKTUSB 3000" : std::string(modes[modeIndex]) + " 0");
        modeDigit = data ? 'C' : modeDigit;
    } else if (kind == 3)
        line = std::string("M ") + modes[modeIndex] + (pick(3) ? " 0" : " 1800");
    else
        line = pick(2) ? "S 1 VFOB" : "S 0 VFOA";
    if (client_ == 0) client_ = network.connect("127.0.0.1", p.rigctldPort);
    network.send(client_, line + "\n");
    ++requestsSent_;
    transcript += " [" + line + "]";
    // One program set in five is refused by the radio; the panel must not follow it.
    if (refused_.empty() && pick(5) == 0) {
        if (kind == 2)
            refused_ = "FA" + zeroPadded(std::stoi(line.substr(2)), 9);
        else if (kind == 3)
            refused_ = std::string("MD0") + modeDigit;
        else
            refused_ = line == "S 1 VFOB" ? "FT3" : "FT2";
        radio.setRefused(refused_);
        refusedRequest_ = requestsSent_;
        transcript += "?";
    }
}

void TruthRun::fail(const std::string& property, const std::string& detail) {
    if (!failures_.count(property)) failures_[property] = detail + " after:" + transcript;
}

void TruthRun::checkPicture() {
    radio.advance(virtualClock.nowMs() - radio.now());
    const Picture panel = viewOf(p), real = radioPicture(radio);
    const std::string at = "t=" + std::to_string(virtualClock.nowMs()) + (real.split ? " in split" : "");
    for (const auto& [name, field] : kProperties)
        if (real.*field >= 0 && panel.*field != real.*field)
            fail(name,
                 at + " panel " + std::to_string(panel.*field) + " radio " + std::to_string(real.*field));
    const int band = bandOf(real.split ? real.vfoB : real.vfoA);
    const int mode = modeNumberFor(p, "MD0" + std::string(1, static_cast<char>(real.mode)));
    // The FM family is not stored on the HF bands, nor C4FM below 2 m, nor a
    // tune's carrier or the keyer's CW; nor do the rows learn while a sharing
    // program's command is the latest: they keep the operator's own settings.
    if (mode >= 1 && (band >= 10 || mode <= 4) && (band >= 12 || mode != 6) && !real.tune && band <= 14 &&
        p.externalCommand == 0 && p.keyPrefix != 11) {
        const std::string& row = p.bandTable[static_cast<std::size_t>(band)];
        if (charAt(row, 2) != '0' + mode)
            fail("band row mode", at + " row " + row + " radio mode " + std::to_string(mode));
        bandPicture_[band] = real;
        bandMoved_[band] = false;
    }
    // F, unless an entry, a prefix or a tune changes what it says.
    if (p.keyPrefix == 0 && p.memoryChannelMode == 0 && p.freqEntryActive == 0 && p.tuneActive == 0) {
        saysF_ = spokenFor(real);
        speaker.played.clear();
        playedSeen_ = 0;
        pressF_ = true;
    }
}

void TruthRun::noteBandsLeft() {
    // A band the radio leaves in another state than its last picture is not judged at the end.
    // The mode is VFO A's, so in split the band of VFO A may be left too.
    for (const long long hertz :
         {radio.frequencyA(), radio.split() ? radio.frequencyB() : radio.frequencyA()}) {
        const auto last = bandPicture_.find(bandOf(hertz));
        if (last != bandPicture_.end() &&
            (last->second.vfoA != radio.frequencyA() || last->second.mode != radio.mode()))
            bandMoved_[last->first] = true;
    }
}

WindowEvent TruthRun::nextEvent() {
    if (keyUp_) {
        keyUp_ = false;
        return {kKeyUp, 0};
    }
    if (pressF_) {
        pressF_ = false;
        keyUp_ = true;
        transcript += " (F)";
        return {kKeyDown, 'F'};
    }
    if (!saysF_.empty()) {
        std::string heard;
        for (const std::string& clip : speaker.played)
            if (clip != "wave\\delay")
                heard += (heard.empty() ? "" : " ") + clip.substr(clip.rfind('\\') + 1);
        if (heard != saysF_) fail("F speaks", "said \"" + heard + "\" radio \"" + saysF_ + "\"");
        saysF_.clear();
    }
    // A request answered without sending the refused set (the port may not
    // serve it yet) leaves the refusal unused: it must not hit a key's command.
    if (client_ != 0) repliesSeen_ += network.received(client_);
    for (std::size_t at; (at = repliesSeen_.find("RPRT")) != std::string::npos; repliesSeen_.erase(0, at + 4))
        if (++requestsAnswered_ >= refusedRequest_ && !refused_.empty()) {
            radio.setRefused("");
            refused_.clear();
        }
    // The program's requests still under way are not quiet either.
    if (requestsAnswered_ < requestsSent_) lastProgramMs_ = virtualClock.nowMs();
    // The muted S-meter field ("xx" clips) is no speech.
    for (; playedSeen_ < speaker.played.size(); ++playedSeen_)
        if (speaker.played[playedSeen_].rfind("wave\\", 0) == 0) lastSpeechMs_ = virtualClock.nowMs();
    noteBandsLeft();
    for (;;) {
        if (step_ >= steps_.size()) {  // after Q: ticks until the panel ends, as it must within its wait
            if (virtualClock.nowMs() - quitAt_ > 5000) {
                fail("Q ends the run", "still running");
                return {kCloseRequest, 0};
            }
            virtualClock.advance(kTickMs);
            return {kTimerTick, kPollTimerId};
        }
        const Step& s = steps_[step_];
        if (waitUntil_ < 0) waitUntil_ = virtualClock.nowMs() + s.gapMs;
        const long long tickAt = std::max(nextTick_, virtualClock.nowMs());
        if (tickAt <= waitUntil_) {
            virtualClock.advance(tickAt - virtualClock.nowMs());
            nextTick_ = tickAt + kTickMs;
            return {kTimerTick, kPollTimerId};
        }
        // A tick's work (speech at connection, say) may have run past the gap.
        virtualClock.advance(std::max(0LL, waitUntil_ - virtualClock.nowMs()));
        // Quiet means a second without speech too (the SWR of a tune, a
        // recall's readout) and after the program's last reply, for at most a few seconds.
        if (s.key == 0 && s.change == 0) {
            if (quietFromMs_ < 0) quietFromMs_ = virtualClock.nowMs();
            const long long silentFrom =
                std::max(std::max(lastSpeechMs_, lastProgramMs_) + kQuietMs, virtualClock.nowMs());
            if (silentFrom > virtualClock.nowMs() && silentFrom - quietFromMs_ < kLongestWaitMs) {
                waitUntil_ = silentFrom;
                continue;
            }
            quietFromMs_ = -1;
        }
        waitUntil_ = -1;
        ++step_;
        transcript += " +" + std::to_string(s.gapMs);
        if (s.key != 0) {
            transcript += " " + std::string(1, s.key);
            if (s.key == 'Q') {
                quitAt_ = virtualClock.nowMs();
                // A tune and the keyer give the mode before them back.
                chosenMode_ = p.tuneActive == 1 || p.keyPrefix == 11 ? 0 : static_cast<int>(viewOf(p).mode);
            }
            keyUp_ = true;
            return {kKeyDown, codeOf(s.key)};
        }
        if (s.change > 0) {
            outsideChange(s.change);
            continue;
        }
        transcript += " |";
        checkPicture();
        if (pressF_) return nextEvent();
    }
}

std::vector<WindowEvent> TruthRun::waitEvents() { return {nextEvent()}; }

void TruthRun::checkEnd() {
    radio.advance(virtualClock.nowMs() - radio.now());
    if (radio.transmitting() || radio.tuning()) fail("Q unkeys", "the radio is still on the air");
    if (chosenMode_ != 0 && radio.mode() != chosenMode_)
        fail("Q keeps the mode",
             std::string("radio ") + radio.mode() + " operator " + static_cast<char>(chosenMode_));
    std::ifstream file("savmem.dat", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    for (const auto& [band, picture] : bandPicture_) {
        if (bandMoved_[band] || picture.split) continue;
        const std::string row =
            band < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(band)] : "";
        const int mode = modeNumberFor(p, "MD0" + std::string(1, static_cast<char>(picture.mode)));
        if (charAt(row, 2) != '0' + mode || mid(row, 4, 9) != zeroPadded(static_cast<int>(picture.vfoA), 9))
            fail("savmem band row", "band " + std::to_string(band) + " row " + row + " radio " +
                                        std::to_string(picture.vfoA) + " mode " + std::to_string(mode));
    }
}

std::vector<std::string> TruthRun::run() {
    std::ofstream("vantor.cfg") << "COM=1\nSPEED=38400\nPOWER=100\nSWR=0\nATU=0\nTOPBAND=7\nPOWRON=0\nTSQ=0\n"
                                   "10MOFS+100\n6MOFS-500\n2MOFS-600\n70MOFS-7600\nBRIDGE=0\nDEBUG="
                                << (debugLog ? 1 : 0) << "\n";
    runProgram(p);
    checkEnd();
    std::vector<std::string> found;
    for (const auto& [property, detail] : failures_) found.push_back(property + ": " + detail);
    return found;
}

}  // namespace vantor::truth
