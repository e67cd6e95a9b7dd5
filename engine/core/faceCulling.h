#pragma once

#include "core/renderTypes.h"

// The cull mode in force on a device, and whether its other states let a
// draw cull the faces of a closed mesh that are turned away from the eye
// (DetailChoice::hidden): only while the depth test and depth writes are on,
// nothing blends, no stencil test counts the faces, and the caller culls
// nothing itself. A back end reports the states as it sets them; one it has
// not reported since Reset counts against culling.
class FaceCulling {
 public:
  // A new device: nothing is known.
  void Reset();
  void SetDepthTest(bool on) { depthTest = on ? kOn : kOff; }
  void SetDepthWrite(bool on) { depthWrite = on ? kOn : kOff; }
  void SetBlend(bool on) { blend = on ? kOn : kOff; }
  void SetStencilTest(bool on) { stencilTest = on ? kOn : kOff; }
  // The caller's mode, which the back end puts in force.
  void SetCullMode(CullMode mode);

  // Whether the depth test alone decides which of two fragments at one
  // pixel is seen, whatever order they come in: both the test and depth
  // writes on, no blending and no stencil test.
  bool DepthDecides() const {
    return depthTest == kOn && depthWrite == kOn && blend == kOff && stencilTest == kOff;
  }
  // Whether a draw can change nothing but colour: no depth test (so no
  // depth writes) and no stencil test, with blending known on or off.
  bool ChangesOnlyColour() const {
    return depthTest == kOff && stencilTest == kOff && blend != kUnknown;
  }
  bool Blends() const { return blend == kOn; }
  // The mode to draw with when the draw may cull `hidden`.
  CullMode ForDraw(CullMode hidden) const;
  // Whether the back end must put `mode` in force; it counts as in force
  // from now on.
  bool Switch(CullMode mode);

 private:
  enum State { kUnknown, kOff, kOn };
  State depthTest = kUnknown, depthWrite = kUnknown, blend = kUnknown, stencilTest = kUnknown;
  bool callerKnown = false;
  CullMode caller = CULL_NONE;
  CullMode inForce = CULL_NONE;
};
