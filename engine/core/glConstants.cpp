#include "core/glConstants.h"

namespace {

// GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN,
// GL_TRIANGLES; point sprites have no mode.
const unsigned kPrimitiveModes[] = {0x0000, 0x0001, 0x0003, 0x0005, 0x0006, 0x0004};
// GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT.
const unsigned kStencilOps[] = {0x1E00, 0x0000, 0x1E01, 0x1E02, 0x1E03, 0x150A};
// GL_NEVER, GL_ALWAYS, GL_EQUAL, GL_NOTEQUAL, GL_LESS, GL_GREATER,
// GL_LEQUAL, GL_GEQUAL.
const unsigned kCompareFuncs[] = {0x0200, 0x0207, 0x0202, 0x0205, 0x0201, 0x0204, 0x0203, 0x0206};

template <int N>
bool Look(const unsigned (&table)[N], int32_t index, unsigned* value) {
  if (index < 0 || index >= N) return false;
  *value = table[index];
  return true;
}

}  // namespace

bool GlPrimitiveMode(int32_t primitive, unsigned* value) {
  return Look(kPrimitiveModes, primitive, value);
}

bool GlStencilOp(StencilOp op, unsigned* value) { return Look(kStencilOps, op, value); }

bool GlCompareFunc(CompareFunc func, unsigned* value) { return Look(kCompareFuncs, func, value); }
