#pragma once

#include <windows.h>

// Set when the settings dialog was cancelled or closed.
extern bool cancelled;

// The control's top-left corner in the dialog's client coordinates and the
// size of its client area.
struct ControlRect {
  int left, top, width, height;
};

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Copies the controls into the settings.
void ReadSettings(HWND dialog);
ControlRect GetControlRect(HWND dialog, int controlId);
