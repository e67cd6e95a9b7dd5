#include "behave/viewKeys.h"

#include <cstdint>

#include "behave/behave.h"
#include "behave/settings.h"
#include "core/log.h"

Camera camera;

namespace {
enum : unsigned {
  kEscape = 27,
  kSpace = 32,
  kLeft = 37,
  kUp = 38,
  kRight = 39,
  kDown = 40,
  kInsert = 45,
};

void DumpFish(const BoidList& list) {
  for (const Boid* fish : list) {
    LOG_TRACE("%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(fish)));
    LogVector(fish->position);
  }
}
}  // namespace

KeyResult ApplyViewKey(unsigned key) {
  switch (key) {
    case kEscape:
      return KeyResult::Quit;
    case kSpace:
      return KeyResult::MouseLook;
    case kLeft:
      rotationAngle += 0.01f;
      camera.Strafe(-1.0f);
      break;
    case kUp:
      viewDistance -= 0.1f;
      camera.Advance(1.0f);
      break;
    case kRight:
      rotationAngle -= 0.01f;
      camera.Strafe(1.0f);
      break;
    case kDown:
      viewDistance += 0.1f;
      camera.Advance(-1.0f);
      break;
    case kInsert:
      LogVector(camera.position);
      LogVector(camera.view);
      LogVector(camera.up);
      DumpFish(fish1List);
      DumpFish(fish2List);
      break;
    default:
      break;
  }
  return KeyResult::None;
}
