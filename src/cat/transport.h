#pragma once
// The panel's side of the conversation with the transceiver: one command at a
// time from commandText, whatever the radio has answered into replyText, and
// the pause between a query and its answer, which is the playing of the clip
// "delay". Programs that share the radio take turns with it (cat/conversation.h).

#include <optional>
#include <string>
#include <string_view>

#include "core/panel.h"

namespace vantor {

// Opens a port the way both the radio port and the bridge port are opened:
// at baudRate, reads that never wait, 8 data bits, no parity, two stop bits.
// False when the port could not be opened.
bool openCatPort(Panel& p, int port);
// Sends commandText with ";" appended (FA becomes FB while split is on; radios
// with 8-digit frequency fields get the leading digit dropped). What it
// changes goes into the picture of the radio on its way out.
void send(Panel& p);
// Convenience: commandText = command, then send.
void send(Panel& p, const std::string& command);
// The rewrites of send: ";" appended, FA to FB in split, eight-digit fields.
std::string preparedCommand(Panel& p, std::string command);
// Sends a question: it goes to the radio as soon as no other question is on
// the line, and its answer comes back to the panel.
void ask(Panel& p, const std::string& command);
// A question exactly as given (with its ";"), with none of the panel's rewrites.
void askUnchanged(Panel& p, const std::string& command);
// The radio's own form of a command: ";" appended, a nine-digit frequency
// set in eight digits on the smaller radios.
std::string radioForm(Panel& p, std::string command);
// replyText = what the radio has answered the panel so far (at most 255
// bytes, late answers included); never waits.
void receive(Panel& p);
// The pause between a query and reading its answer.
void delay(Panel& p);
// Send, pause, receive.
void query(Panel& p, const std::string& command);
// Send, pause, receive, then the `count` digits `offset` characters after the
// first `marker` in the answer; nothing when the answer did not come or
// carries something else there.
std::optional<std::string> queryDigits(Panel& p, const std::string& command, std::string_view marker,
                                       int offset, int count);
// True when text begins with "FA" or "FB", exactly `digits` digits and ";".
bool beginsWithFrequency(std::string_view text, int digits);
// True when reply begins with a frequency reply of the radio's field width; it
// is then rewritten in place to the nine digits the panel keeps. Until the
// radio is connected, the width is learnt from the reply itself.
bool takeFrequencyReply(Panel& p, std::string& reply);

}  // namespace vantor
