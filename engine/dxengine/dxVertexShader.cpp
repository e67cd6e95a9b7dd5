#include "dxengine/dxVertexShader.h"

#include "core/log.h"
#include "dxengine/dxEngine.h"

VertexShader::VertexShader()
    : device(DXEngine::Current() ? DXEngine::Current()->Device() : nullptr), handle(0) {}

VertexShader::~VertexShader() {
  if (handle) device->DeleteVertexShader(handle);
}

void VertexShader::Init(const DWORD* declaration, const DWORD* function) {
  LogScope scope("VertexShader::Init");
  if (!device) {
    LOG_REPORT(this, E_ERROR, "No Direct3D device");
    return;
  }
  if (handle) device->DeleteVertexShader(handle);
  handle = 0;
  const HRESULT hr = device->CreateVertexShader(declaration, function, &handle, 0);
  if (FAILED(hr)) {
    handle = 0;
    LOG_REPORT(this, E_ERROR, "Could not create vertex shader hr:0x%lx (%s)",
               static_cast<unsigned long>(hr), DXErrorName(hr));
    return;
  }
  SetStatus(E_OK);
}

void VertexShader::Apply() {
  if (handle) device->SetVertexShader(handle);
}
