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
