#include "core/faceCulling.h"

void FaceCulling::Reset() { *this = FaceCulling(); }

void FaceCulling::SetCullMode(CullMode mode) {
  callerKnown = true;
  caller = inForce = mode;
}

CullMode FaceCulling::ForDraw(CullMode hidden) const {
  return callerKnown && caller == CULL_NONE && DepthDecides() ? hidden : caller;
}

bool FaceCulling::Switch(CullMode mode) {
  // A device whose mode the caller never set is left as it is.
  if (!callerKnown) return false;
  if (inForce == mode) return false;
  inForce = mode;
  return true;
}
