// In-process harness of the real windows: starts the reader's user interface in
// the test program (language library, fonts, window classes, loader thread, main
// window), sizes the image view, pumps messages, reads pixels back from the view,
// and closes it all again through the main window's own close request.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

// Image view size the pixel checks are written for.
constexpr int kViewWidth = 600;
constexpr int kViewHeight = 400;

// Background colours of the five stock brushes.
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class ShellTest : public testing::Test {
  public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

  protected:
    void SetUp() override;
};

// Gives the main window the client size for an image view of width x height.
void SizeImageView(int width, int height);
// Dispatches every waiting message of this thread.
void PumpMessages();
// Pumps for a while so that read-ahead results arrive.
void PumpFor(DWORD ms);
// A pixel of the image view as painted.
COLORREF ViewPixel(int x, int y);
std::string Hex(COLORREF c);
std::string Narrow(const std::wstring& s);
std::wstring PageText();
// The book at path opened as the command line opens it.
void OpenPath(const std::wstring& path, uint32_t locator = 0);
