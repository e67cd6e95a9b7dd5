#pragma once

// Resource and control ids of the settings dialog.
#define IDD_SETTINGS 101
#define IDC_MIN_FOOD 1001
#define IDC_MIN_FISH1 1002
#define IDC_MIN_FISH2 1003
#define IDC_OPENGL 1004
#define IDC_DIRECTX 1005
#define IDC_FULLSCREEN 1006
#define IDC_MIN_FISH3 1008
#define IDC_AUTOROTATE 1009
#define IDC_MUTATION 1012
#define IDC_RESOLUTION 1014
