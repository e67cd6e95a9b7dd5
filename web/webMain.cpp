// The program as a web page: the page's settings form starts a run
// (StartRun), the browser's frame callback drives the frame step, the keys
// act as in the main window, and Escape ends the run with the same shutdown
// as on Windows. Built once per program, each fixing its rule set
// (SHOALGEN_RULES) and its name (SHOALGEN_PROGRAM).
#include <emscripten.h>
#include <emscripten/html5.h>
#include <sys/stat.h>

#include <string>

#include "behave/assets.h"
#include "behave/behave.h"
#include "behave/frameStep.h"
#include "behave/settings.h"
#include "behave/viewKeys.h"
#include "core/log.h"
#include "web/webFramePlatform.h"
#include "web/webPage.h"
#include "webglengine/webglEngine.h"
#include "webglengine/webglModel.h"
#include "webglengine/webglTexture.h"

namespace {
// The canvas the page shows the tank in; the engine takes its selector as
// its window.
const char kCanvas[] = "#canvas";

bool running = false;
long cursorX = 0;
long cursorY = 0;
// Size of Log.txt when the page last saved it.
off_t savedLogSize = -1;

BaseModel* NewModel() { return new WebGLModel(); }
Texture* NewTexture() { return new WebGLTexture(); }

// Saves the log to the browser's storage when it has grown since the last
// save, so that the lines written survive a reload.
void SaveLogIfGrown() {
  struct stat info = {};
  if (stat("Log.txt", &info) != 0 || info.st_size == savedLogSize) return;
  savedLogSize = info.st_size;
  SaveLog();
}

// A missing or broken asset leaves the run going without it, as on Windows;
// the page says which.
void ShowAssetFailures() {
  AssetEntry entries[kAssetCount];
  ListAssets(entries);
  for (const AssetEntry& entry : entries) {
    const EngineObject* object = entry.Object();
    if (object->status == E_OK) continue;
    std::string text = std::string("Could not load ") + entry.fileName;
    if (!object->message.empty()) text += ": " + object->message;
    ShowPageMessage(text.c_str());
  }
}

void Frame() {
  FrameStep();
  SaveLogIfGrown();
}

void EndRun() {
  running = false;
  emscripten_cancel_main_loop();
  DeleteAssets();
  delete engine;
  engine = nullptr;
  webGLEngine = nullptr;
  Log::Get();
  Log::Close();
  SaveLogIfGrown();
  PageRunEnded();
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
  if (!running) return EM_FALSE;
  switch (ApplyViewKey(static_cast<unsigned>(event->keyCode))) {
    case KeyResult::Quit:
      EndRun();
      return EM_TRUE;
    case KeyResult::MouseLook:
      camera.MouseLook(static_cast<int>(cursorX), static_cast<int>(cursorY));
      return EM_TRUE;
    case KeyResult::None:
      break;
  }
  // The view keys must not scroll the page as well.
  const unsigned long key = event->keyCode;
  return (key >= 37 && key <= 40) || key == 45 ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*) {
  cursorX = event->screenX;
  cursorY = event->screenY;
  return EM_FALSE;
}
}  // namespace

// Called by the page's OK button with the form's values; the fields are
// read as the dialog reads them.
extern "C" EMSCRIPTEN_KEEPALIVE void StartRun(int resolutionRow, int fullScreenChecked,
                                              int autoRotateChecked, const char* food,
                                              const char* fish1, const char* fish2,
                                              const char* fish3, const char* percent) {
  if (running || engine) return;
  ApplySettingsForm({resolutionRow, fullScreenChecked != 0, autoRotateChecked != 0, food, fish1,
                     fish2, fish3, percent});

  camera.Place(Vec3(0.0f, 0.0f, 1.0f), Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 1.0f, 0.0f));
  webGLEngine = new WebGLEngine();
  engine = webGLEngine;
  engine->WinInit(screenWidth, screenHeight, 32, fullScreen, kCanvas);
  if (engine->status != E_OK) {
    // As on Windows nothing is deleted and the log gets no END line.
    std::string text = "Could not start up graphics engine";
    if (!engine->message.empty()) text += "\n\n" + engine->message;
    // The message box's text: a log entry and the page's message.
    LOG_ERROR("%s", text.c_str());
    SaveLogIfGrown();
    PageStartFailed(text.c_str());
    return;
  }

  CreateAssets(NewModel, NewTexture);
  LoadAssets();
  ShowAssetFailures();
  InitialPopulation();
  startTime = FrameClock();

  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnKeyDown);
  emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnMouseMove);
  running = true;
  // One frame per display refresh; returns at once, the browser calls Frame.
  emscripten_set_main_loop(Frame, 0, 0);
}

// Called by the page as it is left (closed, reloaded or navigated away):
// a run still going ends as closing the window ends it on Windows, so its
// block gets its END line.
extern "C" EMSCRIPTEN_KEEPALIVE void LeavePage() {
  if (running) EndRun();
}

int main() {
  ruleSet = SHOALGEN_RULES;
  SetDefaultSettings();
  return 0;
}
