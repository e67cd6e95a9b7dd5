#pragma once

// The simulation's rule set. The two programs share every source and differ
// only in the rule set they fix at start-up.
enum class RuleSet { Shoalgen, Shoalgen2 };

extern RuleSet ruleSet;

inline bool IsShoalgen2() { return ruleSet == RuleSet::Shoalgen2; }

// Settings chosen in the settings dialog (process-wide).
extern bool useDirect3D;
extern int screenWidth;
extern int screenHeight;
extern bool fullScreen;
extern bool autoRotate;
extern int minFood;
extern int minFish1;
extern int minFish2;
extern int minFish3;
extern float mutationRate;  // fraction; a static initial value of 0.1

// View values, changed by the arrow keys.
extern float viewDistance;
extern float rotationAngle;

// Species sizes given to fish at creation.
extern float fish1Size;
extern float fish2Size;
extern float fish3Size;

// The resolutions the settings dialog offers, and the row it selects first.
struct ResolutionChoice {
  const char* label;
  int width;
  int height;
  int bits;  // not read: the engine always starts with 32 bits
};
constexpr int kResolutionCount = 6;
extern const ResolutionChoice kResolutions[kResolutionCount];
constexpr int kDefaultResolution = 2;

// Writes every default of the active rule set except `mutationRate`.
void SetDefaultSettings();

// What a settings form (the dialog, or the web page's form) holds when OK is
// pressed: the resolution row, the two check boxes and the five number fields
// as typed.
struct SettingsForm {
  int resolutionRow;
  bool fullScreen;
  bool autoRotate;
  const char* minFood;
  const char* minFish1;
  const char* minFish2;
  const char* minFish3;
  const char* percent;  // crossover/mutation, 0 to 100
};

// Copies a form into the settings. A row outside the table keeps the
// resolution, a field that does not start with a number keeps its value.
void ApplySettingsForm(const SettingsForm& form);

// Reads a dialog field the way "%d" does: a leading decimal integer (sign and
// following characters allowed). Leaves `value` unchanged and returns false
// when the text does not start with a number.
bool ReadDialogNumber(const char* text, int& value);
