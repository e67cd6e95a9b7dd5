#include "dxengine/dxTexture.h"

#include "core/log.h"
#include "dxengine/dxEngine.h"
#include "dxengine/dxUtil.h"

DXTexture::DXTexture()
    : pitch(0),
      bytesPerPixel(4),
      mipmap(false),
      texture(nullptr),
      surface(nullptr),
      device(DXEngine::Current() ? DXEngine::Current()->Device() : nullptr) {}

DXTexture::~DXTexture() { Release(); }

void DXTexture::Release() {
  if (surface) surface->Release();
  if (texture) texture->Release();
  surface = nullptr;
  texture = nullptr;
  pitch = 0;
}

bool DXTexture::FetchLevelZero() {
  if (FAILED(texture->GetSurfaceLevel(0, &surface))) {
    surface = nullptr;
    LOG_REPORT(this, E_ERROR, "Could not obtain surface!");
    return false;
  }
  return true;
}

int DXTexture::Pitch() {
  // Read by the first lock: every lock waits until the device has caught up,
  // and a texture loaded from a file is seldom locked at all.
  if (pitch == 0 && texture && Lock()) Unlock();
  return pitch;
}

void DXTexture::Init(int w, int h, int bpp, bool mip) {
  LogScope scope("DXTexture::Init");
  mipmap = mip;
  D3DFORMAT format;
  int pixelBytes;
  switch (bpp) {
    case 15: format = D3DFMT_X1R5G5B5, pixelBytes = 2; break;
    case 16: format = D3DFMT_R5G6B5, pixelBytes = 2; break;
    case 24: format = D3DFMT_R8G8B8, pixelBytes = 3; break;
    case 32: format = D3DFMT_A8R8G8B8, pixelBytes = 4; break;
    default:
      LOG_REPORT(this, E_ERROR, "Unsupported bpp");
      return;
  }
  if (!device) {
    LOG_REPORT(this, E_ERROR, "No Direct3D device");
    return;
  }
  Release();
  const HRESULT hr = device->CreateTexture(w, h, mipmap ? 0 : 1, 0, format, D3DPOOL_MANAGED, &texture);
  if (hr != D3D_OK) {
    texture = nullptr;
    LOG_REPORT(this, E_ERROR, "Could not create Texture! [%dx%dx%d] hr = 0x%lx (%s)", w, h, bpp,
               static_cast<unsigned long>(hr), DXErrorName(hr));
    return;
  }
  bytesPerPixel = pixelBytes;
  if (FetchLevelZero()) SetStatus(E_OK);
}

void DXTexture::Init(const char* filename, bool mip) {
  LogScope scope("DXTexture::Init");
  mipmap = mip;
  if (!filename || !device) {
    LOG_REPORT(this, E_ERROR, "Failed to create texture!");
    return;
  }
  name = filename;
  Release();
  // Size from the file, opaque black as the colour key.
  const HRESULT hr = D3DXCreateTextureFromFileExA(
      device, filename, D3DX_DEFAULT, D3DX_DEFAULT, mipmap ? 0 : 1, 0, D3DFMT_X8R8G8B8,
      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFF000000, nullptr, nullptr, &texture);
  if (FAILED(hr)) {
    texture = nullptr;
    LOG_REPORT(this, E_ERROR, "Failed to create texture!");
    return;
  }
  LOG_WARNING(
      "DXTexture::Init(char *filename)::This is a very lame function :: and is highly incomplete! "
      "& unstable! need to fix that one day..");
  bytesPerPixel = 4;
  if (FetchLevelZero()) SetStatus(E_OK);
}

void DXTexture::Apply(int stage, TextureOp op, AddressMode addressMode) {
  if (!device) return;
  if (stage == 0) {
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  } else {
    device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
  }
  device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);

  D3DTEXTUREADDRESS address = D3DTADDRESS_WRAP;
  bool addressKnown = true;
  switch (addressMode) {
    case ADDRESS_WRAP: address = D3DTADDRESS_WRAP; break;
    case ADDRESS_CLAMP: address = D3DTADDRESS_CLAMP; break;
    case ADDRESS_MIRROR: address = D3DTADDRESS_MIRROR; break;
    default: addressKnown = false; break;
  }
  if (addressKnown) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, address);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, address);
  } else {
    LOG_REPORT(this, E_NOSUP, "texture addressing opetaion is not supported.");
  }

  D3DTEXTUREOP colourOp = D3DTOP_DISABLE;
  bool opKnown = true;
  switch (op) {
    case TOP_DISABLE: colourOp = D3DTOP_DISABLE; break;
    case TOP_MODULATE: colourOp = D3DTOP_MODULATE; break;
    case TOP_ADD: colourOp = D3DTOP_ADD; break;
    case TOP_ADDSIGNED: colourOp = D3DTOP_ADDSIGNED; break;
    case TOP_SELECTTEXTURE: colourOp = D3DTOP_SELECTARG1; break;
    default: opKnown = false; break;
  }
  if (opKnown)
    device->SetTextureStageState(stage, D3DTSS_COLOROP, colourOp);
  else
    LOG_REPORT(this, E_NOSUP, "texturing operation is not supported.");

  device->SetTextureStageState(stage, D3DTSS_MIPFILTER, mipmap ? D3DTEXF_LINEAR : D3DTEXF_NONE);

  if (texture) {
    const HRESULT hr = device->SetTexture(stage, texture);
    if (FAILED(hr))
      LOG_REPORT(this, E_ERROR, "Set Texture failed: 0x%lx %s", static_cast<unsigned long>(hr),
                 DXErrorName(hr));
  } else {
    // A texture that failed to load binds nothing: the stage passes the
    // colour it receives on, rather than draw with what it held before.
    device->SetTexture(stage, nullptr);
    if (op != TOP_DISABLE) device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  }
}

void* DXTexture::Lock() {
  LogScope scope("DXTexture::Lock");
  if (!texture) {
    LOG_REPORT(this, E_ERROR, "Could not lock pSurface! hr=0x%lx",
               static_cast<unsigned long>(D3DERR_INVALIDCALL));
    return nullptr;
  }
  D3DLOCKED_RECT locked;
  const HRESULT hr = texture->LockRect(0, &locked, nullptr, D3DLOCK_NOSYSLOCK);
  if (FAILED(hr)) {
    LOG_REPORT(this, E_ERROR, "Could not lock pSurface! hr=0x%lx", static_cast<unsigned long>(hr));
    return nullptr;
  }
  pitch = locked.Pitch / bytesPerPixel;
  return locked.pBits;
}

void DXTexture::Unlock() {
  if (!texture || FAILED(texture->UnlockRect(0)))
    LOG_REPORT(this, E_ERROR, "Can not unlock video memory");
}
