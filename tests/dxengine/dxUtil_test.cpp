#include <gtest/gtest.h>

#include "dxengine/dxUtil.h"

namespace {

D3DMATRIX Matrix(std::initializer_list<float> values) {
  D3DMATRIX m;
  float* out = &m._11;
  for (float v : values) *out++ = v;
  return m;
}

void ExpectNear(const D3DMATRIX& a, const D3DMATRIX& b, float tolerance = 1e-5f) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      EXPECT_NEAR(a.m[row][column], b.m[row][column], tolerance) << row << "," << column;
}

const D3DMATRIX kA = Matrix({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
const D3DMATRIX kB = Matrix({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1});
const D3DMATRIX kIdentity = Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

TEST(DXUtil, MultiplyRowByColumnInPlace) {
  D3DMATRIX out;
  EXPECT_EQ(D3DXMatrixMultiply(&out, &kA, &kB), &out);
  // Row 0 of A times B: (1*2 + 4*1, 2*3 + 4*2, 3*4 + 4*3, 4).
  ExpectNear(out, Matrix({6, 14, 24, 4, 18, 34, 52, 8, 30, 54, 80, 12, 42, 74, 108, 16}));
  // B * A differs, and out may be an argument.
  D3DMATRIX b = kB;
  D3DXMatrixMultiply(&b, &b, &kA);
  EXPECT_FLOAT_EQ(b._11, 2.0f);
  EXPECT_FLOAT_EQ(b._41, 1 + 2 * 5 + 3 * 9 + 13);
}

TEST(DXUtil, Transpose) {
  D3DMATRIX t = kA;
  D3DXMatrixTranspose(&t, &t);
  ExpectNear(t, Matrix({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16}));
}

TEST(DXUtil, InverseAndDeterminant) {
  // A rotation about z with a scale and a translation.
  const D3DMATRIX m = Matrix({0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 0.5f, 0, 3, -1, 7, 1});
  D3DMATRIX inverse;
  float determinant = 0;
  ASSERT_EQ(D3DXMatrixInverse(&inverse, &determinant, &m), &inverse);
  EXPECT_FLOAT_EQ(determinant, 2.0f);
  D3DMATRIX product;
  D3DXMatrixMultiply(&product, &m, &inverse);
  ExpectNear(product, kIdentity);
  D3DXMatrixMultiply(&product, &inverse, &m);
  ExpectNear(product, kIdentity);
  // Needs a row exchange to find its pivots.
  const D3DMATRIX swapped = Matrix({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  ASSERT_NE(D3DXMatrixInverse(&inverse, &determinant, &swapped), nullptr);
  EXPECT_FLOAT_EQ(determinant, -1.0f);
  ExpectNear(inverse, swapped);
}

TEST(DXUtil, SingularMatrixHasNoInverse) {
  D3DMATRIX out = kIdentity;
  float determinant = 5;
  EXPECT_EQ(D3DXMatrixInverse(&out, &determinant, &kA), nullptr);
  ExpectNear(out, kIdentity, 0);
  EXPECT_EQ(determinant, 5);
}

}  // namespace
