#include "modelview/viewLight.h"

#include <windows.h>
#include <GL/gl.h>
#include <d3d8.h>

#include "dxengine/dxEngine.h"

namespace {
const float kAmbient = 0.25f;
const float kDiffuse = 1.0f - kAmbient;

void SetOpenGLHeadlight(bool inwardNormals) {
  const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat ambient[4] = {kAmbient, kAmbient, kAmbient, 1.0f};
  const GLfloat diffuse[4] = {kDiffuse, kDiffuse, kDiffuse, 1.0f};
  const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  // Along the view direction, given in eye space: a directional light's
  // position is the direction it comes from.
  const GLfloat towards[4] = {0.0f, 0.0f, inwardNormals ? -1.0f : 1.0f, 0.0f};
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_POSITION, towards);
  glPopMatrix();
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_AMBIENT, none);
  glLightfv(GL_LIGHT0, GL_SPECULAR, none);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
  glEnable(GL_LIGHT0);
  // The model is scaled to the viewer's size, and its normals with it.
  glEnable(GL_NORMALIZE);
}

// `direction`: where the light goes.
void SetDirect3DHeadlight(IDirect3DDevice8* device, Vec3 direction) {
  direction.Normalise();
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {kDiffuse, kDiffuse, kDiffuse, 1.0f};
  light.Direction = {direction.x, direction.y, direction.z};
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  const DWORD level = static_cast<DWORD>(kAmbient * 255.0f + 0.5f);
  device->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_XRGB(level, level, level));
  device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
}
}  // namespace

void SetHeadlight(Engine& engine, bool direct3d, const Vec3& eye, bool inwardNormals) {
  if (!direct3d) {
    SetOpenGLHeadlight(inwardNormals);
    return;
  }
  IDirect3DDevice8* device = static_cast<DXEngine&>(engine).Device();
  if (device) SetDirect3DHeadlight(device, inwardNormals ? eye : eye * -1.0f);
}
