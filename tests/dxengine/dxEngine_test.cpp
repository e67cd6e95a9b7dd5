#include <cmath>

#include "core/log.h"
#include "dxTestSupport.h"
#include "dxengine/dxEngine.h"

namespace {

// The last line of the log that contains `text`.
std::string LogLineWith(const std::string& text) {
  const std::string log = ReadLog();
  const size_t at = log.rfind(text);
  if (at == std::string::npos) return "";
  const size_t begin = log.rfind('\n', at) + 1;
  return log.substr(begin, log.find('\n', at) - begin);
}

TEST(DXEngineStartUp, DeviceInASmallWindow) {
  HWND window = TestWindow();
  ASSERT_NE(window, nullptr);
  auto* engine = new DXEngine();
  EXPECT_EQ(engine->status, E_UNINIT);
  EXPECT_EQ(engine->name, "Unkown");
  EXPECT_EQ(engine->Device(), nullptr);

  engine->WinInit(kSize, kSize, 32, false, window);
  ASSERT_EQ(engine->status, E_OK) << engine->message;
  EXPECT_EQ(engine->message, "D3D Initialization complete");
  EXPECT_EQ(DXEngine::Current(), engine);
  IDirect3DDevice8* device = engine->Device();
  ASSERT_NE(device, nullptr);

  IDirect3DSurface8* surface = nullptr;
  D3DSURFACE_DESC desc;
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
  surface->GetDesc(&desc);
  surface->Release();
  EXPECT_EQ(desc.Width, static_cast<UINT>(kSize));
  EXPECT_EQ(desc.Height, static_cast<UINT>(kSize));
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  ASSERT_EQ(device->GetDepthStencilSurface(&surface), D3D_OK);
  surface->GetDesc(&desc);
  surface->Release();
  EXPECT_EQ(desc.Format, D3DFMT_D24S8);

  DWORD value = 0;
  device->GetTextureStageState(0, D3DTSS_MINFILTER, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
  device->GetTextureStageState(0, D3DTSS_MAGFILTER, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
  D3DMATERIAL8 material;
  device->GetMaterial(&material);
  EXPECT_EQ(material.Diffuse.r, 1.0f);
  EXPECT_EQ(material.Ambient.b, 1.0f);
  EXPECT_EQ(material.Specular.g, 0.0f);
  EXPECT_EQ(material.Power, 0.0f);

  engine->Present();
  delete engine;
  // Objects made later must not reach a deleted engine.
  EXPECT_EQ(DXEngine::Current(), nullptr);
}

// The cursor's display counter, unchanged.
int CursorCount() {
  ShowCursor(TRUE);
  return ShowCursor(FALSE);
}

TEST(DXEngineStartUp, FullScreenHidesTheCursor) {
  // Full screen at the display's own size (the only mode a virtual display
  // offers).
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HWND window = ScreenWindow();
  const int before = CursorCount();
  {
    DXEngine engine;
    engine.WinInit(width, height, 32, true, window);
    ASSERT_EQ(engine.status, E_OK) << engine.message;
    EXPECT_EQ(CursorCount(), before - 1);
    engine.ClearTarget(Colour(0, 1, 0, 1));
    engine.Present();
  }
  ShowCursor(TRUE);
  // Windowed mode leaves the cursor alone.
  {
    DXEngine engine;
    engine.WinInit(kSize, kSize, 32, false, window);
    ASSERT_EQ(engine.status, E_OK) << engine.message;
    EXPECT_EQ(CursorCount(), before);
  }
}

TEST(DXEngineStartUp, RefusedDeviceIsNamed) {
  // A full-screen size the display does not offer.
  HWND window = TestWindow();
  const int before = CursorCount();
  DXEngine engine;
  engine.WinInit(333, 222, 32, true, window);
  ShowCursor(TRUE);
  EXPECT_EQ(engine.status, E_ERROR);
  EXPECT_EQ(engine.message.rfind("Could not create device:", 0), 0u) << engine.message;
  EXPECT_NE(engine.message, "Could not create device:Unkown DirectX Error.");
  EXPECT_EQ(engine.Device(), nullptr);
  EXPECT_EQ(CursorCount(), before);
}

TEST(DXEngineStartUp, NullWindowIsAnError) {
  const size_t logStart = ReadLog().size();
  DXEngine engine;
  engine.WinInit(kSize, kSize, 32, false, nullptr);
  EXPECT_EQ(engine.status, E_ERROR);
  EXPECT_EQ(engine.message, "Could not create window");
  EXPECT_EQ(engine.Device(), nullptr);
  EXPECT_EQ(CountInLog("Could not create window", logStart), 1);
  const std::string line = LogLineWith("Could not create window");
  EXPECT_EQ(line.rfind("E:ERROR  [engine/dxengine/dxEngine.cpp:", 0), 0u) << line;
  EXPECT_NE(line.find(":Unkown)DXEngine::WinInit-> Could not create window"), std::string::npos)
      << line;
  // Without a device the other operations do nothing.
  engine.BeginScene();
  engine.ClearTarget(Colour(1, 1, 1, 1));
  engine.LookAt(Vec3(0, 0, -1), Vec3(), Vec3(0, 1, 0));
  engine.Present();
}

TEST(DXEngineStartUp, MissingLibraryOrEntryPointIsAnError) {
  HWND window = TestWindow();
  const char* const saved = DXEngine::libraryName;
  {
    DXEngine::libraryName = "shoalgen-no-such-library.dll";
    DXEngine engine;
    engine.WinInit(kSize, kSize, 32, false, window);
    EXPECT_EQ(engine.status, E_ERROR);
    EXPECT_EQ(engine.message, "Could not load shoalgen-no-such-library.dll");
  }
  {
    DXEngine::libraryName = "kernel32.dll";
    DXEngine engine;
    engine.WinInit(kSize, kSize, 32, false, window);
    EXPECT_EQ(engine.status, E_ERROR);
    EXPECT_EQ(engine.message, "kernel32.dll has no Direct3DCreate8");
    EXPECT_EQ(engine.Device(), nullptr);
  }
  DXEngine::libraryName = saved;
}

TEST(DXEngineStartUp, CreateOpensItsOwnWindowAndDestructionClosesIt) {
  auto* engine = new DXEngine();
  engine->Create(kSize, kSize, 32, false);
  ASSERT_EQ(engine->status, E_OK) << engine->message;
  HWND own = FindWindowA("Engine", "Engine");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(own, GWL_STYLE)) & 0x80CF0000u, 0x80CF0000u);
  delete engine;
  EXPECT_EQ(FindWindowA("Engine", "Engine"), nullptr);
  // The window's procedure ends the message loop of a program built on
  // Create; this test has none, so the quit message is taken out again.
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(DXEngineStartUp, DestructionReleasesEveryDirect3DObject) {
  HWND window = TestWindow();
  auto* engine = new DXEngine();
  engine->WinInit(kSize, kSize, 32, false, window);
  ASSERT_EQ(engine->status, E_OK) << engine->message;
  IDirect3DDevice8* device = engine->Device();
  device->AddRef();

  auto mesh = std::make_unique<DXMesh>();
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLELIST;
  desc.texChannels[0] = true;
  desc.vertexCount = 3;
  desc.indexCount = 3;
  mesh->Init(desc);
  const float xyz[] = {0, 0, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f};
  const int indices[] = {0, 1, 2};
  mesh->SetVertices(xyz);
  mesh->SetIndices(indices);
  auto texture = std::make_unique<DXTexture>();
  texture->Init(8, 8, 32, true);
  ASSERT_EQ(texture->status, E_OK) << texture->message;
  mesh->SetTexture(texture.get(), 0);
  engine->BeginScene();
  mesh->Render();
  engine->EndScene();
  engine->Present();

  mesh.reset();
  texture.reset();
  delete engine;
  // Only this test's own reference is left.
  EXPECT_EQ(device->Release(), 0u);
}

// Render states and matrices set through the interface, read back from the
// device.
class DXEngineStates : public DXRenderTest {
 protected:
  DWORD State(D3DRENDERSTATETYPE state) {
    DWORD value = 0xDEADBEEF;
    Device()->GetRenderState(state, &value);
    return value;
  }
};

TEST_F(DXEngineStates, StencilValuesOutsideTheTablesFallBack) {
  const size_t logStart = ReadLog().size();
  engine->SetStencilOp(static_cast<StencilOp>(7), STENCIL_ZERO, STENCIL_INVERT);
  EXPECT_EQ(CountInLog("could not set stencil op!", logStart), 1);
  EXPECT_EQ(engine->status, E_ERROR);
  EXPECT_EQ(State(D3DRS_STENCILFAIL), static_cast<DWORD>(D3DSTENCILOP_KEEP));
  EXPECT_EQ(State(D3DRS_STENCILZFAIL), static_cast<DWORD>(D3DSTENCILOP_ZERO));
  EXPECT_EQ(State(D3DRS_STENCILPASS), static_cast<DWORD>(D3DSTENCILOP_INVERT));

  engine->SetStencilFunc(static_cast<CompareFunc>(8));
  EXPECT_EQ(CountInLog("unsupported comparison test", logStart), 1);
  EXPECT_EQ(State(D3DRS_STENCILFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
  engine->SetStatus(E_OK);
}

TEST_F(DXEngineStates, PerspectiveIgnoresTheAspect) {
  const float fov = 0.7853982f;
  engine->SetPerspective(fov, 1.0f, 0.01f, 800.0f);
  D3DMATRIX square;
  Device()->GetTransform(D3DTS_PROJECTION, &square);
  engine->SetPerspective(fov, 2.5f, 0.01f, 800.0f);
  D3DMATRIX wide;
  Device()->GetTransform(D3DTS_PROJECTION, &wide);
  EXPECT_EQ(square._22, wide._22);
  EXPECT_NEAR(square._11, 1.0 / std::tan(fov / 2), 1e-5);
  // The vertical scale comes from a 4:3 frame: 1 / tan(atan(0.75 tan fov) / 2).
  EXPECT_NEAR(square._22, 3.0, 1e-4);
  const float q = 800.0f / (800.0f - 0.01f);
  EXPECT_FLOAT_EQ(square._33, q);
  EXPECT_FLOAT_EQ(square._43, -q);
  EXPECT_EQ(square._34, 1.0f);
  EXPECT_EQ(square._44, 0.0f);
  EXPECT_EQ(square._12, 0.0f);
}

TEST_F(DXEngineStates, LookAtIsLeftHanded) {
  engine->LookAt(Vec3(0, 0, -5), Vec3(0, 0, 0), Vec3(0, 1, 0));
  D3DMATRIX view;
  Device()->GetTransform(D3DTS_VIEW, &view);
  // Looking along +z with y up: x stays to the right, the eye 5 behind.
  EXPECT_FLOAT_EQ(view._11, 1.0f);
  EXPECT_FLOAT_EQ(view._22, 1.0f);
  EXPECT_FLOAT_EQ(view._33, 1.0f);
  EXPECT_FLOAT_EQ(view._43, 5.0f);
  EXPECT_FLOAT_EQ(view._41, 0.0f);
  EXPECT_EQ(view._14, 0.0f);
  EXPECT_EQ(view._44, 1.0f);

  engine->LookAt(Vec3(3, 0, 0), Vec3(0, 0, 0), Vec3(0, 1, 0));
  Device()->GetTransform(D3DTS_VIEW, &view);
  // Looking along -x: world z is the camera's x axis (up x forward).
  EXPECT_FLOAT_EQ(view._31, 1.0f);
  EXPECT_FLOAT_EQ(view._13, -1.0f);
  EXPECT_FLOAT_EQ(view._43, 3.0f);
}

}  // namespace
