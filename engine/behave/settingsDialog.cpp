#include "behave/settingsDialog.h"

#include <commctrl.h>

#include "behave/resource.h"
#include "behave/settings.h"

bool cancelled = false;

namespace {
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

// An edit field's text, cut to the dialog's field length.
struct FieldText {
  char text[kFieldLength + 1] = {};
  FieldText(HWND dialog, int id) { GetDlgItemTextA(dialog, id, text, sizeof text); }
};
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
  // An edited resolution text that matches no entry leaves no selection
  // (row -1): the resolution keeps its default then.
  const LRESULT row = SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0);
  const FieldText food(dialog, IDC_MIN_FOOD), fish1(dialog, IDC_MIN_FISH1),
      fish2(dialog, IDC_MIN_FISH2), fish3(dialog, IDC_MIN_FISH3), percent(dialog, IDC_MUTATION);
  ApplySettingsForm({static_cast<int>(row), IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == BST_CHECKED,
                     IsDlgButtonChecked(dialog, IDC_AUTOROTATE) == BST_CHECKED, food.text,
                     fish1.text, fish2.text, fish3.text, percent.text});
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
