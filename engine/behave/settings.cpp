#include "behave/settings.h"

#include <climits>
#include <cstdlib>

RuleSet ruleSet = RuleSet::Shoalgen;

bool useDirect3D;
int screenWidth;
int screenHeight;
bool fullScreen;
bool autoRotate;
int minFood;
int minFish1;
int minFish2;
int minFish3;
float mutationRate = 0.1f;

const ResolutionChoice kResolutions[kResolutionCount] = {
    {"640x480x32", 640, 480, 32},     {"800x600x32", 800, 600, 32},
    {"1024x768x32", 1024, 768, 32},   {"1280x960x32", 1280, 960, 32},
    {"1280x1024x32", 1280, 1024, 32}, {"1600x1200x32", 1600, 1200, 32},
};

float viewDistance;
float rotationAngle;

float fish1Size;
float fish2Size;
float fish3Size;

void SetDefaultSettings() {
  useDirect3D = true;
  screenWidth = 1024;
  screenHeight = 768;
  fullScreen = false;
  autoRotate = false;
  minFood = 80;
  minFish1 = 50;
  minFish2 = 8;
  minFish3 = 3;

  viewDistance = 12.0f;
  rotationAngle = 0.0f;

  fish1Size = IsShoalgen2() ? 0.25f : 0.2f;
  fish2Size = 0.5f;
  fish3Size = IsShoalgen2() ? 1.1f : 1.0f;
}

void ApplySettingsForm(const SettingsForm& form) {
  if (form.resolutionRow >= 0 && form.resolutionRow < kResolutionCount) {
    screenWidth = kResolutions[form.resolutionRow].width;
    screenHeight = kResolutions[form.resolutionRow].height;
  }
  fullScreen = form.fullScreen;
  autoRotate = form.autoRotate;
  ReadDialogNumber(form.minFood, minFood);
  ReadDialogNumber(form.minFish1, minFish1);
  ReadDialogNumber(form.minFish2, minFish2);
  ReadDialogNumber(form.minFish3, minFish3);
  int percent = 0;
  if (ReadDialogNumber(form.percent, percent)) mutationRate = static_cast<float>(percent) * 0.01f;
}

bool ReadDialogNumber(const char* text, int& value) {
  // strtol rather than "%d", whose result is undefined for a number that does
  // not fit: such a number is held at the nearest int.
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text) return false;
  if (parsed > INT_MAX) {
    value = INT_MAX;
  } else if (parsed < INT_MIN) {
    value = INT_MIN;
  } else {
    value = static_cast<int>(parsed);
  }
  return true;
}
