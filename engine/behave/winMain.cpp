// The program's entry point: settings dialog, engine and window, assets,
// the initial population, the message loop and the shutdown. Built once per
// program, each fixing its rule set (SHOALGEN_RULES) and its name
// (SHOALGEN_PROGRAM).
#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "behave/assets.h"
#include "behave/behave.h"
#include "behave/framePlatform.h"
#include "behave/frameStep.h"
#include "behave/mainWindow.h"
#include "behave/resource.h"
#include "behave/settings.h"
#include "behave/settingsDialog.h"
#include "behave/viewKeys.h"
#include "core/log.h"
#include "dxengine/dxEngine.h"
#include "dxengine/dxModel.h"
#include "dxengine/dxTexture.h"
#include "oglengine/oglEngine.h"
#include "oglengine/oglModel.h"
#include "oglengine/oglTexture.h"

namespace {
BaseModel* NewModel() {
  if (useDirect3D) return new DXModel();
  return new OpenGLModel();
}

Texture* NewTexture() {
  if (useDirect3D) return new DXTexture();
  return new OpenGLTexture();
}

void DeleteAssetsAndEngine() {
  DeleteAssets();
  delete engine;
  engine = nullptr;
  dxEngine = nullptr;
  openGLEngine = nullptr;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ruleSet = SHOALGEN_RULES;
  SetDefaultSettings();
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc, 0);
  if (cancelled) return 0;

  camera.Place(Vec3(0.0f, 0.0f, 1.0f), Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 1.0f, 0.0f));
  if (useDirect3D) {
    dxEngine = new DXEngine();
    engine = dxEngine;
  } else {
    openGLEngine = new OpenGLEngine();
    engine = openGLEngine;
  }
  CreateMainWindow(screenWidth, screenHeight);
  engine->WinInit(screenWidth, screenHeight, 32, fullScreen, mainWindow);
  if (engine->status != E_OK) {
    // The engine's reason (also in the log) under the headline tells a person
    // what to change, for example to untick FullScreen.
    std::string text = "Could not start up graphics engine";
    if (!engine->message.empty()) text += "\n\n" + engine->message;
    MessageBoxA(nullptr, text.c_str(), SHOALGEN_PROGRAM, MB_OK);
    return 1;
  }

  CreateAssets(NewModel, NewTexture);
  LoadAssets();
  InitialPopulation();
  startTime = timeGetTime();

  MSG message = {};
  while (message.message != WM_QUIT) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      FrameStep();
    }
  }

  DeleteAssetsAndEngine();
  Log::Get();
  Log::Close();
  return 0;
}
