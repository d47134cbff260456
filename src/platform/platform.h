#pragma once
// The services the panel needs from the machine it runs on. Each has a Linux
// implementation (platform/linux/), a Windows one (platform/windows/) and a
// fake for the tests (platform/fake/). The interfaces carry no SDL, POSIX or
// Win32 types, so the platforms stand side by side without touching the
// panel's code.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Window messages delivered to handleWindowEvent, numbered as on the platform
// the design comes from.
enum WindowMessage : int {
    kKeyDown = 256,
    kKeyUp = 257,
    kTimerTick = 275,
    kCloseRequest = 32770,
    // Something came in on a serial port or a socket (parameter 0): a reply,
    // a new connection, data, or a peer that went away. At most one a batch.
    kInputReady = 32771,
};

struct WindowEvent {
    int message = 0;
    int parameter = 0;  // the virtual-key code for key messages
};

// Serial ports are addressed by number (1..256). Every operation on a number
// outside that range, or on a port that is not open, does nothing and returns 0.
class SerialPorts {
public:
    virtual ~SerialPorts() = default;
    // Closes the port if open, then opens it exclusively at the given speed.
    virtual bool open(int port, int baud) = 0;
    virtual void makeReadsImmediate(int port) = 0;
    // stopCode 1 gives one stop bit, anything else two; parity 0 none, 1 odd, 2 even.
    virtual void setFraming(int port, int dataBits, int parity, int stopCode) = 0;
    virtual int bytesWaiting(int port) = 0;
    // Returns at most maxBytes of what is waiting; never waits.
    virtual std::string read(int port, int maxBytes) = 0;
    virtual void write(int port, std::string_view bytes) = 0;
    virtual void close(int port) = 0;
    // The device behind an open port has gone (unplugged, switched off, hung
    // up): nothing passes any more until the port is closed and opened again,
    // which then tries the same device. False for a port that is not open.
    virtual bool isLost(int port) = 0;
    // Whether input at an open port wakes the panel's wait (kInputReady); on
    // when the port opens. Off, the panel finds the input at its next tick.
    virtual void wakeOnInput(int port, bool wake) = 0;
};

// TCP for programs that share the radio with the panel. Listening sockets and
// connections are numbered by the service from 1; 0 means none or failure.
// Nothing here waits for the network: the panel learns of new input from the
// screen's kInputReady.
class Network {
public:
    virtual ~Network() = default;
    // Listens on the port of the address ("127.0.0.1", "::1", "localhost";
    // "" for every address). Port 0 takes a free port; localPort tells which.
    // Returns 0 when that fails, and lastError() says why.
    virtual int listen(const std::string& address, int port) = 0;
    virtual std::string lastError() const = 0;
    virtual int localPort(int listener) = 0;
    // A connection that is waiting on the listener, or 0.
    virtual int accept(int listener) = 0;
    // At most maxBytes of what the peer sent; never waits.
    virtual std::string read(int connection, int maxBytes) = 0;
    // Nothing more will come from the peer (it hung up, ended its sending,
    // reset, or took nothing for too long) and everything it sent has been
    // read; also true for numbers not open.
    virtual bool isClosed(int connection) = 0;
    // The peer can still be written to: false once it reset or a write to it
    // failed. One that only ended its sending still reads its answers.
    virtual bool isWritable(int connection) = 0;
    // A peer that takes nothing for a while is closed rather than waited for.
    virtual void write(int connection, std::string_view bytes) = 0;
    virtual void close(int id) = 0;
};

// Plays speech clips. The path is the clip path as the panel forms it
// (prefix + clip name, for example "wave\point"); the speaker finds the file.
// A path that names no playable file returns at once, silently.
class Speaker {
public:
    virtual ~Speaker() = default;
    // Returns when the clip has been heard.
    virtual void play(const std::string& clipPath) = 0;
    // Starts the clip and returns at once; the next playback cuts it short.
    virtual void playInBackground(const std::string& clipPath) = 0;
    // Work that play() does again and again while it waits for a clip, at
    // least every few milliseconds: the panel keeps serving the programs that
    // share the radio while it speaks. The work must not play anything.
    virtual void setWorkWhileWaiting(std::function<void()> work) = 0;
    // Speech goes to the radio's own sound card because the system's default
    // output is that, not because the operator chose it: the clips then go
    // into the transmitter's audio, and the operator may hear nothing.
    virtual bool speechGoesToRadio() = 0;
};

// The service's own range for a rate or a volume, and the step one key takes.
struct VoiceRange {
    int lowest = 0;
    int highest = 0;
    int step = 1;
};

// A stalled service must not stop the panel: an utterance may take this long,
// and this much more for each word, before the wait for its end gives up. It
// is generous even at a service's slowest rate: a give-up hands the rest of
// the run to the clips.
inline constexpr long long kVoiceGiveUpMs = 5000;
inline constexpr long long kVoiceGiveUpPerWordMs = 1200;

// Speaks whole sentences through the machine's speech service, in the voice,
// language and rate the operator chose there. Open it before the first use.
class Voice {
public:
    virtual ~Voice() = default;
    // Connects to the service; false, with the reason in why, when it is
    // missing or will not speak.
    virtual bool open(std::string& why) = 0;
    // Returns when the words have been heard. False, with the reason in why,
    // when the service failed or never said it had finished: the words may
    // not have been heard.
    virtual bool speak(const std::string& words, std::string& why) = 0;
    // Starts the words and returns at once; the next speak cuts them short.
    virtual bool speakInBackground(const std::string& words, std::string& why) = 0;
    // As for the speaker: work done again and again while speak waits.
    virtual void setWorkWhileWaiting(std::function<void()> work) = 0;
    virtual VoiceRange rateRange() const = 0;
    virtual VoiceRange volumeRange() const = 0;
    // What the voice speaks at now: the service's own setting until changed.
    virtual int rate() = 0;
    virtual void setRate(int rate) = 0;
    virtual void setVolume(int volume) = 0;
};

// A braille display: each text stays on it until the next.
class BrailleDisplay {
public:
    virtual ~BrailleDisplay() = default;
    // False, with the reason in why, when there is no display to write to.
    virtual bool open(std::string& why) = 0;
    virtual void show(const std::string& text) = 0;
};

// The one main window: text at pixel positions, fonts, events and the timer.
// Printed text reaches the window when it is presented.
class Screen {
public:
    virtual ~Screen() = default;
    virtual bool openWindow(int x, int y, int width, int height, const std::string& title) = 0;
    virtual void closeWindow() = 0;
    virtual void moveTo(int x, int y) = 0;
    // Draws on an opaque background from the current position and leaves the
    // position after the last character.
    virtual void print(std::string_view text) = 0;
    // Shows in the window what was printed since the last present. waitEvents
    // presents before it sleeps; the panel presents before it speaks, so the
    // window already shows what the operator is about to hear.
    virtual void present() = 0;
    virtual void setFont(const std::string& face, int points, int weight) = 0;
    virtual void startTimer(int id, int periodMs) = 0;
    virtual void stopTimer(int id) = 0;
    // Blocks until at least one event is queued and returns all queued events.
    virtual std::vector<WindowEvent> waitEvents() = 0;
    // While on, the machine does not go to sleep by itself: the panel has the
    // transmitter keyed.
    virtual void keepAwake(bool on) = 0;
    // Called when the machine is about to sleep, before it does and before
    // the screen takes another message, so the carrier goes down while the
    // port still works. It runs inside waitEvents; an empty one does nothing.
    virtual void setSuspendHandler(std::function<void()> handler) = 0;
};

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
    // Milliseconds from an arbitrary start that never go backwards, whatever
    // happens to the time of day: for time limits.
    virtual long long monotonicMs() = 0;
};

// The bundle the panel holds a reference to.
struct Platform {
    SerialPorts& serial;
    Speaker& speaker;
    Screen& screen;
    Clock& clock;
    Network& network;
    // Set when the operator speaks through the speech service, or reads braille.
    Voice* voice = nullptr;
    BrailleDisplay* braille = nullptr;
};

}  // namespace vantor
