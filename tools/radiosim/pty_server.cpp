// The pseudo-terminal front end: a poll() loop that hands received bytes to
// the engine and writes its replies back after the configured latency.

#include "radiosim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <string_view>

#include "radiosim/radio_engine.h"

namespace vantor::radiosim {

namespace {

constexpr std::int64_t kSplitGapMs = 20;          // pause between the halves of a split reply
constexpr std::int64_t kMergeHoldMs = 30;         // how long a reply waits for the next to join it
constexpr std::size_t kMaxQueuedBytes = 1 << 16;  // replies nobody reads are dropped past this
constexpr std::int64_t kErrorBackoffMs = 100;     // rest after a read error instead of spinning
constexpr std::int64_t kLastReplyGraceMs = 2000;  // time the client gets to read before the port goes
constexpr std::int64_t kDrainCheckMs = 20;

using Clock = std::chrono::steady_clock;

// Log stamps are microseconds on the system's monotonic clock, the one other
// programs read too, so a tool can set a key press it made against the moment
// the radio saw the command.
std::int64_t monotonicMicros() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

struct Pending {
    std::int64_t due;
    std::string bytes;
    bool held = false;  // waiting for the next reply to go out with it
};

// The command as one log line: printable text as is, anything else as \xNN.
std::string printable(std::string_view command) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : command) {
        if (c >= ' ' && c <= '~' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// What the radio's own front panel shows, as one line a test can read at any moment.
std::string stateLine(const RadioEngine& r) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "vfoA=%lld vfoB=%lld mode=%c split=%d vfoB-selected=%d shift=%d tone=%d tone-code=%d "
                  "transmit=%d tuning=%d\n",
                  static_cast<long long>(r.frequencyA()), static_cast<long long>(r.frequencyB()), r.mode(),
                  r.split() ? 1 : 0, r.vfoBSelected() ? 1 : 0, r.setting("OS0").value_or(0),
                  r.setting("CT0").value_or(0), r.setting("CN00").value_or(0), r.transmitting() ? 1 : 0,
                  r.tuning() ? 1 : 0);
    return line;
}

class PtyServer {
  public:
    explicit PtyServer(const ServerOptions& options) : options_(options), engine_(options.model) {
        engine_.setSMeter(options.sMeter);
        engine_.setGarbageBeforeReply(options.garbage);
        engine_.setLatencyMs(options.latencyMs);
        engine_.setSplitReplies(options.splitReplies);
        engine_.setRefuseAll(options.refuseAll);
    }
    ~PtyServer() { closePort(); }

    int run();

  private:
    bool openPort();
    bool makeLink();
    void removeLink();
    void closePort();
    void vanish();
    void comeBack();
    void serveInput(std::int64_t now);
    void queueReply(const std::string& reply, std::int64_t now);
    bool joinHeldReply(const std::string& reply, std::int64_t now);
    void writeDue(std::int64_t now);
    bool lastRepliesRead(std::int64_t now) const;
    void writeState();
    std::int64_t elapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
    }

    const ServerOptions& options_;
    RadioEngine engine_;
    Clock::time_point start_ = Clock::now();
    std::int64_t lastAdvance_ = 0;
    int master_ = -1;
    int slave_ = -1;
    int signals_ = -1;
    std::string slaveName_;
    bool linkMade_ = false;
    std::FILE* log_ = nullptr;
    std::string stateWritten_;
    std::deque<Pending> queue_;
    std::minstd_rand latencyRandom_{20261208u};  // the same delays on every run
    std::size_t queuedBytes_ = 0;
    long commands_ = 0;
    bool vanishAfterWrites_ = false;
    std::int64_t vanishDeadline_ = 0;
    std::int64_t lastWriteAt_ = 0;
    bool vanished_ = false;
    bool vanishedOnCount_ = false;  // --vanish-after acts once, not again after a return
    std::int64_t restUntil_ = 0;
    std::int64_t partialSinceUs_ = -1;  // arrival of a command's first byte, while the rest is due
};

bool PtyServer::openPort() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        std::fprintf(stderr, "vantor-radiosim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    const char* name = ptsname(master_);
    if (name == nullptr) return false;
    slaveName_ = name;
    // Holding the other end open ourselves keeps the terminal alive while a
    // client closes and reopens it.
    slave_ = open(slaveName_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        std::fprintf(stderr, "vantor-radiosim: cannot open %s: %s\n", slaveName_.c_str(),
                     std::strerror(errno));
        return false;
    }
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B38400);
        cfsetospeed(&tio, B38400);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PtyServer::makeLink() {
    if (options_.link.empty()) return true;
    struct stat st {};
    if (lstat(options_.link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "vantor-radiosim: %s exists and is not a link; not replacing it\n",
                         options_.link.c_str());
            return false;
        }
        unlink(options_.link.c_str());  // left behind by an earlier run
    }
    if (symlink(slaveName_.c_str(), options_.link.c_str()) != 0) {
        std::fprintf(stderr, "vantor-radiosim: cannot link %s: %s\n", options_.link.c_str(),
                     std::strerror(errno));
        return false;
    }
    linkMade_ = true;
    return true;
}

void PtyServer::removeLink() {
    if (!linkMade_) return;
    linkMade_ = false;
    // Only our own link: another simulator may have taken the name since.
    char target[512];
    const ssize_t n = readlink(options_.link.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string_view(target, static_cast<std::size_t>(n)) == slaveName_) {
        unlink(options_.link.c_str());
    }
}

void PtyServer::closePort() {
    removeLink();
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
    if (signals_ >= 0) close(signals_);
    signals_ = -1;
    if (log_ != nullptr) std::fclose(log_);
    log_ = nullptr;
}

void PtyServer::vanish() {
    removeLink();
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
    queue_.clear();
    queuedBytes_ = 0;
    vanished_ = true;
    std::printf("vantor-radiosim: port removed\n");
    std::fflush(stdout);
}

// The link comes back under its old name on a new terminal, as a USB adapter
// does after a reset; the radio itself kept its state.
void PtyServer::comeBack() {
    if (!openPort() || !makeLink()) return;
    vanished_ = false;
    vanishAfterWrites_ = false;
    restUntil_ = 0;
    partialSinceUs_ = -1;
    std::printf("vantor-radiosim: port back on %s\n", slaveName_.c_str());
    std::fflush(stdout);
}

// With --merge-replies a reply is held until the next one joins it, and the
// two go out in one write, as a radio's buffered port hands them over.
bool PtyServer::joinHeldReply(const std::string& reply, std::int64_t now) {
    if (queue_.empty() || !queue_.back().held || queue_.back().due <= now) return false;
    Pending& held = queue_.back();
    held.bytes += reply;
    held.held = false;
    held.due = now + engine_.latencyMs();
    return true;
}

void PtyServer::queueReply(const std::string& reply, std::int64_t now) {
    if (reply.empty() || queuedBytes_ + reply.size() > kMaxQueuedBytes) return;
    if (options_.mergeReplies && joinHeldReply(reply, now)) {
        queuedBytes_ += reply.size();
        return;
    }
    std::int64_t due = now + engine_.latencyMs();
    // A radio busy with its own work answers some commands later than others.
    if (options_.latencyRandomMs > 0)
        due += static_cast<std::int64_t>(latencyRandom_() % (options_.latencyRandomMs + 1u));
    if (!queue_.empty() && queue_.back().due > due) due = queue_.back().due;  // keep the byte order
    queuedBytes_ += reply.size();
    if (options_.mergeReplies) {
        queue_.push_back({due + kMergeHoldMs, reply, true});
    } else if (engine_.splitReplies() && reply.size() >= 2) {
        const std::size_t half = reply.size() / 2;
        queue_.push_back({due, reply.substr(0, half)});
        queue_.push_back({due + kSplitGapMs, reply.substr(half)});
    } else {
        queue_.push_back({due, reply});
    }
}

void PtyServer::serveInput(std::int64_t now) {
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    const std::int64_t arrivedUs = monotonicMicros();
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        restUntil_ = now + kErrorBackoffMs;
        return;
    }
    std::string_view bytes(buffer, static_cast<std::size_t>(n));
    // One command at a time, so that a fault armed by a count starts exactly
    // at the next command.
    while (!bytes.empty()) {
        const std::size_t end = bytes.find(';');
        const std::size_t take = end == std::string_view::npos ? bytes.size() : end + 1;
        // A command is stamped with the arrival of its first byte, which may
        // have come in an earlier read.
        const std::int64_t stampUs = partialSinceUs_ >= 0 ? partialSinceUs_ : arrivedUs;
        partialSinceUs_ = end == std::string_view::npos ? stampUs : -1;
        for (const auto& exchange : engine_.receive(bytes.substr(0, take))) {
            if (log_ != nullptr) {
                std::fprintf(log_, "%lld %s\n", static_cast<long long>(stampUs),
                             printable(exchange.command).c_str());
                std::fflush(log_);
            }
            queueReply(exchange.reply, now);
            ++commands_;
            if (options_.silentAfter >= 0 && commands_ >= options_.silentAfter) engine_.setSilent(true);
            if (options_.vanishAfter >= 0 && commands_ >= options_.vanishAfter && !vanishedOnCount_) {
                vanishedOnCount_ = true;
                vanishAfterWrites_ = true;
                vanishDeadline_ = now + engine_.latencyMs() + kLastReplyGraceMs;
            }
        }
        bytes.remove_prefix(take);
        if (vanishAfterWrites_) break;
    }
}

void PtyServer::writeDue(std::int64_t now) {
    while (!queue_.empty() && queue_.front().due <= now) {
        std::string& bytes = queue_.front().bytes;
        const ssize_t n = write(master_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) return;  // the client is not reading: try later
            queue_.clear();
            queuedBytes_ = 0;
            return;
        }
        queuedBytes_ -= static_cast<std::size_t>(n);
        lastWriteAt_ = now;
        bytes.erase(0, static_cast<std::size_t>(n));
        if (!bytes.empty()) return;
        queue_.pop_front();
    }
}

// Before the port goes away the client gets its last replies, unless it
// leaves them unread for too long.
bool PtyServer::lastRepliesRead(std::int64_t now) const {
    if (now >= vanishDeadline_) return true;
    // Written bytes reach the terminal's input queue a moment after write().
    if (!queue_.empty() || now < lastWriteAt_ + kDrainCheckMs) return false;
    int unread = 0;
    return ioctl(slave_, FIONREAD, &unread) != 0 || unread == 0;
}

// Written beside the file and renamed over it, so a reader never sees half a line.
void PtyServer::writeState() {
    if (options_.statePath.empty()) return;
    const std::string line = stateLine(engine_);
    if (line == stateWritten_) return;
    const std::string temporary = options_.statePath + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) return;
    const bool written = std::fputs(line.c_str(), file) >= 0;
    if (std::fclose(file) == 0 && written && std::rename(temporary.c_str(), options_.statePath.c_str()) == 0)
        stateWritten_ = line;
}

int PtyServer::run() {
    if (!options_.logPath.empty()) {
        log_ = std::fopen(options_.logPath.c_str(), "w");
        if (log_ == nullptr) {
            std::fprintf(stderr, "vantor-radiosim: cannot write %s: %s\n", options_.logPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    if (!openPort() || !makeLink()) return 1;
    writeState();

    // The signals arrive as readable data on a descriptor that poll() watches
    // beside the terminal, so none is lost between two turns of the loop.
    sigset_t handled;
    sigemptyset(&handled);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&handled, s);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    signals_ = signalfd(-1, &handled, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signals_ < 0) {
        std::fprintf(stderr, "vantor-radiosim: cannot watch signals: %s\n", std::strerror(errno));
        return 1;
    }
    signal(SIGPIPE, SIG_IGN);

    char model[8];
    std::snprintf(model, sizeof model, "%04d", options_.model);
    std::printf("vantor-radiosim: model %s on %s", model, slaveName_.c_str());
    if (!options_.link.empty()) std::printf(" via %s", options_.link.c_str());
    std::printf("\n");
    std::fflush(stdout);

    bool stop = false;
    while (!stop) {
        std::int64_t now = elapsedMs();
        if (vanishAfterWrites_ && !vanished_ && lastRepliesRead(now)) vanish();
        engine_.advance(now - lastAdvance_);
        lastAdvance_ = now;

        pollfd fds[2] = {{signals_, POLLIN, 0}, {master_, 0, 0}};
        std::int64_t wait = -1;
        if (!vanished_) {
            if (now >= restUntil_ && !vanishAfterWrites_) fds[1].events |= POLLIN;
            if (now < restUntil_) wait = restUntil_ - now;
            if (vanishAfterWrites_ && queue_.empty()) wait = kDrainCheckMs;
            if (!queue_.empty()) {
                const std::int64_t untilDue = queue_.front().due - now;
                if (untilDue <= 0) {
                    fds[1].events |= POLLOUT;  // due now: wait until the terminal takes it
                } else if (wait < 0 || untilDue < wait) {
                    wait = untilDue;
                }
            }
        }
        if (poll(fds, vanished_ ? 1 : 2, static_cast<int>(wait)) < 0) continue;  // EINTR
        now = elapsedMs();
        engine_.advance(now - lastAdvance_);
        lastAdvance_ = now;
        signalfd_siginfo info{};
        while (read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (info.ssi_signo == SIGUSR1) {
                if (!vanished_) vanish();
            } else if (info.ssi_signo == SIGUSR2) {
                if (vanished_) comeBack();
            } else {
                stop = true;
            }
        }
        if (stop || vanished_) continue;
        if (fds[1].revents & POLLIN) {
            serveInput(now);
        } else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            restUntil_ = now + kErrorBackoffMs;
        }
        writeDue(now);
        writeState();
    }
    closePort();
    return 0;
}

}  // namespace

int runServer(const ServerOptions& options) {
    PtyServer server(options);
    return server.run();
}

}  // namespace vantor::radiosim
