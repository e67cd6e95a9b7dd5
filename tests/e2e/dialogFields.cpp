// Prints what the settings dialog of a running program holds in its Food
// field and FullScreen box ("food=80 fullscreen=0"), so that the end-to-end
// tests can check what their keystrokes left there before pressing OK.
#include <windows.h>

#include <cstdio>

#include "behave/resource.h"

int main() {
  HWND dialog = FindWindowA(nullptr, "Shoalgen");
  if (!dialog) {
    std::fprintf(stderr, "dialogFields: no settings dialog\n");
    return 1;
  }
  char food[32] = "";
  GetDlgItemTextA(dialog, IDC_MIN_FOOD, food, sizeof food);
  std::printf("food=%s fullscreen=%d\n", food,
              IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == BST_CHECKED ? 1 : 0);
  return 0;
}
