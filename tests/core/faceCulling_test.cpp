#include "core/faceCulling.h"

#include <gtest/gtest.h>

namespace {

TEST(FaceCulling, CullsOnlyWhereTheDepthTestAloneDecidesAndSwitchesOnlyOnAChange) {
  const auto hiding = [] {
    FaceCulling culling;
    culling.SetDepthTest(true);
    culling.SetDepthWrite(true);
    culling.SetBlend(false);
    culling.SetStencilTest(false);
    culling.SetCullMode(CULL_NONE);
    return culling;
  };
  FaceCulling unknown;
  EXPECT_EQ(unknown.ForDraw(CULL_BACK), CULL_NONE);
  EXPECT_FALSE(unknown.Switch(CULL_NONE));  // a mode never set is left alone
  // Each state turned the other way: the depth test or writes off, blending
  // or the stencil test on.
  for (auto set : {&FaceCulling::SetDepthTest, &FaceCulling::SetDepthWrite, &FaceCulling::SetBlend,
                   &FaceCulling::SetStencilTest}) {
    FaceCulling changed = hiding();
    const bool depth = set == &FaceCulling::SetDepthTest || set == &FaceCulling::SetDepthWrite;
    (changed.*set)(!depth);
    EXPECT_EQ(changed.ForDraw(CULL_BACK), CULL_NONE);
  }

  FaceCulling culling = hiding();
  EXPECT_EQ(culling.ForDraw(CULL_BACK), CULL_BACK);
  EXPECT_FALSE(culling.Switch(CULL_NONE));  // the caller's, in force
  EXPECT_TRUE(culling.Switch(CULL_BACK));
  EXPECT_FALSE(culling.Switch(CULL_BACK));
  culling.SetCullMode(CULL_FRONT);  // the caller's own mode holds, and is in force
  EXPECT_EQ(culling.ForDraw(CULL_BACK), CULL_FRONT);
  EXPECT_FALSE(culling.Switch(CULL_FRONT));
}

}  // namespace
