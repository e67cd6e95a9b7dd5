#pragma once

#include <windows.h>

// The one window the program draws into.
extern HWND mainWindow;

// Registers the window class, creates and shows the window.
void CreateMainWindow(int width, int height);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
