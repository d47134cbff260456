// Framing, power and the command dispatch of the simulated transceiver.

#include "radiosim/radio_engine.h"

#include <algorithm>
#include <stdexcept>

#include "radiosim/radio_text.h"

namespace vantor::radiosim {

namespace {

ModelTraits makeTraits(int id) {
    ModelTraits t;
    t.id = id;
    switch (id) {
        case 241:
        case 310:
        case 462:
            t.frequencyDigits = 8;
            break;
        case 251:
        case 362:
            t.frequencyDigits = 8;
            t.shortProcessor = true;
            break;
        case 650:
            t.menuDigits = 4;
            break;
        case 681:
        case 682:
        case 761:
        case 800:
        case 840:
            t.menuDigits = 6;
            t.meterDigits = 6;
            t.receiverWidth = true;
            break;
        default:
            break;
    }
    return t;
}

}  // namespace

const std::vector<int>& knownModels() {
    static const std::vector<int> models{241, 251, 310, 362, 462, 570, 650, 670, 681, 682, 761, 800, 840};
    return models;
}

std::optional<ModelTraits> traitsForModel(int id) {
    const auto& models = knownModels();
    if (std::find(models.begin(), models.end(), id) == models.end()) return std::nullopt;
    return makeTraits(id);
}

RadioEngine::RadioEngine(int model) {
    auto traits = traitsForModel(model);
    if (!traits) throw std::invalid_argument("unknown radio model " + std::to_string(model));
    traits_ = *traits;
    installSettings();
}

std::string RadioEngine::handle(std::string_view bytes) {
    std::string replies;
    for (const auto& exchange : receive(bytes)) replies += exchange.reply;
    return replies;
}

std::vector<Exchange> RadioEngine::receive(std::string_view bytes) {
    std::vector<Exchange> out;
    for (char c : bytes) consume(c, out);
    return out;
}

void RadioEngine::consume(char c, std::vector<Exchange>& out) {
    if (skipping_) {
        // The tail of an over-long command: already answered once.
        if (c == ';') skipping_ = false;
        return;
    }
    if (c == ';') {
        std::string command = std::move(pending_);
        pending_.clear();
        std::string reply = execute(command);
        command += ';';
        out.push_back({std::move(command), std::move(reply)});
        return;
    }
    if (pending_.size() < kMaxCommandLength) {
        pending_ += c;
        return;
    }
    // No radio takes a command this long: drop it up to its ";" and say so once.
    std::string command = std::move(pending_);
    pending_.clear();
    skipping_ = true;
    std::string reply = execute(command, true);
    out.push_back({std::move(command), std::move(reply)});
}

std::string RadioEngine::execute(std::string_view body, bool overlong) {
    if (silent_) return {};
    if (!powerOn_) {
        // Asleep: the first bytes only wake the processor, then PS1 switches on.
        if (!woken_) {
            woken_ = true;
        } else if (body == "PS1") {
            powerOn_ = true;
            woken_ = false;
        }
        return {};
    }
    const bool refused = refuseAll_ || (!refusedPrefix_.empty() && body.starts_with(refusedPrefix_));
    Outcome outcome = overlong || refused ? Outcome::error() : dispatch(body);
    std::string reply = outcome.ok ? std::move(outcome.reply) : std::string("?;");
    if (reply.empty()) return reply;
    return garbage_ + reply;
}

RadioEngine::Outcome RadioEngine::dispatch(std::string_view body) {
    if (body.size() < 2 || !isUpper(body[0]) || !isUpper(body[1])) return Outcome::error();
    const std::string_view mnemonic = body.substr(0, 2);
    if (mnemonic == "FA") return frequency(body, freqA_);
    if (mnemonic == "FB") return frequency(body, freqB_);
    if (mnemonic == "FT" || mnemonic == "VS" || mnemonic == "SV" || mnemonic == "ZI" || mnemonic == "AB")
        return vfoCommand(body);
    if (mnemonic == "MD") return modeCommand(body);
    if (mnemonic == "IF" || mnemonic == "OI" || mnemonic == "ID" || mnemonic == "AI")
        return information(body);
    if (mnemonic == "SH" || mnemonic == "NA") return filter(body);
    if (mnemonic == "PS") return power(body);
    if (mnemonic == "TX") return transmit(body);
    if (mnemonic == "AC") return tuner(body);
    if (mnemonic == "EX") return menuCommand(body);
    if (mnemonic == "SM") return sMeter(body);
    if (mnemonic == "RM") return meter(body);
    if (mnemonic == "RC" || mnemonic == "RU" || mnemonic == "RD") return clarifier(body);
    return tableSetting(body);
}

RadioEngine::Outcome RadioEngine::power(std::string_view body) {
    if (body == "PS") return Outcome::answer("PS1;");
    if (body == "PS1") return Outcome::silent();
    if (body == "PS0") {
        powerOn_ = false;
        woken_ = false;
        tx_ = 0;
        tuning_ = false;
        return Outcome::silent();
    }
    return Outcome::error();
}

}  // namespace vantor::radiosim
