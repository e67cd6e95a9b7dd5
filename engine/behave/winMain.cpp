// The program's entry point: settings dialog, engine and window, assets,
// the initial population, the message loop and the shutdown. Built once per
// program, each fixing its rule set (SHOALGEN_RULES) and its name
// (SHOALGEN_PROGRAM).
#include <windows.h>
#include <mmsystem.h>

#include <string>

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

void CreateAssets() {
  tankModel = NewModel();
  tankTexture = NewTexture();
  pinkTexture = NewTexture();
  rotTexture = NewTexture();
  greenTexture = NewTexture();
  fish1Model = NewModel();
  fish1Texture = NewTexture();
  fish2Model = NewModel();
  fish2Texture = NewTexture();
  fish3Model = NewModel();
  fish3Texture = NewTexture();
  foodModel = NewModel();
  foodTexture = NewTexture();
}

// Failures show in the log and in each object's status; start-up goes on.
void LoadAssets() {
  tankModel->Load3DS("cube.3ds");
  tankTexture->Init("water.bmp", false);
  pinkTexture->Init("pink.bmp", false);
  rotTexture->Init("rot.bmp", false);
  greenTexture->Init("green.bmp", false);
  fish1Model->Load3DS("NeonTetra0.3ds");
  fish1Texture->Init("neontet.bmp", false);
  fish2Model->Load3DS("Angel0.3ds");
  fish2Texture->Init("AngelT.bmp", false);
  fish3Model->Load3DS("Mezirozame0.3ds");
  fish3Texture->Init("MeziroT.bmp", false);
  foodModel->Load3DS("sphererot270.3ds");
  foodTexture->Init("food.bmp", false);
}

template <typename T>
void Delete(T*& object) {
  delete object;
  object = nullptr;
}

void DeleteAssetsAndEngine() {
  Delete(greenTexture);
  Delete(foodModel);
  Delete(foodTexture);
  Delete(rotTexture);
  Delete(pinkTexture);
  Delete(fish3Texture);
  Delete(fish3Model);
  Delete(fish2Texture);
  Delete(fish2Model);
  Delete(fish1Texture);
  Delete(fish1Model);
  Delete(tankModel);
  Delete(tankTexture);
  Delete(engine);
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

  CreateAssets();
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
