#pragma once
// The white page behind the panel's window on Windows: the text the panel
// printed, drawn with GDI into a bitmap as large as the desktop, so that the
// window is painted again from it and nothing is lost when it grows, and
// drawn again at the new size when the window's DPI changes.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

namespace vantor {

// The panel lays the window out in pixels of a 96-dpi screen.
inline constexpr int kPanelDpi = 96;
inline constexpr int kLargestWindow = 16384;

// Window text is 8-bit, one character a byte (Latin-1), which are the first
// 256 characters of Unicode.
std::wstring wideFromLatin1(std::string_view text);

// The screen's DPI; a window's own where Windows has one per window (10
// and later), else the screen's.
UINT systemDpi();
UINT dpiOf(HWND window);

class PrintedPage {
public:
    static constexpr int kDefaultPoints = 12;

    PrintedPage() = default;
    ~PrintedPage();
    PrintedPage(const PrintedPage&) = delete;
    PrintedPage& operator=(const PrintedPage&) = delete;

    // A blank page for the window, at least width x height pixels.
    bool open(HWND window, int width, int height);
    // The page goes with its window; the font and the place stay.
    void close();
    bool isOpen() const { return page_ != nullptr; }

    UINT dpi() const { return dpi_; }
    // The DPI of a window about to open, before anything is printed.
    void startAt(UINT dpi) { dpi_ = dpi; }
    // A length at 96 dpi as pixels at the page's DPI.
    int scaled(int value) const;

    void moveTo(int x, int y);
    void setFont(const std::string& face, int points, int weight);
    void print(std::string_view text);

    bool hasUnshown() const { return !::IsRectEmpty(&unshown_); }
    // Copies what was printed since the last time to the window.
    void present(HWND window);
    // Answers WM_PAINT.
    void paint(HWND window);
    // The window moved to a screen of another DPI (or the scale was changed):
    // everything printed is drawn again at the new size.
    void changeDpi(HWND window, UINT dpi);

private:
    using FontChoice = std::tuple<std::string, int, int>;  // face, points, weight
    // Text printed at one place in one font, kept so that printing the same
    // text there again draws nothing, and so that a change of DPI can draw it
    // again.
    struct Field {
        std::string text;
        int drawnX = 0;  // where it starts on the page, in pixels of the page's DPI
        RECT area{};
    };

    HFONT fontFor(const FontChoice& choice);
    HFONT currentFont();
    RECT draw(HFONT with, int left, int top, std::string_view text);
    void advance(int left, int width);
    void markUnshown(const RECT& area);
    void show(HDC shown, const RECT& area);
    void dropFonts();

    HDC page_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ originalBitmap_ = nullptr;
    SIZE size_{};
    RECT unshown_{};  // the part of the page printed since the last present
    std::map<std::tuple<int, int, FontChoice>, Field> fields_;  // by x, y and font
    UINT dpi_ = kPanelDpi;

    int x_ = 0, y_ = 0;  // at 96 dpi, as the panel gives them
    // Where the last print ended on the page: the next one goes on from
    // exactly there unless the panel moves.
    std::optional<int> drawX_;
    std::string face_;
    int points_ = kDefaultPoints;
    int weight_ = 0;
    HFONT font_ = nullptr;  // for face, points and weight at the DPI; made on demand
    bool fontResolved_ = false;
    std::map<FontChoice, HFONT> fonts_;  // at the DPI
};

}  // namespace vantor
