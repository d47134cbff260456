#include "platform/windows/printed_page.h"

#include <algorithm>

namespace vantor {

namespace {

constexpr int kLargestPoints = 400;
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kPaper = RGB(255, 255, 255);

bool overlaps(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != 0;
}

}  // namespace

std::wstring wideFromLatin1(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (unsigned char c : text) out += static_cast<wchar_t>(c);
    return out;
}

UINT systemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kPanelDpi;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kPanelDpi;
}

UINT dpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window && getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    return systemDpi();
}

PrintedPage::~PrintedPage() {
    close();
    dropFonts();
}

int PrintedPage::scaled(int value) const { return ::MulDiv(value, static_cast<int>(dpi_), kPanelDpi); }

// As large as the desktop, so the window can grow without anything printed
// being lost.
bool PrintedPage::open(HWND window, int width, int height) {
    const int pageWidth = std::clamp(std::max(width, ::GetSystemMetrics(SM_CXVIRTUALSCREEN)), 1, kLargestWindow);
    const int pageHeight = std::clamp(std::max(height, ::GetSystemMetrics(SM_CYVIRTUALSCREEN)), 1, kLargestWindow);
    const HDC shown = ::GetDC(window);
    page_ = ::CreateCompatibleDC(shown);
    bitmap_ = page_ ? ::CreateCompatibleBitmap(shown, pageWidth, pageHeight) : nullptr;
    ::ReleaseDC(window, shown);
    if (!bitmap_) return false;
    size_ = {pageWidth, pageHeight};
    originalBitmap_ = ::SelectObject(page_, bitmap_);
    ::PatBlt(page_, 0, 0, pageWidth, pageHeight, WHITENESS);
    ::SetBkMode(page_, OPAQUE);
    ::SetBkColor(page_, kPaper);
    ::SetTextColor(page_, kInk);
    return true;
}

void PrintedPage::close() {
    if (page_) {
        ::SelectObject(page_, originalBitmap_);
        ::DeleteDC(page_);
    }
    if (bitmap_) ::DeleteObject(bitmap_);
    page_ = nullptr;
    bitmap_ = nullptr;
    fields_.clear();
    unshown_ = {};
}

void PrintedPage::dropFonts() {
    for (const auto& [key, made] : fonts_) ::DeleteObject(made);
    fonts_.clear();
    fontResolved_ = false;
}

void PrintedPage::moveTo(int x, int y) {
    x_ = x;
    y_ = y;
    drawX_.reset();
}

void PrintedPage::setFont(const std::string& face, int points, int weight) {
    if (points <= 0) points = kDefaultPoints;
    points = std::min(points, kLargestPoints);
    if (fontResolved_ && face == face_ && points == points_ && weight == weight_) return;
    face_ = face;
    points_ = points;
    weight_ = weight;
    fontResolved_ = false;
}

void PrintedPage::markUnshown(const RECT& area) {
    if (::IsRectEmpty(&unshown_))
        unshown_ = area;
    else
        ::UnionRect(&unshown_, &unshown_, &area);
}

void PrintedPage::show(HDC shown, const RECT& area) {
    ::BitBlt(shown, area.left, area.top, area.right - area.left, area.bottom - area.top, page_, area.left, area.top,
             SRCCOPY);
}

void PrintedPage::present(HWND window) {
    if (!window || !page_ || ::IsRectEmpty(&unshown_)) return;
    const HDC shown = ::GetDC(window);
    show(shown, unshown_);
    ::ReleaseDC(window, shown);
    unshown_ = {};
}

void PrintedPage::paint(HWND window) {
    PAINTSTRUCT paintArea{};
    const HDC shown = ::BeginPaint(window, &paintArea);
    if (page_) show(shown, paintArea.rcPaint);
    ::EndPaint(window, &paintArea);
}

HFONT PrintedPage::fontFor(const FontChoice& choice) {
    if (auto it = fonts_.find(choice); it != fonts_.end()) return it->second;
    const auto& [chosenFace, chosenPoints, chosenWeight] = choice;
    // The panel's face name is a misspelling of Arial.
    const std::string name = chosenFace == "Ariel" || chosenFace.empty() ? "Arial" : chosenFace;
    const HFONT made = ::CreateFontW(-::MulDiv(chosenPoints, static_cast<int>(dpi_), 72), 0, 0, 0,
                                     std::clamp(chosenWeight, 0, 1000), FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_SWISS, wideFromLatin1(name).c_str());
    if (made) fonts_[choice] = made;
    return made;
}

HFONT PrintedPage::currentFont() {
    if (fontResolved_) return font_;
    fontResolved_ = true;
    return font_ = fontFor({face_, points_, weight_});
}

// Draws text at a place on the page and returns the area it covers.
RECT PrintedPage::draw(HFONT with, int left, int top, std::string_view text) {
    if (with) ::SelectObject(page_, with);
    const std::wstring wide = wideFromLatin1(text);
    SIZE size{};
    ::GetTextExtentPoint32W(page_, wide.c_str(), static_cast<int>(wide.size()), &size);
    ::TextOutW(page_, left, top, wide.c_str(), static_cast<int>(wide.size()));
    return {left, top, left + size.cx, top + size.cy};
}

void PrintedPage::print(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    if (text.empty() || !page_) return;
    const HFONT with = currentFont();
    const auto place = std::make_tuple(x_, y_, FontChoice{face_, points_, weight_});
    const int left = drawX_.value_or(scaled(x_));
    // The panel reprints its fields on every reply from the radio; text that
    // is already there is not drawn again.
    if (auto it = fields_.find(place); it != fields_.end() && it->second.text == text) {
        advance(it->second.area.left, it->second.area.right - it->second.area.left);
        return;
    }
    const RECT drawn = draw(with, left, scaled(y_), text);
    // Whatever this covered is no longer on the page as it was printed.
    std::erase_if(fields_, [&](const auto& entry) { return overlaps(entry.second.area, drawn); });
    fields_[place] = {std::string(text), left, drawn};
    markUnshown(drawn);
    advance(left, drawn.right - drawn.left);
}

void PrintedPage::advance(int left, int width) {
    drawX_ = left + width;
    x_ += ::MulDiv(width, kPanelDpi, static_cast<int>(dpi_));
}

void PrintedPage::changeDpi(HWND window, UINT dpi) {
    if (dpi == 0 || dpi == dpi_) return;
    const UINT oldDpi = dpi_;
    dpi_ = dpi;
    dropFonts();
    if (drawX_) drawX_ = ::MulDiv(*drawX_, static_cast<int>(dpi_), static_cast<int>(oldDpi));
    if (!page_) return;
    ::PatBlt(page_, 0, 0, size_.cx, size_.cy, WHITENESS);
    for (auto& [place, field] : fields_) {
        const auto& [fieldX, fieldY, choice] = place;
        field.drawnX = ::MulDiv(field.drawnX, static_cast<int>(dpi_), static_cast<int>(oldDpi));
        field.area = draw(fontFor(choice), field.drawnX, scaled(fieldY), field.text);
    }
    unshown_ = {0, 0, size_.cx, size_.cy};
    if (window) ::InvalidateRect(window, nullptr, FALSE);
}

}  // namespace vantor
