#include "behave/mainWindow.h"

#include <shellapi.h>

#include "behave/viewKeys.h"

HWND mainWindow = nullptr;

namespace {
const char kClassName[] = "Engine";
// WS_POPUP | WS_OVERLAPPEDWINDOW with the bit 0x8.
constexpr DWORD kWindowStyle = 0x80CF0008;

WNDCLASSEXA windowClass;
bool classFilled = false;
}  // namespace

void CreateMainWindow(int width, int height) {
  if (!classFilled) {
    windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    classFilled = true;
  }
  RegisterClassExA(&windowClass);
  mainWindow = CreateWindowExA(0, kClassName, kClassName, kWindowStyle, 0, 0, width, height,
                               GetDesktopWindow(), nullptr, windowClass.hInstance, nullptr);
  ShowWindow(mainWindow, SW_SHOWDEFAULT);
  UpdateWindow(mainWindow);
  DragAcceptFiles(mainWindow, TRUE);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      switch (ApplyViewKey(static_cast<unsigned>(wParam))) {
        case KeyResult::Quit:
          PostQuitMessage(0);
          break;
        case KeyResult::MouseLook: {
          POINT cursor = {};
          GetCursorPos(&cursor);
          camera.MouseLook(cursor.x, cursor.y);
          break;
        }
        case KeyResult::None:
          break;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
