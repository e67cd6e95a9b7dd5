#include <gtest/gtest.h>

#include <cmath>

#include "core/colour.h"
#include "core/matrix44.h"
#include "core/vec3.h"

TEST(ColourTest, PackTruncatesAndClamps) {
  EXPECT_EQ(Colour(1, 0, 0, 1).argb, 0xFFFF0000u);
  EXPECT_EQ(Colour(0, 0, 1, 0).argb, 0x000000FFu);
  EXPECT_EQ(Colour(1.5f, -0.2f, 0.999f, 1).argb, 0xFFFF00FEu);
  Colour c(0, 0, 0, 0);
  c.g = 0.5f;  // changed after construction: only Pack refreshes argb
  EXPECT_EQ(c.argb, 0u);
  c.Pack();
  EXPECT_EQ(c.argb, 0x00007F00u);
}

TEST(Vec3Test, NormaliseLengthCrossAndDivision) {
  Vec3 zero;
  EXPECT_EQ(zero.Normalise().Length(), 0.0f);
  Vec3 v(3, 0, 4);
  EXPECT_FLOAT_EQ(v.Length(), 5.0f);
  v.Normalise();
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);

  Vec3 a(1, 0, 0);
  a.CrossWith(Vec3(0, 1, 0));
  EXPECT_EQ(a.z, 1.0f);
  Vec3 c;
  c.SetCross(Vec3(0, 1, 0), Vec3(1, 0, 0));
  EXPECT_EQ(c.z, -1.0f);

  // Division multiplies by the reciprocal taken once: differs from a true
  // division in the last bit for some values.
  const Vec3 d = Vec3(1.0f, 7.0f, 10.0f) / 3.0f;
  const float inv = 1.0f / 3.0f;
  EXPECT_EQ(d.x, 1.0f * inv);
  EXPECT_EQ(d.y, 7.0f * inv);
  EXPECT_EQ(d.z, 10.0f * inv);
}

TEST(Matrix44Test, SetRotationTouchesOnlyTheRotationBlock) {
  Matrix44 m;
  m.SetTranslation(Vec3(5, 6, 7));
  m.SetRotation(Vec3(0, 0, 1.5707963267948966f));
  EXPECT_NEAR(m.m[0], 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(m.m[1], 1.0f);
  EXPECT_FLOAT_EQ(m.m[4], -1.0f);
  EXPECT_NEAR(m.m[5], 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(m.m[10], 1.0f);
  EXPECT_EQ(m.m[12], 5.0f);
  EXPECT_EQ(m.m[13], 6.0f);
  EXPECT_EQ(m.m[14], 7.0f);
  EXPECT_EQ(m.m[15], 1.0f);

  Vec3 p(1, 0, 0);
  m.Rotate(p);  // row vector: (1,0,0) -> (0,1,0) for a quarter turn about z
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(p.y, 1.0f);
  m.InverseRotate(p);
  EXPECT_FLOAT_EQ(p.x, 1.0f);
  EXPECT_NEAR(p.y, 0.0f, 1e-6f);
}

TEST(Matrix44Test, PreMultiplyAppliesTheArgumentFirst) {
  Matrix44 rotation;
  rotation.SetRotation(Vec3(0, 0, 1.5707963267948966f));
  Matrix44 translation;
  translation.SetTranslation(Vec3(1, 2, 3));

  Matrix44 a = translation;  // rotate, then translate
  a.PreMultiply(rotation);
  for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) EXPECT_FLOAT_EQ(a.m[i], rotation.m[i]) << i;
  EXPECT_FLOAT_EQ(a.m[12], 1.0f);
  EXPECT_FLOAT_EQ(a.m[13], 2.0f);
  EXPECT_FLOAT_EQ(a.m[14], 3.0f);

  Matrix44 b = rotation;  // translate, then rotate: translation becomes t * R
  b.PreMultiply(translation);
  Vec3 t(1, 2, 3);
  rotation.Rotate(t);
  EXPECT_FLOAT_EQ(b.m[12], t.x);
  EXPECT_FLOAT_EQ(b.m[13], t.y);
  EXPECT_FLOAT_EQ(b.m[14], t.z);
  EXPECT_EQ(b.m[3], 0.0f);
  EXPECT_EQ(b.m[15], 1.0f);

  Vec3 v(0, 0, 0);
  b.Translate(v);
  b.InverseTranslate(v);
  EXPECT_EQ(v.Length(), 0.0f);
}
