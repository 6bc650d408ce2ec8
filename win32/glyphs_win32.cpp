#include "win32/glyphs_win32.h"

namespace zb {

namespace {

enum class Glyph { Folder, Help, Support, Reset, Stop, Add, Remove, Desktop };

Glyph glyphOf(Ctl c) {
    switch (c) {
        case Ctl::btnHelp: return Glyph::Help;
        case Ctl::btnSupport: return Glyph::Support;
        case Ctl::btnResetRed: return Glyph::Reset;
        case Ctl::btnStopTimer: return Glyph::Stop;
        case Ctl::btnbtnAddIconInStartup: return Glyph::Add;
        case Ctl::btnDeleteIconInStartup: return Glyph::Remove;
        case Ctl::btnAddDesktop: return Glyph::Desktop;
        default: return Glyph::Folder;
    }
}

// A GDI object selected into a DC for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ obj) : dc_(dc), obj_(obj), old_(SelectObject(dc, obj)) {}
    ~Selected() {
        SelectObject(dc_, old_);
        DeleteObject(obj_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ obj_, old_;
};

void polygon(HDC dc, COLORREF fill, std::initializer_list<POINT> pts) {
    Selected brush(dc, CreateSolidBrush(fill));
    Selected pen(dc, CreatePen(PS_SOLID, 1, RGB(64, 64, 64)));
    Polygon(dc, pts.begin(), static_cast<int>(pts.size()));
}

void letter(HDC dc, const RECT& r, const wchar_t* s, COLORREF color) {
    Selected font(dc, CreateFontW(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT box = r;
    DrawTextW(dc, s, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

void drawGlyphButton(const DRAWITEMSTRUCT& di, Ctl button) {
    const HDC dc = di.hDC;
    RECT r = di.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (di.itemState & ODS_SELECTED) != 0;
    if (pressed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    const int dx = r.left + (pressed ? 3 : 2), dy = r.top + (pressed ? 3 : 2);
    auto P = [&](int x, int y) { return POINT{dx + x, dy + y}; };
    switch (glyphOf(button)) {
        case Glyph::Folder:
            polygon(dc, RGB(240, 200, 80), {P(1, 4), P(6, 4), P(8, 6), P(15, 6), P(15, 15), P(1, 15)});
            polygon(dc, RGB(255, 225, 120), {P(1, 8), P(15, 8), P(15, 15), P(1, 15)});
            break;
        case Glyph::Help:
            polygon(dc, RGB(40, 90, 200), {P(4, 1), P(12, 1), P(16, 5), P(16, 12), P(12, 16), P(4, 16), P(0, 12), P(0, 5)});
            letter(dc, r, L"?", RGB(255, 255, 255));
            break;
        case Glyph::Support:
            polygon(dc, RGB(60, 160, 60), {P(4, 1), P(12, 1), P(16, 5), P(16, 12), P(12, 16), P(4, 16), P(0, 12), P(0, 5)});
            letter(dc, r, L"F", RGB(255, 255, 255));
            break;
        case Glyph::Reset:
            letter(dc, r, L"1", RGB(40, 90, 200));
            break;
        case Glyph::Stop:
            polygon(dc, RGB(200, 40, 40), {P(3, 3), P(14, 3), P(14, 14), P(3, 14)});
            break;
        case Glyph::Add:
            polygon(dc, RGB(60, 160, 60), {P(6, 1), P(10, 1), P(10, 6), P(15, 6), P(15, 10), P(10, 10), P(10, 15),
                                           P(6, 15), P(6, 10), P(1, 10), P(1, 6), P(6, 6)});
            break;
        case Glyph::Remove:
            polygon(dc, RGB(200, 40, 40), {P(1, 6), P(15, 6), P(15, 10), P(1, 10)});
            break;
        case Glyph::Desktop:
            polygon(dc, RGB(90, 140, 220), {P(1, 2), P(15, 2), P(15, 11), P(1, 11)});
            polygon(dc, RGB(128, 128, 128), {P(6, 11), P(10, 11), P(11, 15), P(5, 15)});
            break;
    }
    if (di.itemState & ODS_FOCUS) {
        RECT f = r;
        InflateRect(&f, -2, -2);
        DrawFocusRect(dc, &f);
    }
}

}  // namespace zb
