#include "truth/truth_harness.h"

namespace vantor::truth {

namespace {

constexpr int kTickMs = 50;
constexpr int kQuietMs = 1000;
constexpr int kGiveUpMs = 250;  // the conversation stops waiting for an answer here

std::string keyName(int code) {
    static const std::map<int, std::string> names{
        {key::enter, "<ret>"}, {key::space, "<sp>"}, {key::up, "<up>"},       {key::down, "<dn>"},
        {key::left, "<lt>"},   {key::right, "<rt>"}, {key::pageUp, "<pgup>"}, {key::pageDown, "<pgdn>"},
        {key::plus, "+"},      {key::minus, "-"},    {key::point, "."},       {key::f11, "<F11>"},
        {key::f12, "<F12>"},   {key::f9, "<F9>"},    {key::letter('Q'), "Q"},
    };
    if (names.count(code)) return names.at(code);
    if (code >= key::f1 && code <= key::f8) return "<F" + std::to_string(code - key::f1 + 1) + ">";
    return std::string(1, static_cast<char>(code));
}

// Frequencies in the bands and general coverage, as typed after E.
const char* const kTyped[] = {"1.85", "3.6",  "7.05", "10.12", "14.2",  "18.1", "21.3",  "24.95",
                              "28.5", "29.6", "50.2", "145.5", "433.5", "5",    "14.074"};

}  // namespace

TruthRun::TruthRun(unsigned seed) : random_(seed) {
    radio.setSMeter(130);
    serial.setResponder(1, [this](std::string_view bytes) {
        radio.advance(virtualClock.nowMs() - radio.now());
        return radio.handle(bytes);
    });
    serial.setLatency(1, [this] {
        const int roll = static_cast<int>(random_() % 20);
        if (roll == 0) return kGiveUpMs + static_cast<int>(random_() % 200);  // after the panel gave up
        return static_cast<int>(random_() % 151);
    });
    p.rigctldPort = 4532;
    plan();
}

// The operator's alphabet: every key of the key map but N (a menu set can put
// the radio anywhere the panel cannot know) and Q (the end of the run).
void TruthRun::plan() {
    auto pick = [&](int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); };
    auto digit = [&] { return key::digit0 + pick(10); };
    const std::vector<std::vector<int>> fixed{
        {'F'},
        {'M'},
        {'X', 'M'},
        {'V'},
        {'Z'},
        {'X', 'S'},
        {'X', 'A'},
        {'X', 'F'},
        {key::up},
        {key::down},
        {key::left},
        {key::right},
        {key::pageUp},
        {key::pageDown},
        {key::plus},
        {key::minus},
        {'B', key::up},
        {'B', key::down},
        {'B', 'X'},
        {'B', 'T'},
        {'B', 'S'},
        {'B', 'U'},
        {key::space},
        {'T'},
        {key::f12},
        {'S'},
        {'O'},
        {'H'},
        {'I'},
        {'D'},
        {'U'},
        {'K', key::up, 'K'},
        {'A', key::up},
        {'R', key::down},
        {'P', key::up},
        {'W', key::down},
        {'L', key::up},
        {key::f1},
        {key::f2},
        {key::f3},
        {key::f4},
        {key::f5},
        {key::f6},
        {key::f7},
        {key::f8},
        {key::f9},
        {key::f11, key::up, 'J'},
        {'J'},
        {key::enter},
    };
    steps_.push_back({1500, {}, 0});  // connected and settled
    const int gestures = 20 + pick(40);
    for (int g = 0; g < gestures; ++g) {
        std::vector<int> keys;
        const int kind = pick(10);
        if (kind == 0) {
            keys.push_back('E');
            for (char c : std::string(kTyped[pick(std::size(kTyped))]))
                keys.push_back(c == '.' ? key::point : c);
            keys.push_back(key::enter);
        } else if (kind == 1) {
            keys = {'B', digit()};
        } else if (kind == 2) {
            keys = {pick(2) ? 'C' : 'G', digit()};
        } else if (kind == 3) {
            keys = {'I', key::digit0 + pick(5), digit(), key::enter};
        } else {
            keys = fixed[static_cast<std::size_t>(pick(static_cast<int>(fixed.size())))];
        }
        for (int code : keys) steps_.push_back({pick(601), {code}, 0});
        if (pick(4) == 0) steps_.push_back({pick(601), {}, 1 + pick(4)});
        if (pick(3) == 0) steps_.push_back({kQuietMs, {}, 0});
    }
    steps_.push_back({kQuietMs, {}, 0});
    steps_.push_back({pick(601), {key::letter('Q')}, 0});
}

void TruthRun::outsideChange(int kind) {
    auto pick = [&](int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); };
    std::string line;
    if (kind == 1) {
        const int hertz = (pick(2) ? 1 : -1) * (1 + pick(50)) * 100;
        radio.turnDial(hertz);
        transcript += " [dial " + std::to_string(hertz) + "]";
        return;
    }
    if (kind == 2) {
        const long long near = radio.frequencyA() / 1000 * 1000 + (pick(21) - 10) * 1000LL;
        line = "F " + std::to_string(pick(4) ? near : 14074000LL);
    } else if (kind == 3) {
        const char* const modes[] = {"USB", "LSB", "CW", "AM", "FM"};
        line = std::string("M ") + modes[pick(5)] + " 0";
    } else {
        line = pick(2) ? "S 1 VFOB" : "S 0 VFOA";
    }
    if (client_ == 0) client_ = network.connect("127.0.0.1", p.rigctldPort);
    network.send(client_, line + "\n");
    transcript += " [" + line + "]";
}

void TruthRun::fail(const std::string& property, const std::string& detail) {
    if (!failures_.count(property)) failures_[property] = detail + " after:" + transcript;
}

void TruthRun::checkPicture() {
    radio.advance(virtualClock.nowMs() - radio.now());
    const Picture panel = viewOf(p), real = radioPicture(radio);
    const std::string at = "t=" + std::to_string(virtualClock.nowMs()) + (real.split ? " in split" : "");
    for (const Property& row : kProperties) {
        const long long seen = row.field ? panel.*row.field : panel.*row.flag;
        const long long truth = row.field ? real.*row.field : real.*row.flag;
        if (truth >= 0 && seen != truth)
            fail(row.name, at + " panel " + std::to_string(seen) + " radio " + std::to_string(truth));
    }
    const long long working = real.split ? real.vfoB : real.vfoA;
    const int band = bandForMegahertz(static_cast<int>(working / 1000000));
    const int modeNumber = modeNumberFor(p, std::string("MD0") + static_cast<char>(real.mode));
    // The FM family is not stored on the HF bands, nor C4FM below 2 m, nor a tune's carrier.
    const bool storable =
        modeNumber >= 1 && (band >= 10 || modeNumber <= 4) && (band >= 12 || modeNumber != 6);
    if (storable && !real.tune && band >= 1 && band <= 14) {
        const std::string& row = p.bandTable[static_cast<std::size_t>(band)];
        if (charAt(row, 2) != '0' + modeNumber)
            fail("band row mode", at + " row " + row + " radio mode " + char(real.mode));
        bandPicture_[band] = real;
        bandMovedSince_[band] = false;
    }
    // F, when no entry, prefix or tune changes what it says.
    if (p.keyPrefix == 0 && p.memoryChannelMode == 0 && p.freqEntryActive == 0 && p.tuneActive == 0) {
        spokenExpected_ = spokenFor(real);
        speaker.played.clear();
        fPressed_ = true;
    }
}

void TruthRun::checkSpoken() {
    std::vector<std::string> heard;
    for (const std::string& clip : speaker.played)
        if (clip != "wave\\delay") heard.push_back(clip.rfind("wave\\", 0) == 0 ? clip.substr(5) : clip);
    auto join = [](const std::vector<std::string>& clips) {
        std::string text;
        for (const auto& c : clips) text += c + " ";
        return text;
    };
    if (heard != spokenExpected_)
        fail("F speaks", "said \"" + join(heard) + "\" radio \"" + join(spokenExpected_) + "\"");
}

// Bands the radio moved on after their last quiet picture are not judged.
void TruthRun::sample() {
    const long long working = radio.split() ? radio.frequencyB() : radio.frequencyA();
    const int band = bandForMegahertz(static_cast<int>(working / 1000000));
    auto it = bandPicture_.find(band);
    if (it != bandPicture_.end() &&
        (it->second.vfoA != radio.frequencyA() || it->second.mode != radio.mode()))
        bandMovedSince_[band] = true;
}

WindowEvent TruthRun::nextEvent() {
    if (keyUp_) {
        keyUp_ = false;
        return {kKeyUp, 0};
    }
    if (fPressed_) {
        fPressed_ = false;
        keyUp_ = true;
        transcript += " (F)";
        return {kKeyDown, 'F'};
    }
    if (!spokenExpected_.empty()) {
        checkSpoken();
        spokenExpected_.clear();
    }
    sample();
    for (;;) {
        if (step_ >= steps_.size()) {
            // After Q: ticks until the panel ends, which it must within its wait.
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
        virtualClock.advance(waitUntil_ - virtualClock.nowMs());
        waitUntil_ = -1;
        ++step_;
        transcript += " +" + std::to_string(s.gapMs);
        if (!s.keys.empty()) {
            const int code = s.keys.front();
            transcript += " " + keyName(code);
            if (code == key::letter('Q')) {
                quitAt_ = virtualClock.nowMs();
                chosenMode_ = viewOf(p).mode;
                if (p.tuneActive == 1) chosenMode_ = 0;  // the mode before the tune, judged below
            }
            keyUp_ = true;
            return {kKeyDown, code};
        }
        if (s.change > 0) {
            outsideChange(s.change);
            continue;
        }
        transcript += " |";
        checkPicture();
        if (fPressed_) return nextEvent();
    }
}

std::vector<WindowEvent> TruthRun::waitEvents() { return {nextEvent()}; }

void TruthRun::checkEnd() {
    radio.advance(virtualClock.nowMs() - radio.now());
    if (radio.transmitting() || radio.tuning()) fail("Q unkeys", "the radio is still on the air");
    if (chosenMode_ != 0 && radio.mode() != chosenMode_)
        fail("Q keeps the mode", std::string("radio ") + radio.mode() + " operator " + char(chosenMode_));
    std::ifstream file("savmem.dat", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    for (const auto& [band, picture] : bandPicture_) {
        if (bandMovedSince_[band] || picture.split) continue;
        const std::string row =
            band < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(band)] : "";
        const int modeNumber = modeNumberFor(p, std::string("MD0") + static_cast<char>(picture.mode));
        if (charAt(row, 2) != '0' + modeNumber ||
            mid(row, 4, 9) != zeroPadded(static_cast<int>(picture.vfoA), 9))
            fail("savmem band row", "band " + std::to_string(band) + " row " + row + " radio " +
                                        std::to_string(picture.vfoA) + " mode " + char(picture.mode));
    }
}

std::vector<std::string> TruthRun::run() {
    std::ofstream("vantor.cfg") << "COM=1\nSPEED=38400\nPOWER=100\nSWR=0\nATU=0\nTOPBAND=7\nPOWRON=0\nTSQ=0\n"
                                   "10MOFS+100\n6MOFS-500\n2MOFS-600\n70MOFS-7600\nBRIDGE=0\nDEBUG=0\n";
    runProgram(p);
    checkEnd();
    std::vector<std::string> found;
    for (const auto& [property, detail] : failures_) found.push_back(property + ": " + detail);
    return found;
}

}  // namespace vantor::truth
