#include "core/glConstants.h"

#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

// The shared numbers must be OpenGL's own.
TEST(GlConstants, MapEveryEnumerationValueToOpenGLsConstantAndRefuseTheRest) {
  const unsigned modes[] = {GL_POINTS,         GL_LINES,        GL_LINE_STRIP,
                            GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_TRIANGLES};
  const unsigned ops[] = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT};
  const unsigned funcs[] = {GL_NEVER, GL_ALWAYS, GL_EQUAL,  GL_NOTEQUAL,
                            GL_LESS,  GL_GREATER, GL_LEQUAL, GL_GEQUAL};
  unsigned value = 0;
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(GlPrimitiveMode(i, &value));
    EXPECT_EQ(value, modes[i]) << i;
    ASSERT_TRUE(GlStencilOp(static_cast<StencilOp>(i), &value));
    EXPECT_EQ(value, ops[i]) << i;
  }
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(GlCompareFunc(static_cast<CompareFunc>(i), &value));
    EXPECT_EQ(value, funcs[i]) << i;
  }
  value = 77;
  EXPECT_FALSE(GlPrimitiveMode(PRIM_POINTSPRITE, &value));
  EXPECT_FALSE(GlStencilOp(static_cast<StencilOp>(-1), &value));
  EXPECT_FALSE(GlCompareFunc(static_cast<CompareFunc>(8), &value));
  EXPECT_EQ(value, 77u);
}

}  // namespace
