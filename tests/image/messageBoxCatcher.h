#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Records the message boxes this thread opens while it lives and ends each
// one as soon as it is initialised, so tests of code that shows them do not
// wait for a user. (Under Wine without a window manager each box still
// costs about two seconds: the X11 driver waits for its withdrawal.) One
// catcher at a time.
class MessageBoxCatcher {
 public:
  struct Box {
    std::string title;
    std::string text;
  };

  MessageBoxCatcher() {
    current = this;
    hook = SetWindowsHookExA(WH_CALLWNDPROCRET, OnReturn, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxCatcher() {
    UnhookWindowsHookEx(hook);
    current = nullptr;
  }
  MessageBoxCatcher(const MessageBoxCatcher&) = delete;
  MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

  bool Hooked() const { return hook != nullptr; }
  std::vector<Box> boxes;

 private:
  static BOOL CALLBACK FindText(HWND child, LPARAM param) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    // The message is the one static control with text (the icon has none).
    if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0') {
      *reinterpret_cast<std::string*>(param) = text;
      return FALSE;
    }
    return TRUE;
  }

  static bool IsDialog(HWND window) {
    char className[32] = {};
    return GetClassNameA(window, className, sizeof className) &&
           lstrcmpA(className, "#32770") == 0;
  }

  static LRESULT CALLBACK OnReturn(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && current && call->message == WM_INITDIALOG && IsDialog(call->hwnd)) {
      Box seen;
      char title[256] = {};
      GetWindowTextA(call->hwnd, title, sizeof title);
      seen.title = title;
      EnumChildWindows(call->hwnd, FindText, reinterpret_cast<LPARAM>(&seen.text));
      current->boxes.push_back(seen);
      EndDialog(call->hwnd, IDOK);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline MessageBoxCatcher* current = nullptr;
  HHOOK hook = nullptr;
};
