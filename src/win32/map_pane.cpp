#include "win32/map_pane.h"

#include "app/command_table.h"
#include "app/commands.h"
#include "app/map_state.h"
#include "app/menu_model.h"
#include "flows/list_flow.h"
#include "map/map_overlay.h"

#include <algorithm>
#include <cmath>
#include <windowsx.h>

namespace vantor::win32 {

namespace {

constexpr wchar_t mapClass[] = L"VantorMap";
constexpr UINT setTileItem = 1;

} // namespace

MapPane::MapPane(HWND parent, ApplicationState& state) : state_(state) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &MapPane::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
        wc.lpszClassName = mapClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    window_ = CreateWindowExW(0, mapClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 10,
                              10, parent, nullptr, GetModuleHandleW(nullptr), this);
}

MapPane::~MapPane() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void MapPane::terrainChanged(bool fit) {
    tiles_.clear();
    classes_ = loadTileClassifier(state_.folders.startDirectory);
    if (fit) {
        fitWhole();
    }
    update();
}

void MapPane::setMode(MapMode mode) {
    if (mode != mode_) {
        mode_ = mode;
        tiles_.clear();
        update();
    }
}

void MapPane::fitWhole() {
    view_.fitWhole(state_.terrain.matrix.width, state_.terrain.matrix.height);
    update();
}

void MapPane::setView(double pixelsPerPost, double centreX, double centreY) {
    view_.setView(pixelsPerPost, centreX, centreY);
    update();
}

void MapPane::setFrozen(bool frozen) {
    frozen_ = frozen;
    if (!frozen) {
        update();
    }
}

void MapPane::setLegendShown(bool shown) {
    legendShown_ = shown;
    update();
}

void MapPane::setSelectedFinding(int finding) {
    selectedFinding_ = finding;
    update();
}

void MapPane::setChanges(std::vector<ObjectChangeRow> objectives) {
    changes_ = std::move(objectives);
    update();
}

void MapPane::setSelectedChange(std::optional<std::pair<std::int32_t, std::int32_t>> post) {
    selectedChange_ = post;
    update();
}

void MapPane::update() {
    InvalidateRect(window_, nullptr, FALSE);
}

std::vector<MapMarker> MapPane::markers() const {
    return mapMarkers(state_);
}

void MapPane::showHighlighted() {
    if (const auto centre = highlightedCentre(markers())) {
        setView(view_.pixelsPerPost, centre->first, centre->second);
    }
    update();
}

// The marks grow with the screen's dots per inch, as the text does.
double MapPane::markScale() const {
    return dpiOf(window_) / 96.0;
}

MapSelection MapPane::selection() const {
    return {selectedFinding_, selectedChange_};
}

LegendLayout MapPane::currentLegend() const {
    return legendLayout(legendCorner_, view_.width, view_.height,
                        mapLegendEntries(state_, mode_).size(), legendFolded_,
                        legendKeepClear(state_, view_.transform(), selection()),
                        scaled(18, dpiOf(window_)), scaled(150, dpiOf(window_)), markScale());
}

void MapPane::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    draw(dc);
    EndPaint(window_, &ps);
}

// The map as the pane shows it, into a device context: the screen's or a picture's.
void MapPane::draw(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    const TerrainMatrix& m = state_.terrain.matrix;
    if (m.empty() || frozen_) {
        if (picture_.width > 0 && frozen_) { // the last picture stands while the terrain changes
            BITMAPINFO info = topDownBitmap(picture_.width, picture_.height);
            SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture_.width),
                              static_cast<DWORD>(picture_.height), 0, 0, 0,
                              static_cast<UINT>(picture_.height), picture_.pixels.data(), &info,
                              DIB_RGB_COLORS);
        } else {
            HBRUSH background = CreateSolidBrush(RGB(48, 48, 52));
            FillRect(dc, &client, background);
            DeleteObject(background);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(200, 200, 200));
            SelectObject(dc, messageFontFor(window_));
            DrawTextW(dc,
                      L"Open a theater's terrain (File > Open L2 Terrain file ...) to see its "
                      L"map here.",
                      -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        return;
    }
    MapOverlays overlays = mapOverlays(state_, selection(), changes_, true);
    overlays.scale = markScale();
    composeMapView(view_, m, classes_, mode_, tiles_, overlays, picture_);
    const std::vector<LegendEntry> entries = mapLegendEntries(state_, mode_);
    LegendLayout legend;
    if (legendShown_) {
        legend = currentLegend();
        drawLegendBox(picture_, legend, entries, legendFolded_);
    }
    BITMAPINFO info = topDownBitmap(picture_.width, picture_.height);
    SetDIBitsToDevice(
        dc, 0, 0, static_cast<DWORD>(picture_.width), static_cast<DWORD>(picture_.height), 0, 0, 0,
        static_cast<UINT>(picture_.height), picture_.pixels.data(), &info, DIB_RGB_COLORS);
    if (legendShown_) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        SelectObject(dc, messageFontFor(window_));
        for (std::size_t i = 0; i < legend.textAt.size(); ++i) {
            const std::wstring text =
                widen(i == 0 ? std::string(legendTitle(legendFolded_)) : entries[i - 1].label);
            RECT r{legend.textAt[i].first, legend.textAt[i].second, legend.left + legend.width - 4,
                   legend.textAt[i].second + legend.line};
            DrawTextW(dc, text.c_str(), -1, &r,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        }
    }
}

// Drawn off the screen, so that nothing over the pane (a window, the screen's edge) is in it.
MapImage MapPane::snapshot() {
    RECT client;
    GetClientRect(window_, &client);
    MapImage image;
    if (client.right <= 0 || client.bottom <= 0) {
        return image;
    }
    BITMAPINFO info = topDownBitmap(client.right, client.bottom);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return image;
    }
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    draw(memory);
    GdiFlush();
    image.resize(client.right, client.bottom);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = pixels[i] | 0xff000000u; // GDI's text leaves no alpha
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return image;
}

LRESULT CALLBACK MapPane::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        reinterpret_cast<MapPane*>(create->lpCreateParams)->window_ = window;
    }
    auto* pane = reinterpret_cast<MapPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return pane == nullptr ? DefWindowProcW(window, message, w, l) : pane->handle(message, w, l);
}

LRESULT MapPane::handle(UINT message, WPARAM w, LPARAM l) {
    const TerrainMatrix& m = state_.terrain.matrix;
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        view_.resize(std::max(1, static_cast<int>(LOWORD(l))),
                     std::max(1, static_cast<int>(HIWORD(l))), m.width, m.height);
        update();
        return 0;
    case WM_MOUSEWHEEL: {
        POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        ScreenToClient(window_, &at);
        view_.zoomAbout(GET_WHEEL_DELTA_WPARAM(w) / static_cast<double>(WHEEL_DELTA), at.x, at.y);
        update();
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetFocus(window_);
        SetCapture(window_);
        pressed_ = POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        last_ = *pressed_;
        dragged_ = false;
        // The legend is dragged by any part of it, and folds by a click on its title.
        const LegendLayout legend = currentLegend();
        onLegend_ = legendShown_ && pressed_->x >= legend.left &&
                    pressed_->x < legend.left + legend.width && pressed_->y >= legend.top &&
                    pressed_->y < legend.top + legend.height;
        onLegendTitle_ = onLegend_ && pressed_->y < legend.top + legend.line + 4;
        return 0;
    }
    case WM_MOUSEMOVE: {
        const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (pressed_ && (w & MK_LBUTTON) != 0) {
            if (std::abs(at.x - pressed_->x) + std::abs(at.y - pressed_->y) > 3) {
                dragged_ = true;
            }
            if (dragged_ && !onLegend_) {
                view_.panBy(at.x - last_.x, at.y - last_.y);
                update();
            }
            last_ = at;
        }
        if (!tracking_) { // told when the pointer leaves, to stop saying the post
            TRACKMOUSEEVENT leave{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window_, 0};
            tracking_ = TrackMouseEvent(&leave) != FALSE;
        }
        if (hovered && !m.empty()) {
            const MapTransform t = view_.transform();
            hovered(postStatusText(state_.theater, m, t.postX(at.x), t.postY(at.y)));
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        ReleaseCapture();
        if (!pressed_) {
            return 0;
        }
        const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (onLegend_) {
            if (dragged_) { // dropped: it goes to the nearest corner
                legendCorner_ = nearestCorner(at.x, at.y, view_.width, view_.height);
            } else if (onLegendTitle_) {
                legendFolded_ = !legendFolded_;
            }
            update();
        } else if (!dragged_ && markerClicked) {
            const std::int64_t row =
                markerAt(markers(), view_.transform(), at.x, at.y, 8 * markScale());
            if (row >= 0) {
                markerClicked(markers()[static_cast<std::size_t>(row)].row);
            }
        }
        pressed_.reset();
        return 0;
    }
    case WM_MENUSELECT: // the right-click menu's item says what it does, as the menus' do
        if (LOWORD(w) == setTileItem && (HIWORD(w) & MF_POPUP) == 0 && hovered) {
            hovered(commandStatusText(cmd::SetTile));
        }
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (hovered) {
            hovered("");
        }
        return 0;
    case WM_RBUTTONUP: {
        if (m.empty() || !setTileAt) {
            return 0;
        }
        const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        const MapTransform t = view_.transform();
        const std::int64_t x = t.postX(at.x);
        const std::int64_t y = t.postY(at.y);
        if (!m.contains(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y))) {
            return 0;
        }
        HMENU menu = CreatePopupMenu();
        const std::string label =
            "Set Tile at " + std::to_string(x) + "," + std::to_string(y) + "...";
        AppendMenuW(menu, MF_STRING, setTileItem, widen(label).c_str());
        POINT screen = at;
        ClientToScreen(window_, &screen);
        const UINT chosen = static_cast<UINT>(TrackPopupMenu(
            menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr));
        DestroyMenu(menu);
        if (chosen == setTileItem) {
            setTileAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
        }
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

} // namespace vantor::win32
