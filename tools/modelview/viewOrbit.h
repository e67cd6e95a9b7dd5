#pragma once

#include <vector>

#include "core/vec3.h"
#include "modelinfo/modelFile.h"

// Where the viewer puts a model and its camera: the model is moved so that
// the centre of its box lies at the origin and scaled so that the sphere
// around the box has radius kRadius; the camera circles the origin at a
// distance from which that sphere fills most of the picture, whichever
// renderer draws it.

struct ModelPlacement {
  static constexpr float kRadius = 10.0f;
  Vec3 centre;    // of the box around the model's points
  float scale;    // model units to viewer units
  Vec3 up;        // the model's up axis: z for 3DS files, y for the others
  float frontYaw; // the camera's yaw that faces the model's front
};

// From the model's points (at least one).
ModelPlacement PlaceModel(const std::vector<Vec3>& points, ModelFormat format);

// The projection each renderer is given. The Direct3D back end derives its
// vertical scale from the field of view alone, as for a 4:3 frame; the
// OpenGL back end takes a vertical field of view and an aspect. These give
// both the same scales, so both draw the model the same size.
struct ViewProjection {
  float fov;
  float aspect;
};
ViewProjection ProjectionFor(bool direct3d);

// Width over height of the window in which those scales draw square pixels.
float PictureAspect();

// The camera on its circle: yaw about the up axis, pitch towards it, both in
// radians; pitch is held short of the poles.
class ViewOrbit {
 public:
  ViewOrbit(const Vec3& up, float startYaw) : yaw(startYaw), up(up), startYaw(startYaw) {}
  void Turn(float yawStep, float pitchStep);
  // Back to the first view.
  void Reset() { *this = ViewOrbit(up, startYaw); }
  Vec3 Eye() const;
  float Distance() const;

  float yaw;
  float pitch = 0.3f;

 private:
  Vec3 up;
  float startYaw;
};

// The time given to Animate after `seconds` of viewing: MD2 animations play
// one cycle per time unit, taken in four seconds; MilkShape skeletons count
// frames, at 24 a second. Other models do not animate.
float AnimationTime(ModelFormat format, double seconds);
