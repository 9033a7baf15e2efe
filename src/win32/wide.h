#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <string>
#include <string_view>
#include <windows.h>

namespace vantor::win32 {

// The core speaks UTF-8; Windows speaks UTF-16. Every text and path crosses here.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

std::string windowText(HWND window);
void setWindowText(HWND window, const std::string& text);

// A 32-bit picture's header, rows from the top, as MapImage keeps them.
BITMAPINFO topDownBitmap(int width, int height);

// The font of message boxes, which every control of the program uses, at a window's DPI (the
// program is aware of each monitor's), and lengths laid out at 96 DPI scaled to it.
int dpiOf(HWND window);
HFONT messageFont(int dpi = 96);
HFONT messageFontFor(HWND window);
int scaled(int pixels, int dpi);

} // namespace vantor::win32
