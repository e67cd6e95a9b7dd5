// Render states of the engine, seen in the pixels they produce.

#include "dxTestSupport.h"

namespace {

const uint32_t kBlack = 0x000000;
const uint32_t kRed = 0xFF0000;
const uint32_t kGreen = 0x00FF00;
const uint32_t kBlue = 0x0000FF;

// Sample points: left and right half, middle row.
const int kLeft = 16, kRight = 48, kMiddle = 32;

using DXRenderStates = DXRenderTest;

TEST_F(DXRenderStates, ClearTargetRepacksTheColour) {
  Colour colour(0, 0, 0, 0);
  colour.r = 1.0f;  // changed after construction: argb is stale
  colour.g = 0.5f;
  colour.b = 0.25f;
  engine->ClearTarget(colour);
  EXPECT_TRUE(Near(PixelAt(kLeft, kMiddle), Rgb(1.0f, 0.5f, 0.25f), 1));
}

TEST_F(DXRenderStates, DepthTestKeepsTheNearerQuad) {
  auto nearQuad = MakeQuad(-1, -1, 1, 1, 0.3f, Colour(1, 0, 0, 1));
  auto farQuad = MakeQuad(-1, -1, 1, 1, 0.7f, Colour(0, 1, 0, 1));
  engine->SetDepthTest(true);
  farQuad->Render();
  nearQuad->Render();
  EXPECT_EQ(PixelAt(kLeft, kMiddle), kRed);
  engine->ClearDepth();
  nearQuad->Render();
  farQuad->Render();
  EXPECT_EQ(PixelAt(kLeft, kMiddle), kRed);

  // Without the test, the last one drawn wins.
  engine->SetDepthTest(false);
  farQuad->Render();
  EXPECT_EQ(PixelAt(kLeft, kMiddle), kGreen);

  // Without depth writes the near quad leaves no depth behind.
  engine->SetDepthTest(true);
  engine->SetDepthWrite(false);
  engine->ClearDepth();
  nearQuad->Render();
  farQuad->Render();
  EXPECT_EQ(PixelAt(kLeft, kMiddle), kGreen);
}

TEST_F(DXRenderStates, AdditiveBlending) {
  engine->ClearTarget(Colour(0, 0, 0.5f, 0));
  auto quad = MakeQuad(-1, -1, 0, 1, 0.5f, Colour(0.25f, 0.5f, 0, 1));
  engine->SetAlphaBlend(true);
  Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  quad->Render();
  quad->Render();
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_TRUE(Near(pixels[kMiddle * kSize + kLeft], Rgb(0.5f, 1.0f, 0.5f), 2))
      << std::hex << pixels[kMiddle * kSize + kLeft];
  EXPECT_TRUE(Near(pixels[kMiddle * kSize + kRight], Rgb(0, 0, 0.5f), 1));

  // Switched off, the quad replaces what is there.
  engine->SetAlphaBlend(false);
  quad->Render();
  EXPECT_TRUE(Near(PixelAt(kLeft, kMiddle), Rgb(0.25f, 0.5f, 0), 1));
}

// Two triangles: one clockwise on the screen at the left, one
// counter-clockwise at the right.
class DXCulling : public DXRenderTest {
 protected:
  void SetUp() override {
    DXRenderTest::SetUp();
    clockwise = Triangle({-0.9f, -0.5f, 0.5f, -0.5f, 0.5f, 0.5f, -0.1f, -0.5f, 0.5f});
    counterClockwise = Triangle({0.1f, -0.5f, 0.5f, 0.9f, -0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
  }
  std::unique_ptr<DXMesh> Triangle(std::vector<float> xyz) {
    auto mesh = std::make_unique<DXMesh>();
    MeshDesc desc = {};
    desc.primitive = PRIM_TRIANGLELIST;
    desc.hasDiffuse = true;
    desc.vertexCount = 3;
    mesh->Init(desc);
    const Colour white(1, 1, 1, 1);
    const Colour colours[] = {white, white, white};
    mesh->SetVertices(xyz.data());
    mesh->SetDiffuse(colours);
    mesh->SetTransform(0, 0, 0, 0, 0, 0);
    return mesh;
  }
  // Which of the two triangles show with `mode`.
  std::pair<bool, bool> Visible(CullMode mode) {
    engine->ClearTarget(Colour(0, 0, 0, 0));
    engine->SetCullMode(mode);
    clockwise->Render();
    counterClockwise->Render();
    const std::vector<uint32_t> pixels = ReadPixels();
    return {pixels[40 * kSize + 16] != kBlack, pixels[40 * kSize + 48] != kBlack};
  }
  std::unique_ptr<DXMesh> clockwise, counterClockwise;
};

TEST_F(DXCulling, ModesCullTheirWinding) {
  EXPECT_EQ(Visible(CULL_NONE), std::make_pair(true, true));
  EXPECT_EQ(Visible(CULL_FRONT), std::make_pair(false, true));
  EXPECT_EQ(Visible(CULL_BACK), std::make_pair(true, false));
  EXPECT_EQ(Visible(static_cast<CullMode>(5)), std::make_pair(true, true));
}

// The stencil buffer is cleared to 0 before each test.
class DXStencil : public DXRenderTest {
 protected:
  void SetUp() override {
    DXRenderTest::SetUp();
    full = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(0, 0, 1, 1));
    left = MakeQuad(-1, -1, 0, 1, 0.5f, Colour(0, 1, 0, 1));
    engine->SetStencilTest(true);
  }
  // Writes `value` into the whole stencil buffer with REPLACE.
  void Fill(int value) {
    engine->SetStencilFunc(CMP_ALWAYS);
    engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_REPLACE);
    engine->SetStencilRef(value);
    full->Render();
  }
  // Whether a red quad passes the test `func` against `ref` at the left.
  bool Passes(CompareFunc func, int ref) {
    engine->ClearTarget(Colour(0, 0, 0, 0));
    engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
    engine->SetStencilFunc(func);
    engine->SetStencilRef(ref);
    auto red = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(1, 0, 0, 1));
    red->Render();
    return PixelAt(kLeft, kMiddle) == kRed;
  }
  std::unique_ptr<DXMesh> full, left;
};

TEST_F(DXStencil, ReplaceThenEqualMasksTheSecondDraw) {
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_REPLACE);
  engine->SetStencilRef(1);
  left->Render();
  engine->SetStencilFunc(CMP_EQUAL);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
  auto red = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(1, 0, 0, 1));
  red->Render();
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[kMiddle * kSize + kLeft], kRed);
  EXPECT_EQ(pixels[kMiddle * kSize + kRight], kBlack);
}

TEST_F(DXStencil, EveryComparison) {
  // Direct3D compares (reference & mask) against (stored & mask).
  Fill(2);
  struct Case {
    CompareFunc func;
    bool below, equal, above;  // reference 1, 2, 3 against the stored 2
  };
  const Case cases[] = {
      {CMP_NEVER, false, false, false},  {CMP_ALWAYS, true, true, true},
      {CMP_EQUAL, false, true, false},   {CMP_NOTEQUAL, true, false, true},
      {CMP_LESS, true, false, false},    {CMP_GREATER, false, false, true},
      {CMP_LEQUAL, true, true, false},   {CMP_GEQUAL, false, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Passes(c.func, 1), c.below) << "function " << c.func;
    EXPECT_EQ(Passes(c.func, 2), c.equal) << "function " << c.func;
    EXPECT_EQ(Passes(c.func, 3), c.above) << "function " << c.func;
  }
  // Outside the table: always.
  EXPECT_TRUE(Passes(static_cast<CompareFunc>(8), 7));
  engine->SetStatus(E_OK);
}

TEST_F(DXStencil, EveryOperation) {
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_INCR);
  for (int i = 0; i < 3; ++i) full->Render();
  EXPECT_TRUE(Passes(CMP_EQUAL, 3));

  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_DECR);
  full->Render();
  EXPECT_TRUE(Passes(CMP_EQUAL, 2));
  // Decrement saturates at 0 instead of wrapping.
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_DECR);
  for (int i = 0; i < 3; ++i) full->Render();
  EXPECT_TRUE(Passes(CMP_EQUAL, 0));

  // Invert of 0 in an 8-bit buffer is 255; increment saturates there.
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_INVERT);
  full->Render();
  EXPECT_TRUE(Passes(CMP_EQUAL, 255));
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_INCR);
  full->Render();
  EXPECT_TRUE(Passes(CMP_EQUAL, 255));

  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_ZERO);
  full->Render();
  EXPECT_TRUE(Passes(CMP_EQUAL, 0));
}

TEST_F(DXStencil, FailAndDepthFailOperations) {
  // A failing stencil test runs the fail operation.
  engine->SetStencilFunc(CMP_NEVER);
  engine->SetStencilOp(STENCIL_REPLACE, STENCIL_KEEP, STENCIL_KEEP);
  engine->SetStencilRef(5);
  full->Render();
  EXPECT_TRUE(Passes(CMP_EQUAL, 5));

  // A failing depth test runs the depth-fail operation: only where the near
  // quad at the left hides the far one.
  engine->ClearStencil();
  engine->SetDepthTest(true);
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
  auto nearLeft = MakeQuad(-1, -1, 0, 1, 0.2f, Colour(0, 1, 0, 1));
  nearLeft->Render();
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_INCR, STENCIL_KEEP);
  full->Render();
  engine->SetDepthTest(false);
  EXPECT_TRUE(Passes(CMP_EQUAL, 1));
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[kMiddle * kSize + kRight], kBlack);
}

TEST_F(DXStencil, WriteMaskAndCompareMask) {
  engine->SetStencilWriteMask(0x1);
  Fill(3);  // only bit 0 is written
  engine->SetStencilWriteMask(0xFF);
  EXPECT_TRUE(Passes(CMP_EQUAL, 1));
  EXPECT_FALSE(Passes(CMP_EQUAL, 3));
  // With the comparison mask 0x1, 3 and 1 look the same.
  engine->SetStencilMask(0x1);
  EXPECT_TRUE(Passes(CMP_EQUAL, 3));
}

}  // namespace
