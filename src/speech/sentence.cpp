#include "speech/sentence.h"

#include <map>

#include "speech/phrase_table.h"

namespace vantor {

namespace {

std::string_view withoutWav(std::string_view clip) {
    return clip.ends_with(".wav") ? clip.substr(0, clip.size() - 4) : clip;
}

const std::map<std::string, std::string, std::less<>>& phrases() {
    static const auto table = [] {
        std::map<std::string, std::string, std::less<>> read;
        std::string_view text = phraseTableText();
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            if (line.ends_with('\r')) line.remove_suffix(1);
            const std::size_t tab = line.find('\t');
            if (line.empty() || line.front() == '#' || tab == std::string_view::npos) continue;
            read.emplace(std::string(line.substr(0, tab)), std::string(line.substr(tab + 1)));
        }
        return read;
    }();
    return table;
}

bool isDigit(std::string_view name) { return name.size() == 1 && name[0] >= '0' && name[0] <= '9'; }

}  // namespace

std::string phraseOf(std::string_view clip) {
    const std::string_view name = withoutWav(clip);
    const auto found = phrases().find(name);
    return found == phrases().end() ? std::string(name) : found->second;
}

bool endsSentence(std::string_view clip) {
    const std::string_view name = withoutWav(clip);
    return name == "delay" || name == "beep";
}

std::string sentenceOf(const std::vector<std::string>& clips) {
    std::string sentence;
    bool inNumber = false;  // the last word was a digit
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const std::string_view name = withoutWav(clips[i]);
        if (name == "delay") continue;
        // A point between two digits is a decimal point.
        const bool decimalPoint =
            name == "point" && inNumber && i + 1 < clips.size() && isDigit(withoutWav(clips[i + 1]));
        const bool digit = isDigit(name);
        if ((digit || decimalPoint) && inNumber) {
            sentence += decimalPoint ? "." : std::string(name);
            continue;
        }
        if (!sentence.empty()) sentence += ' ';
        sentence += digit ? std::string(name) : phraseOf(name);
        inNumber = digit;
    }
    return sentence;
}

std::string brailleOf(const std::vector<std::string>& clips) {
    // A word of capitals with or without their dots ("U", "A.F.") is spelled.
    auto spelled = [](std::string_view word) {
        bool letter = false;
        for (char c : word) {
            if (c >= 'A' && c <= 'Z') letter = true;
            else if (c != '.') return false;
        }
        return letter && (word.size() == 1 || word.find('.') != std::string_view::npos);
    };
    const std::string sentence = sentenceOf(clips);
    std::string braille;
    bool lastSpelled = false;
    std::size_t start = 0;
    while (start <= sentence.size()) {
        std::size_t end = sentence.find(' ', start);
        if (end == std::string::npos) end = sentence.size();
        const std::string_view word = std::string_view(sentence).substr(start, end - start);
        const bool isSpelled = spelled(word);
        if (!braille.empty() && !(isSpelled && lastSpelled)) braille += ' ';
        for (char c : word)
            if (!isSpelled || c != '.') braille += c;
        lastSpelled = isSpelled;
        start = end + 1;
    }
    return braille;
}

}  // namespace vantor
