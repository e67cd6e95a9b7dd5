#pragma once

#include "core/renderTypes.h"

// The OpenGL constants for the interface's enumerations. OpenGL and OpenGL
// ES (WebGL) name these by the same numbers, so both back ends map through
// here. Each returns false, leaving `value` alone, for a value outside its
// enumeration.
bool GlPrimitiveMode(int32_t primitive, unsigned* value);
bool GlStencilOp(StencilOp op, unsigned* value);
bool GlCompareFunc(CompareFunc func, unsigned* value);
