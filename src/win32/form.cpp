#include "win32/form.h"

#include <algorithm>
#include <commctrl.h>

namespace vantor::win32 {

std::function<void(Form&)> Form::scriptAnswer;

namespace {

constexpr wchar_t formClass[] = L"VantorForm";
constexpr UINT scriptMessage = WM_APP + 40;
constexpr int firstControlId = 100; // clear of IDOK and IDCANCEL, which Enter and Esc send
constexpr int firstButtonId = 1000;
constexpr int formMargin = 11;
constexpr int formGap = 7;
constexpr int lineHeight = 23;

std::vector<HWND>& modelessForms() {
    static std::vector<HWND> forms;
    return forms;
}

int textWidth(HWND window, HFONT font) {
    const std::wstring text = widen(windowText(window));
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

} // namespace

Form::Form(HWND owner, const std::string& title, int fieldWidth)
    : owner_(owner), fieldWidth_(fieldWidth) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Form::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = formClass;
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    window_ =
        CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, formClass, widen(title).c_str(),
                        WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 300, 200,
                        owner, nullptr, GetModuleHandleW(nullptr), this);
}

Form::~Form() {
    if (window_ != nullptr) {
        std::erase(modelessForms(), window_);
        DestroyWindow(window_);
    }
    if (bold_ != nullptr) {
        DeleteObject(bold_);
    }
}

HWND Form::add(const wchar_t* kind, const std::string& text, DWORD style, int height,
               const std::string& label, bool fullWidth) {
    Row row;
    if (!label.empty()) {
        row.label = CreateWindowExW(0, L"STATIC", widen(label).c_str(), WS_CHILD | WS_VISIBLE, 0, 0,
                                    10, 10, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(row.label, WM_SETFONT, reinterpret_cast<WPARAM>(messageFontFor(window_)),
                     TRUE);
    }
    const DWORD exStyle =
        kind == std::wstring_view(L"EDIT") || kind == std::wstring_view(WC_LISTBOXW)
            ? WS_EX_CLIENTEDGE
            : 0;
    ++setting_;
    row.control = CreateWindowExW(
        exStyle, kind, widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstControlId + rows_.size())),
        GetModuleHandleW(nullptr), nullptr);
    --setting_;
    SendMessageW(row.control, WM_SETFONT, reinterpret_cast<WPARAM>(messageFontFor(window_)), TRUE);
    row.height = height;
    (void)fullWidth;
    rows_.push_back(row);
    return row.control;
}

HWND Form::edit(const std::string& label, const std::string& text) {
    return add(L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL, lineHeight, label, false);
}

HWND Form::number(const std::string& label, std::int32_t value, std::int32_t least,
                  std::int32_t most) {
    HWND field = edit(label, std::to_string(value));
    ++setting_;
    HWND arrows = CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                  WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                                      UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                  0, 0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(least), static_cast<LPARAM>(most));
    SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
    SendMessageW(arrows, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
    --setting_;
    rows_.back().arrows = arrows;
    return field;
}

HWND Form::combo(const std::string& label, const std::vector<std::string>& items, int selected) {
    HWND box = add(WC_COMBOBOXW, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 240, label, false);
    for (const std::string& item : items) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
    }
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    rows_.back().height = lineHeight;
    return box;
}

HWND Form::check(const std::string& text, bool checked) {
    HWND box = add(L"BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, lineHeight - 3, "", true);
    SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return box;
}

HWND Form::radio(const std::string& text, bool first) {
    return add(L"BUTTON", text, (first ? WS_GROUP | WS_TABSTOP : 0) | BS_AUTORADIOBUTTON,
               lineHeight - 3, "", true);
}

HWND Form::text(const std::string& text, int lines, bool bold) {
    HWND label = add(L"STATIC", text, SS_LEFT | SS_NOPREFIX, 16 * lines + 2, "", true);
    if (bold) {
        if (bold_ == nullptr) {
            LOGFONTW font{};
            GetObjectW(messageFontFor(window_), sizeof(font), &font);
            font.lfWeight = FW_BOLD;
            bold_ = CreateFontIndirectW(&font);
        }
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(bold_), TRUE);
    }
    return label;
}

HWND Form::textBox(const std::string& text, int lines, bool fixedPitch) {
    HWND box = add(L"EDIT", text,
                   WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                       ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                   16 * lines + 6, "", true);
    if (fixedPitch) {
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)),
                     TRUE);
    }
    return box;
}

HWND Form::list(int lines) {
    return add(WC_LISTBOXW, "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
               16 * lines + 6, "", true);
}

HWND Form::control(const wchar_t* kind, DWORD style, int height) {
    return add(kind, "", style, height, "", true);
}

void Form::buttons(std::vector<std::pair<std::string, int>> buttons, int cancelResult) {
    cancelResult_ = cancelResult;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        HWND b = CreateWindowExW(
            0, L"BUTTON", widen(buttons[i].first).c_str(),
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, 0,
            10, 10, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstButtonId + static_cast<int>(i))),
            GetModuleHandleW(nullptr), nullptr);
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(messageFontFor(window_)), TRUE);
        buttons_.emplace_back(b, buttons[i].second);
    }
}

HWND Form::button(int result) const {
    for (const auto& [b, r] : buttons_) {
        if (r == result) {
            return b;
        }
    }
    return nullptr;
}

void Form::layOut() {
    // Laid out at 96 DPI, scaled to the form's.
    const int dpi = dpiOf(window_);
    const auto px = [dpi](int pixels) { return scaled(pixels, dpi); };
    const int margin = px(formMargin);
    const int gap = px(formGap);
    HFONT font = messageFontFor(window_);
    int labelWidth = 0;
    for (const Row& row : rows_) {
        if (row.label != nullptr) {
            labelWidth = std::max(labelWidth, textWidth(row.label, font) + px(4));
        }
    }
    int width = labelWidth + (labelWidth > 0 ? gap : 0) + px(fieldWidth_);
    for (const Row& row : rows_) { // a box or a line of text wider than the fields widens it
        if (row.label == nullptr && row.height < 3 * lineHeight) {
            width = std::max(width, textWidth(row.control, font) + px(24));
        }
    }
    width = std::min(width, px(900));
    int y = margin;
    for (const Row& row : rows_) {
        const int height = px(row.height);
        if (row.label != nullptr) {
            MoveWindow(row.label, margin, y + px(3), labelWidth, height - px(4), FALSE);
            MoveWindow(row.control, margin + labelWidth + gap, y, width - labelWidth - gap, height,
                       FALSE);
            if (row.arrows != nullptr) { // set against the field again, where it now stands
                SendMessageW(row.arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(row.control), 0);
            }
        } else {
            MoveWindow(row.control, margin, y, width, height, FALSE);
        }
        y += height + px(5);
    }
    // The buttons on the right, side by side, each as wide as its text needs.
    int buttonsWidth = 0;
    std::vector<int> widths;
    for (const auto& [b, r] : buttons_) {
        widths.push_back(std::max(px(80), textWidth(b, font) + px(24)));
        buttonsWidth += widths.back() + gap;
    }
    width = std::max(width, buttonsWidth - gap);
    int x = margin + width - (buttonsWidth - gap);
    y += px(4);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        MoveWindow(buttons_[i].first, x, y, widths[i], px(25), FALSE);
        x += widths[i] + gap;
    }
    y += px(25) + margin;
    RECT frame{0, 0, width + 2 * margin, y};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    const int w = frame.right - frame.left;
    const int h = frame.bottom - frame.top;
    // Centred on the owner, inside the screen.
    RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner_ != nullptr && IsWindowVisible(owner_)) {
        GetWindowRect(owner_, &over);
    }
    const int left = std::max<int>(0, over.left + (over.right - over.left - w) / 2);
    const int top = std::max<int>(0, over.top + (over.bottom - over.top - h) / 2);
    SetWindowPos(window_, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::set(HWND control, const std::string& text) {
    ++setting_;
    setWindowText(control, text);
    --setting_;
}

void Form::setWarning(HWND label, bool warning) {
    if (warning ? warnings_.insert(label).second : warnings_.erase(label) != 0) {
        InvalidateRect(label, nullptr, TRUE);
    }
}

void Form::press(int result) {
    if (HWND b = button(result)) {
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED),
                     reinterpret_cast<LPARAM>(b));
    }
}

void Form::pressDefault() {
    if (!buttons_.empty()) {
        press(buttons_.front().second);
    }
}

void Form::end(int result) {
    result_ = result;
    done_ = true;
    if (modeless_) {
        ShowWindow(window_, SW_HIDE);
    }
}

int Form::run() {
    layOut();
    const bool ownerEnabled = owner_ != nullptr && IsWindowEnabled(owner_);
    if (ownerEnabled) {
        EnableWindow(owner_, FALSE);
    }
    ShowWindow(window_, SW_SHOW);
    SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
    if (scriptAnswer) {
        PostMessageW(window_, scriptMessage, 0, 0);
    }
    MSG message;
    while (!done_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam)); // for the loop that waits for it
            result_ = cancelResult_;
            break;
        }
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (ownerEnabled) {
        EnableWindow(owner_, TRUE);
    }
    ShowWindow(window_, SW_HIDE);
    if (owner_ != nullptr) {
        SetActiveWindow(owner_);
    }
    return result_;
}

void Form::show() {
    if (!modeless_) {
        modeless_ = true;
        layOut();
        modelessForms().push_back(window_);
    }
    done_ = false;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
    if (scriptAnswer) {
        PostMessageW(window_, scriptMessage, 0, 0);
    }
}

bool Form::dialogMessage(MSG& message) {
    for (HWND form : modelessForms()) {
        if (IsWindowVisible(form) && IsDialogMessageW(form, &message)) {
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK Form::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        reinterpret_cast<Form*>(create->lpCreateParams)->window_ = window;
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcW(window, message, w, l);
    }
    return form->handle(message, w, l);
}

LRESULT Form::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case DM_GETDEFID:
        return buttons_.empty() ? 0 : MAKELRESULT(firstButtonId, DC_HASDEFID);
    case scriptMessage:
        if (scriptAnswer && asks) {
            scriptAnswer(*this);
        }
        return 0;
    case WM_CLOSE:
        if (dismissed) {
            dismissed();
        } else {
            end(cancelResult_);
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        if (warnings_.count(reinterpret_cast<HWND>(l)) != 0) {
            const auto dc = reinterpret_cast<HDC>(w);
            SetTextColor(dc, RGB(0xb0, 0, 0));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_COMMAND: {
        const int id = LOWORD(w);
        const int code = HIWORD(w);
        if (id == IDCANCEL) { // Esc
            SendMessageW(window_, WM_CLOSE, 0, 0);
            return 0;
        }
        if (id >= firstButtonId && id < firstButtonId + static_cast<int>(buttons_.size())) {
            if (code == BN_CLICKED) {
                const int result = buttons_[static_cast<std::size_t>(id - firstButtonId)].second;
                if (!pressed || pressed(result)) {
                    end(result);
                }
            }
            return 0;
        }
        if (setting_ == 0 && changed && l != 0) {
            changed(reinterpret_cast<HWND>(l), code);
        }
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

} // namespace vantor::win32
