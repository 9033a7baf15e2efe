#pragma once

#include "win32/wide.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vantor::win32 {

// A dialog laid out at run time, a row under the other: a label and its field, a box to tick,
// a line of text; the buttons along the bottom, the first of them the default (Enter), the one
// whose result is cancelResult taken for Esc and the close box. Modal (run) or modeless (show).
class Form {
  public:
    Form(HWND owner, const std::string& title, int fieldWidth = 220);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND edit(const std::string& label, const std::string& text);
    // A field of a whole number with arrows that step it within [least, most].
    HWND number(const std::string& label, std::int32_t value, std::int32_t least,
                std::int32_t most);
    HWND combo(const std::string& label, const std::vector<std::string>& items, int selected);
    HWND check(const std::string& text, bool checked);
    HWND radio(const std::string& text, bool first);
    // A line (or several) of text; bold for a heading.
    HWND text(const std::string& text, int lines = 1, bool bold = false);
    // A box of read-only text that scrolls, lines high; fixed-width letters when asked.
    HWND textBox(const std::string& text, int lines, bool fixedPitch = false);
    HWND list(int lines);
    // Any other control, the whole width, height pixels high.
    HWND control(const wchar_t* kind, DWORD style, int height);
    void buttons(std::vector<std::pair<std::string, int>> buttons, int cancelResult);

    // A control changed (EN_CHANGE, BN_CLICKED, CBN_SELCHANGE, LBN_SELCHANGE), not counting the
    // changes made through set().
    std::function<void(HWND control, int code)> changed;
    // A button: true closes the form with its result.
    std::function<bool(int result)> pressed;
    // The form is about to close by Esc or the close box (modeless forms).
    std::function<void()> dismissed;

    int run();   // modal: the result of the button that closed it
    void show(); // modeless: the caller keeps the form and destroys it
    void end(int result);
    // A control's text set without it counting as a change.
    void set(HWND control, const std::string& text);
    // A line of text's colour: said in red, or as the system writes text.
    void setWarning(HWND label, bool warning);
    // Presses a button as a click does; the default one (the first) as Enter does.
    void press(int result);
    void pressDefault();
    bool ended() const { return done_; }
    HWND window() const { return window_; }
    HWND button(int result) const;

    // A scripted run sees every form once it is shown (a picture of it) and answers it; a
    // form that is no question (the progress window) is left to itself.
    static std::function<void(Form&)> scriptAnswer;
    bool asks = true;
    // Modeless forms take their keys (Tab, Enter, Esc) in the program's message loop.
    static bool dialogMessage(MSG& message);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    HWND add(const wchar_t* kind, const std::string& text, DWORD style, int height,
             const std::string& label, bool fullWidth);
    void layOut();

    HWND owner_;
    HWND window_ = nullptr;
    int fieldWidth_;
    struct Row {
        HWND label = nullptr; // null: the control takes the whole width
        HWND control = nullptr;
        int height = 0;
        HWND arrows = nullptr; // a number field's up-down control
    };
    std::vector<Row> rows_;
    std::vector<std::pair<HWND, int>> buttons_;
    int cancelResult_ = 0;
    int result_ = 0;
    bool done_ = false;
    bool modeless_ = false;
    int setting_ = 0;
    HFONT bold_ = nullptr;
    std::set<HWND> warnings_; // the lines of text said in red
};

} // namespace vantor::win32
