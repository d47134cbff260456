#pragma once
// The one conversation with the radio. The poll, the keys and the programs
// that share the radio (the bridge port and the network port) all talk to it
// through here, one question at a time: a Yaesu answer begins with the two
// letters of its question (or is "?;"), so each answer goes back to the side
// that asked. The panel's own sets go at once. A program's set is checked:
// it waits for the line, goes with a question the radio always answers, and
// a "?;" before that answer is its refusal; only a set the radio took goes
// into the picture and the panel's news, and the program hears the verdict.

#include <optional>
#include <string>
#include <string_view>

#include "core/panel.h"

namespace vantor {

// Who talks to the radio: the panel itself (poll and keys), the bridge port,
// and each network connection as kFirstNetworkSide + its number.
inline constexpr int kPanelSide = 0;
inline constexpr int kBridgeSide = 1;
inline constexpr int kFirstNetworkSide = 100;

// True when a command (with its ";") from a program sharing the radio asks
// for an answer: its mnemonic carries no more than the selector a read takes.
bool isCatQuestion(const Panel& p, std::string_view command);
// Writes a command (with its ";") for a side: the panel's set at once
// (behind a checked set on the line), a question or a program's set as soon
// as the line is free. A program's set unanswered in time is given up; a
// keying one is then followed by "TX0".
void talkToRadio(Panel& p, int side, const std::string& command, bool question);
// Reads what the radio has said and hands each answer to the side that asked;
// an answer nobody waits for goes to the panel, which reads late answers as
// it always has. A question unanswered for too long is given up, and the next
// waiting one goes. Never waits.
void serveRadio(Panel& p);
// The side no longer waits for the answer to its question on the line (the
// panel has read without it): the next question may go.
void giveUpQuestion(Panel& p, int side);
// The answers that have come for a side since it last asked, taken; for the
// panel only those still current.
std::string takeAnswers(Panel& p, int side);
// The newest current answer of the panel's that begins with `prefix` ("FA",
// "SM", "RM6"); every answer of the panel's with that prefix is taken.
std::optional<std::string> takeAnswerFor(Panel& p, std::string_view prefix);
// False for an answer to a question asked before the latest change of a
// value it reports (frequency, VFO B, mode, split): the radio has moved since.
bool isCurrentAnswer(const CatConversation& c, const CatAnswer& answer);
// True when a command written later (a key's, say) set the value this set
// command, written as `lineNumber`, sets: following it would undo that.
bool isOvertaken(const CatConversation& c, std::string_view command, long long lineNumber);
// True while a question of a side other than the panel waits or is on the line.
bool sharingProgramsBusy(const Panel& p);
// True while a question of the side waits or is on the line.
bool isWaitingFor(const Panel& p, int side);
// The side has gone: its waiting questions are dropped and its answers too.
void forgetSide(Panel& p, int side);

}  // namespace vantor
