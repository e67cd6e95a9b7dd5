#include "core/faceCulling.h"

#include <gtest/gtest.h>

namespace {

// The state in which a closed mesh's turned-away faces cannot be seen.
FaceCulling Hiding() {
  FaceCulling culling;
  culling.SetDepthTest(true);
  culling.SetDepthWrite(true);
  culling.SetBlend(false);
  culling.SetStencilTest(false);
  culling.SetCullMode(CULL_NONE);
  return culling;
}

TEST(FaceCulling, CullsOnlyWhereTheDepthTestAloneDecidesAndTheCallerCullsNothing) {
  FaceCulling unknown;
  EXPECT_EQ(unknown.ForDraw(CULL_BACK), CULL_NONE);
  EXPECT_FALSE(unknown.Switch(CULL_NONE));  // a mode never set is left alone

  FaceCulling culling = Hiding();
  EXPECT_TRUE(culling.DepthDecides());
  EXPECT_EQ(culling.ForDraw(CULL_BACK), CULL_BACK);
  EXPECT_EQ(culling.ForDraw(CULL_NONE), CULL_NONE);

  const auto without = [](void (FaceCulling::*set)(bool), bool value) {
    FaceCulling changed = Hiding();
    (changed.*set)(value);
    return changed.ForDraw(CULL_FRONT);
  };
  EXPECT_EQ(without(&FaceCulling::SetDepthTest, false), CULL_NONE);
  EXPECT_EQ(without(&FaceCulling::SetDepthWrite, false), CULL_NONE);
  EXPECT_EQ(without(&FaceCulling::SetBlend, true), CULL_NONE);
  EXPECT_EQ(without(&FaceCulling::SetStencilTest, true), CULL_NONE);

  culling.SetCullMode(CULL_FRONT);  // the caller's own mode holds
  EXPECT_EQ(culling.ForDraw(CULL_BACK), CULL_FRONT);
  culling.Reset();
  EXPECT_EQ(culling.ForDraw(CULL_BACK), CULL_NONE);
}

TEST(FaceCulling, SwitchesOnlyWhenTheModeInForceChanges) {
  FaceCulling culling = Hiding();
  EXPECT_FALSE(culling.Switch(CULL_NONE));  // the caller's, in force
  EXPECT_TRUE(culling.Switch(CULL_BACK));
  EXPECT_FALSE(culling.Switch(CULL_BACK));
  EXPECT_TRUE(culling.Switch(CULL_NONE));
  EXPECT_TRUE(culling.Switch(CULL_FRONT));
  culling.SetCullMode(CULL_NONE);  // the back end puts it in force itself
  EXPECT_FALSE(culling.Switch(CULL_NONE));
}

}  // namespace
