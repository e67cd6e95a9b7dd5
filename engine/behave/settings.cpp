#include "behave/settings.h"

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
