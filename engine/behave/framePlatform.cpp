// The frame's Win32, OpenGL and Direct3D calls.
#include "behave/framePlatform.h"

#include <windows.h>
#include <mmsystem.h>
#include <GL/gl.h>
#include <d3d8.h>

#include "behave/frameStep.h"
#include "behave/settings.h"
#include "dxengine/dxEngine.h"

DXEngine* dxEngine = nullptr;
OpenGLEngine* openGLEngine = nullptr;

uint32_t FrameClock() { return timeGetTime(); }

void SetAdditiveBlend() {
  if (!useDirect3D) {
    glBlendFunc(GL_ONE, GL_ONE);
    return;
  }
  IDirect3DDevice8* device = dxEngine ? dxEngine->Device() : nullptr;
  if (!device) return;
  if (!IsShoalgen2()) device->SetRenderState(D3DRS_AMBIENT, 0x00B0B0B0);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}
