#include "dxTestSupport.h"
#include "dxengine/dxModel.h"

namespace {

const uint32_t kBlack = 0x000000;
const uint32_t kGreen = 0x00FF00;
const uint32_t kRed = 0xFF0000;

using DXModelTest = DXRenderTest;

// Whether the lit pixels of the row and the column through the centre
// number `across` and `down`, give or take the pixel on an edge.
bool HasExtent(const std::vector<uint32_t>& pixels, int across, int down) {
  int litAcross = 0, litDown = 0;
  for (int i = 0; i < kSize; ++i) {
    litAcross += pixels[32 * kSize + i] != kBlack;
    litDown += pixels[i * kSize + 32] != kBlack;
  }
  return std::abs(litAcross - across) <= 1 && std::abs(litDown - down) <= 1;
}

TEST_F(DXModelTest, PlaneFacesTheCameraBehindIt) {
  DXModel model;
  EXPECT_EQ(model.status, E_UNINIT);
  model.CreatePlane(2, 2, 10, 10, 1, nullptr);
  ASSERT_EQ(model.status, E_OK) << model.message;
  EXPECT_EQ(model.message, "Constructed a 2x2 indexed plane");
  ASSERT_EQ(model.MeshCount(), 1);
  EXPECT_EQ(model.GetMesh(0)->vertexCount, 4);
  EXPECT_EQ(model.GetMesh(0)->indexCount, 6);

  // Seen from -z (y up, x to the right in this left-handed view), triangles
  // (0, 2, 1) and (1, 2, 3) run clockwise: the front faces.
  auto texture = MakeTexture(1, 1, {kGreen});
  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  engine->LookAt(Vec3(0, 0, -20), Vec3(0, 0, 0), Vec3(0, 1, 0));
  engine->SetPerspective(0.7853982f, 1, 1, 100);
  engine->SetCullMode(CULL_BACK);
  model.Render();
  EXPECT_EQ(PixelAt(32, 32), kGreen);
  engine->ClearTarget(Colour(0, 0, 0, 0));
  engine->SetCullMode(CULL_FRONT);
  model.Animate(0, 1.5f);  // a plane has no animation: drawn as it is
  EXPECT_EQ(PixelAt(32, 32), kBlack);
}

TEST_F(DXModelTest, TransformAndScaleEveryMesh) {
  DXModel model;
  model.CreatePlane(3, 3, 2, 2, 1, nullptr);
  auto texture = MakeTexture(1, 1, {kGreen});
  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  // Identity view and projection: the plane covers the clip square.
  model.SetTransform(0, 0, 0.5f, 0, 0, 0);
  model.Render();
  EXPECT_TRUE(HasExtent(ReadPixels(), kSize, kSize));

  engine->ClearTarget(Colour(0, 0, 0, 0));
  model.SetScale(0.5f, 0.25f, 1);
  model.Render();
  EXPECT_TRUE(HasExtent(ReadPixels(), kSize / 2, kSize / 4));
  // A new transform starts unscaled again.
  engine->ClearTarget(Colour(0, 0, 0, 0));
  model.SetTransform(0.5f, 0, 0.5f, 0, 0, 0);
  model.RenderFrame(3, 4);
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[32 * kSize + 8], kBlack);
  EXPECT_EQ(pixels[32 * kSize + 40], kGreen);
}

TEST_F(DXModelTest, PlaneHeightsAreDepths) {
  // Heights rise along z: the lower row of vertices near, the upper row far.
  const float heights[] = {0.1f, 0.1f, 0.9f, 0.9f};
  DXModel model;
  model.CreatePlane(2, 2, 2, 2, 1, heights);
  ASSERT_EQ(model.status, E_OK) << model.message;
  auto texture = MakeTexture(1, 1, {kGreen});
  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  engine->SetDepthTest(true);
  model.Render();
  Device()->SetTexture(0, nullptr);
  Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  auto middle = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(1, 0, 0, 1));
  middle->Render();
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[56 * kSize + 32], kGreen);
  EXPECT_EQ(pixels[8 * kSize + 32], kRed);
}

TEST_F(DXModelTest, PlaneArguments) {
  DXModel tooSmall;
  tooSmall.CreatePlane(1, 5, 10, 10, 1, nullptr);
  EXPECT_EQ(tooSmall.status, E_ERROR);
  EXPECT_EQ(tooSmall.message, "Can not construct a 1x5 plane");
  EXPECT_EQ(tooSmall.MeshCount(), 0);
  tooSmall.Render();
  tooSmall.SetTransform(1, 2, 3, 0, 0, 0);

  // Eight channels ask for more than the three coordinate sets a vertex has.
  DXModel channels;
  channels.CreatePlane(2, 2, 1, 1, 8, nullptr);
  EXPECT_EQ(channels.status, E_OK) << channels.message;
  EXPECT_EQ(channels.GetMesh(0)->Stride(), 12u + 12u + 3 * 8u);
  EXPECT_EQ(channels.GetMesh(0)->status, E_OK) << channels.GetMesh(0)->message;
}

TEST_F(DXModelTest, MissingFilesLoadNothing) {
  DXModel md2;
  md2.LoadMD2("tris.md2");
  EXPECT_EQ(md2.status, E_ERROR);
  EXPECT_EQ(md2.message, "Could not read MD2 model tris.md2: Unable to find the file: tris.md2!");
  EXPECT_EQ(md2.AnimationCount(), 0);
  DXModel bsp;
  bsp.LoadBSP("level.bsp");
  EXPECT_EQ(bsp.status, E_ERROR);
  EXPECT_EQ(bsp.message, "Could not read BSP level level.bsp: Could not find BSP file level.bsp!");
  DXModel ms3d;
  ms3d.LoadMS3D("model.txt");
  EXPECT_EQ(ms3d.status, E_ERROR);
  EXPECT_EQ(ms3d.message, "Could not open model.txt");
  for (DXModel* model : {&md2, &bsp, &ms3d}) {
    EXPECT_EQ(model->MeshCount(), 0);
    model->Animate(1, 0.5f);
    model->RenderFrame(1, 2);
  }
}

}  // namespace
