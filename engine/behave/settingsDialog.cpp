#include "behave/settingsDialog.h"

#include <commctrl.h>

#include "behave/resource.h"
#include "behave/settings.h"

bool cancelled = false;

namespace {
struct ResolutionChoice {
  const char* label;
  int width;
  int height;
  int bits;  // not read: the engine always starts with 32 bits
};

const ResolutionChoice kResolutions[] = {
    {"640x480x32", 640, 480, 32},     {"800x600x32", 800, 600, 32},
    {"1024x768x32", 1024, 768, 32},   {"1280x960x32", 1280, 960, 32},
    {"1280x1024x32", 1280, 1024, 32}, {"1600x1200x32", 1600, 1200, 32},
};
constexpr int kResolutionCount = sizeof kResolutions / sizeof kResolutions[0];
constexpr int kDefaultResolution = 2;
constexpr int kFieldLength = 256;

void InitDialog(HWND dialog) {
  cancelled = false;
  CheckDlgButton(dialog, IDC_DIRECTX, BST_CHECKED);
  CheckDlgButton(dialog, IDC_FULLSCREEN, BST_CHECKED);
  for (const ResolutionChoice& choice : kResolutions)
    SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(choice.label));
  SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_SETCURSEL, kDefaultResolution, 0);
  SetDlgItemTextA(dialog, IDC_MIN_FOOD, "80");
  SetDlgItemTextA(dialog, IDC_MIN_FISH1, "50");
  SetDlgItemTextA(dialog, IDC_MIN_FISH2, "8");
  SetDlgItemTextA(dialog, IDC_MIN_FISH3, "3");

  const ControlRect edit = GetControlRect(dialog, IDC_MUTATION);
  HWND upDown = CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_WRAP | UDS_SETBUDDYINT,
                                    edit.left + edit.width + 4, edit.top, edit.height,
                                    edit.height + 4, dialog, 0, nullptr,
                                    GetDlgItem(dialog, IDC_MUTATION), 14, 0, 0);
  SendMessageA(upDown, UDM_SETRANGE, 0, MAKELPARAM(100, 0));
  SendMessageA(upDown, UDM_SETPOS, 0, MAKELPARAM(10, 0));
}

// Reads an edit field like "%d"; the value stays as it was when the text
// does not start with a number.
void ReadField(HWND dialog, int id, int& value) {
  char text[kFieldLength + 1] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  ReadDialogNumber(text, value);
}
}  // namespace

ControlRect GetControlRect(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  RECT window = {}, client = {};
  GetWindowRect(control, &window);
  GetClientRect(control, &client);
  POINT corner = {window.left, window.top};
  ScreenToClient(dialog, &corner);
  return {corner.x, corner.y, client.right, client.bottom};
}

void ReadSettings(HWND dialog) {
  useDirect3D = IsDlgButtonChecked(dialog, IDC_DIRECTX) == BST_CHECKED;
  // An edited resolution text that matches no entry leaves no selection: the
  // resolution keeps its default then.
  const LRESULT row = SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0);
  if (row >= 0 && row < kResolutionCount) {
    screenWidth = kResolutions[row].width;
    screenHeight = kResolutions[row].height;
  }
  fullScreen = IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == BST_CHECKED;
  autoRotate = IsDlgButtonChecked(dialog, IDC_AUTOROTATE) == BST_CHECKED;
  ReadField(dialog, IDC_MIN_FOOD, minFood);
  ReadField(dialog, IDC_MIN_FISH1, minFish1);
  ReadField(dialog, IDC_MIN_FISH2, minFish2);
  ReadField(dialog, IDC_MIN_FISH3, minFish3);
  int percent = 0;
  char text[kFieldLength + 1] = {};
  GetDlgItemTextA(dialog, IDC_MUTATION, text, sizeof text);
  if (ReadDialogNumber(text, percent)) mutationRate = static_cast<float>(percent) * 0.01f;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        ReadSettings(dialog);
        EndDialog(dialog, 0);
      } else if (LOWORD(wParam) == IDCANCEL) {
        cancelled = true;
        EndDialog(dialog, 0);
      }
      return TRUE;
    case WM_CLOSE:
      cancelled = true;
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DESTROY:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_CREATE:
    case WM_MOUSEMOVE:
      return TRUE;
    default:
      return FALSE;
  }
}
