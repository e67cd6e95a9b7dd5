#include "dxTestSupport.h"

#include "image/bmpBuilder.h"
#include "support/tempDir.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

const char kTestClass[] = "ShoalgenTestWindow";

void RegisterTestClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kTestClass;
  registered = RegisterClassExA(&windowClass) != 0;
}

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m = {};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

HWND MakeWindow(int width, int height) {
  RegisterTestClass();
  RECT frame = {0, 0, width, height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = CreateWindowExA(0, kTestClass, "Shoalgen test", WS_OVERLAPPEDWINDOW, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

}  // namespace

HWND TestWindow() {
  static HWND window = MakeWindow(kSize, kSize);
  return window;
}

HWND ScreenWindow() {
  static HWND window = MakeWindow(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return window;
}

std::string ReadLog() { return ReadFileText("Log.txt"); }

int CountInLog(const std::string& text, size_t from) {
  const std::string log = ReadLog();
  int count = 0;
  for (size_t at = log.find(text, from); at != std::string::npos; at = log.find(text, at + 1))
    ++count;
  return count;
}

void WriteBitmap(const std::string& path, uint32_t rgb) {
  BmpSpec spec;
  spec.width = spec.height = 2;
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 2; ++x)
      for (int shift : {0, 8, 16}) spec.pixels.push_back(static_cast<uint8_t>(rgb >> shift));
    spec.pixels.insert(spec.pixels.end(), {0, 0});  // rows padded to 4 bytes
  }
  const std::vector<uint8_t> bytes = BuildBmp(spec);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

std::vector<Vec3> MeshPositions(const DXMesh& mesh) {
  const std::vector<float> words = mesh.ReadVertexWords(0, 3);
  std::vector<Vec3> positions;
  for (size_t i = 0; i + 2 < words.size(); i += 3)
    positions.emplace_back(words[i], words[i + 1], words[i + 2]);
  return positions;
}

uint32_t Rgb(float r, float g, float b) {
  Colour colour(r, g, b, 1.0f);
  return colour.argb & 0xFFFFFF;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}

DXEngine* DXRenderTest::engine = nullptr;

void DXRenderTest::SetUpTestSuite() {
  engine = new DXEngine();
  engine->WinInit(kSize, kSize, 32, false, TestWindow());
}

void DXRenderTest::TearDownTestSuite() {
  delete engine;
  engine = nullptr;
}

void DXRenderTest::SetUp() {
  ASSERT_EQ(engine->status, E_OK) << engine->message;
  ASSERT_EQ(DXEngine::Current(), engine);
  IDirect3DDevice8* device = Device();
  const D3DMATRIX identity = IdentityMatrix();
  device->SetTransform(D3DTS_VIEW, &identity);
  device->SetTransform(D3DTS_PROJECTION, &identity);
  device->SetTransform(D3DTS_WORLD, &identity);
  engine->SetLighting(false);
  engine->SetDepthTest(false);
  engine->SetDepthWrite(true);
  engine->SetAlphaBlend(false);
  engine->SetCullMode(CULL_NONE);
  engine->SetStencilTest(false);
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
  engine->SetStencilRef(0);
  engine->SetStencilMask(0xFFFFFFFF);
  engine->SetStencilWriteMask(0xFFFFFFFF);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  for (DWORD stage = 0; stage < 8; ++stage) {
    device->SetTexture(stage, nullptr);
    device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
  }
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetVertexShader(D3DFVF_XYZ);
  engine->ClearTarget(Colour(0, 0, 0, 0));
  engine->ClearDepth();
  engine->ClearStencil();
  engine->BeginScene();
  inScene = true;
}

void DXRenderTest::TearDown() {
  if (inScene) engine->EndScene();
  inScene = false;
}

std::vector<uint32_t> DXRenderTest::ReadPixels() {
  IDirect3DDevice8* device = Device();
  engine->EndScene();
  std::vector<uint32_t> pixels;
  IDirect3DSurface8* back = nullptr;
  IDirect3DSurface8* copy = nullptr;
  D3DSURFACE_DESC desc;
  if (SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) &&
      SUCCEEDED(back->GetDesc(&desc)) &&
      SUCCEEDED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy)) &&
      SUCCEEDED(device->CopyRects(back, nullptr, 0, copy, nullptr))) {
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
      for (UINT y = 0; y < desc.Height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) pixels[y * desc.Width + x] = row[x] & 0xFFFFFF;
      }
      copy->UnlockRect();
    }
  }
  if (copy) copy->Release();
  if (back) back->Release();
  engine->BeginScene();
  return pixels;
}

uint32_t DXRenderTest::PixelAt(int x, int y) {
  const std::vector<uint32_t> pixels = ReadPixels();
  return pixels.empty() ? 0xDEADBEEF : pixels[static_cast<size_t>(y) * kSize + x];
}

std::unique_ptr<DXMesh> DXRenderTest::MakeQuad(float x0, float y0, float x1, float y1, float z,
                                               const Colour& colour, float u, float v, int sets) {
  auto mesh = std::make_unique<DXMesh>();
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLELIST;
  desc.hasDiffuse = true;
  for (int i = 0; i < sets; ++i) desc.texChannels[i] = true;
  desc.vertexCount = 4;
  desc.indexCount = 6;
  mesh->Init(desc);
  // Top left, top right, bottom right, bottom left.
  const float xyz[] = {x0, y1, z, x1, y1, z, x1, y0, z, x0, y0, z};
  const float uv[] = {0, 0, u, 0, u, v, 0, v};
  const Colour colours[] = {colour, colour, colour, colour};
  const int indices[] = {0, 1, 2, 0, 2, 3};
  mesh->SetVertices(xyz);
  mesh->SetDiffuse(colours);
  for (int i = 0; i < sets; ++i) mesh->SetTextureCoords(uv, i);
  mesh->SetIndices(indices);
  mesh->SetTransform(0, 0, 0, 0, 0, 0);
  return mesh;
}

std::unique_ptr<DXTexture> DXRenderTest::MakeTexture(int w, int h,
                                                     const std::vector<uint32_t>& texels) {
  auto texture = std::make_unique<DXTexture>();
  texture->Init(w, h, 32, false);
  auto* bits = static_cast<BYTE*>(texture->Lock());
  if (bits) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t argb = 0xFF000000u | texels[static_cast<size_t>(y) * w + x];
        std::memcpy(bits + (static_cast<size_t>(y) * texture->Pitch() + x) * 4, &argb, 4);
      }
    texture->Unlock();
  }
  return texture;
}
