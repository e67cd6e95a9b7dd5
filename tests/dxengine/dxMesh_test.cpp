#include <algorithm>

#include "core/meshDetail.h"
#include "dxTestSupport.h"
#include "dxengine/dxVertexShader.h"
#include "support/spindle.h"

namespace {

const uint32_t kBlack = 0x000000;
const uint32_t kRed = 0xFF0000;
const uint32_t kGreen = 0x00FF00;

using DXMeshTest = DXRenderTest;

MeshDesc Desc(int32_t primitive, int vertices, int indices) {
  MeshDesc desc = {};
  desc.primitive = primitive;
  desc.vertexCount = vertices;
  desc.indexCount = indices;
  return desc;
}

// One triangle over the lower left of the screen, and the pixel inside it.
const float kTriangle[] = {-1, -1, 0.5f, -1, 0, 0.5f, 0, -1, 0.5f};
const int kInsideX = 8, kInsideY = 56;

TEST_F(DXMeshTest, VertexLayout) {
  DXMesh mesh;
  EXPECT_EQ(mesh.status, E_UNINIT);
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 3, 0);
  desc.texChannels[0] = desc.texChannels[2] = true;
  mesh.Init(desc);
  ASSERT_EQ(mesh.status, E_OK) << mesh.message;
  EXPECT_EQ(mesh.Stride(), 36u);
  EXPECT_EQ(mesh.VertexFormat(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_TEX3));
  EXPECT_FALSE(mesh.HasIndexBuffer());

  desc = Desc(PRIM_TRIANGLELIST, 3, 3);
  desc.hasNormals = desc.hasDiffuse = desc.hasSpecular = true;
  desc.texChannels[0] = true;
  desc.texChannels[5] = true;  // channels above 2 add no set
  mesh.Init(desc);
  EXPECT_EQ(mesh.Stride(), 40u);
  EXPECT_EQ(mesh.VertexFormat(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE |
                                                    D3DFVF_SPECULAR | D3DFVF_TEX1));
  EXPECT_TRUE(mesh.HasIndexBuffer());
  EXPECT_EQ(mesh.IndexFormat(), D3DFMT_INDEX16);
}

// Diffuse, specular and texture coordinates each land at their own place:
// a wrong offset would show in the colour or in the texel sampled.
TEST_F(DXMeshTest, EveryComponentAtItsPlace) {
  DXMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLESTRIP, 4, 0);
  desc.hasNormals = desc.hasDiffuse = desc.hasSpecular = true;
  desc.texChannels[0] = desc.texChannels[1] = true;
  mesh.Init(desc);
  const float xyz[] = {-1, 1, 0.5f, 1, 1, 0.5f, -1, -1, 0.5f, 1, -1, 0.5f};
  const float normals[] = {0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1};
  const Colour diffuse(0.5f, 0.5f, 0.5f, 1), specular(0, 0, 1, 1);
  const Colour diffuses[] = {diffuse, diffuse, diffuse, diffuse};
  const Colour speculars[] = {specular, specular, specular, specular};
  // Channel 0 picks the right, green half of the texture; channel 1 is off it.
  const float uv0[] = {0.75f, 0.5f, 0.75f, 0.5f, 0.75f, 0.5f, 0.75f, 0.5f};
  const float uv1[] = {0.25f, 0.5f, 0.25f, 0.5f, 0.25f, 0.5f, 0.25f, 0.5f};
  mesh.SetVertices(xyz);
  mesh.SetNormals(normals);
  mesh.SetDiffuse(diffuses);
  mesh.SetSpecular(speculars);
  mesh.SetTextureCoords(uv1, 1);
  mesh.SetTextureCoords(uv0, 0);
  mesh.SetTransform(0, 0, 0, 0, 0, 0);
  EXPECT_EQ(mesh.status, E_OK) << mesh.message;

  auto texture = MakeTexture(4, 1, {kRed, kRed, kGreen, kGreen});
  texture->Apply(0, TOP_MODULATE, ADDRESS_CLAMP);
  Device()->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  mesh.Render();
  Device()->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  // Green texel x grey diffuse, plus the blue specular.
  EXPECT_TRUE(Near(PixelAt(32, 32), Rgb(0, 0.5f, 1.0f))) << std::hex << PixelAt(32, 32);
}

// Written in one lock, each component lands where its own setter puts it;
// one the layout lacks is reported and the others are still written.
TEST_F(DXMeshTest, VertexDataInOneGo) {
  DXMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLEFAN, 2, 0);
  desc.hasNormals = desc.hasDiffuse = true;
  desc.texChannels[0] = desc.texChannels[1] = true;
  mesh.Init(desc);
  const float xyz[] = {1, 2, 3, 4, 5, 6}, normals[] = {0, 0, 1, 0, 1, 0};
  const float uv0[] = {0.25f, 0.5f, 0.75f, 1}, uv1[] = {2, 3, 4, 5};
  mesh.SetVertexData(xyz, normals, uv0, uv1);
  EXPECT_EQ(mesh.status, E_OK) << mesh.message;
  EXPECT_EQ(mesh.ReadVertexWords(0, 3), std::vector<float>(xyz, xyz + 6));
  EXPECT_EQ(mesh.ReadVertexWords(3, 3), std::vector<float>(normals, normals + 6));
  EXPECT_EQ(mesh.ReadVertexWords(mesh.TexCoordWord(0), 2), std::vector<float>(uv0, uv0 + 4));
  EXPECT_EQ(mesh.ReadVertexWords(mesh.TexCoordWord(1), 2), std::vector<float>(uv1, uv1 + 4));

  DXMesh bare;
  bare.Init(Desc(PRIM_TRIANGLEFAN, 2, 0));
  bare.SetVertexData(xyz, normals, nullptr, uv1);
  EXPECT_EQ(bare.message, "No texture coordinates set in the vertex type!");
  EXPECT_EQ(bare.ReadVertexWords(0, 3), std::vector<float>(xyz, xyz + 6));
}

// A mesh over a range of another's buffer writes and draws that range only,
// and keeps the buffer when the whole is gone.
TEST_F(DXMeshTest, RangeOfASharedBuffer) {
  auto whole = std::make_unique<DXMesh>();
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 9, 0);
  desc.hasDiffuse = true;
  whole->Init(desc);
  // Upper right; lower left, behind the far plane until moved; upper right.
  const float xyz[] = {1, 1, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f, -1, -1, 2, -1, 0, 2,
                       0, -1, 2, 1, 1, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f};
  whole->SetVertices(xyz);
  const std::vector<Colour> reds(9, Colour(1, 0, 0, 1));
  whole->SetDiffuse(reds.data());

  DXMesh lowerLeft, outside;
  lowerLeft.InitRange(*whole, 3, 3, PRIM_TRIANGLEFAN);
  ASSERT_EQ(lowerLeft.status, E_OK) << lowerLeft.message;
  EXPECT_EQ(lowerLeft.Stride(), whole->Stride());
  EXPECT_FALSE(lowerLeft.HasIndexBuffer());
  EXPECT_EQ(MeshPositions(lowerLeft)[0].z, 2.0f);
  const float moved[] = {-1, -1, 0.5f, -1, 0, 0.5f, 0, -1, 0.5f};
  lowerLeft.SetVertices(moved);
  std::vector<float> expected(xyz, xyz + 27);
  std::copy(moved, moved + 9, expected.begin() + 9);
  EXPECT_EQ(whole->ReadVertexWords(0, 3), expected);

  outside.InitRange(*whole, 7, 3, PRIM_TRIANGLEFAN);
  EXPECT_EQ(outside.message, "No vertices 7 to 10 in the shared buffer");
  whole.reset();
  lowerLeft.Render();
  EXPECT_EQ(PixelAt(kInsideX, kInsideY), kRed);
  EXPECT_EQ(PixelAt(kSize - 1 - kInsideX, kSize - 1 - kInsideY), kBlack);
}

// Drawn together, meshes look as drawn one by one: where the texture, the
// world matrix or the buffer changes from one to the next it is bound again.
TEST_F(DXMeshTest, RenderAllDrawsAsRenderDoes) {
  DXMesh whole;
  MeshDesc desc = Desc(PRIM_TRIANGLEFAN, 16, 0);
  desc.hasDiffuse = desc.texChannels[0] = true;
  whole.Init(desc);
  // Four strips side by side from left to right, white, the texture's
  // middle everywhere.
  std::vector<float> xyz, uv;
  for (int strip = 0; strip < 4; ++strip) {
    const float x0 = -1 + 0.5f * strip, x1 = x0 + 0.5f;
    xyz.insert(xyz.end(), {x0, 1, 0.5f, x1, 1, 0.5f, x1, -1, 0.5f, x0, -1, 0.5f});
    uv.insert(uv.end(), {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
  }
  const std::vector<Colour> whites(16, Colour(1, 1, 1, 1));
  whole.SetVertexData(xyz.data(), nullptr, uv.data(), nullptr);
  whole.SetDiffuse(whites.data());
  DXMesh strips[4];
  for (int i = 0; i < 4; ++i) strips[i].InitRange(whole, 4 * i, 4, PRIM_TRIANGLEFAN);
  auto red = MakeTexture(1, 1, {kRed}), green = MakeTexture(1, 1, {kGreen});
  strips[0].SetTexture(red.get(), 0);
  strips[1].SetTexture(red.get(), 0);
  strips[1].SetTransform(0, -1, 0, 0, 0, 0);  // lower half only
  strips[2].SetTexture(green.get(), 0);
  strips[3].SetTexture(red.get(), 0);
  auto other = MakeQuad(0.5f, -1, 1, 0, 0.5f, Colour(0, 0, 1, 1));  // lower right, blue

  const std::vector<DXMesh*> order = {&strips[0], &strips[2], &strips[1], nullptr,
                                      other.get(), &strips[3]};
  for (DXMesh* mesh : order)
    if (mesh) mesh->Render();
  const std::vector<uint32_t> oneByOne = ReadPixels();
  engine->ClearTarget(Colour(0, 0, 0, 0));
  DXMesh::RenderAll(order);
  EXPECT_EQ(ReadPixels(), oneByOne);
  // Not a picture that both ways get wrong alike: the moved strip, the
  // green one, and the last strip over the blue quad.
  EXPECT_EQ(PixelAt(24, 8), kBlack);
  EXPECT_EQ(PixelAt(40, 32), kGreen);
  EXPECT_EQ(PixelAt(56, 56), kRed);
}

TEST_F(DXMeshTest, SettersOutsideTheLayoutChangeNothing) {
  DXMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 3, 0);
  desc.texChannels[0] = true;
  desc.texChannels[4] = true;
  mesh.Init(desc);
  const float uv[] = {0, 0, 1, 0, 0, 1};
  mesh.SetTextureCoords(uv, 1);
  EXPECT_EQ(mesh.status, E_ERROR);
  EXPECT_EQ(mesh.message, "No texture coordinates set in the vertex type!");
  mesh.SetStatus(E_OK);
  // Channel 4 is flagged but has no place in the vertex.
  mesh.SetTextureCoords(uv, 4);
  EXPECT_EQ(mesh.message, "No texture coordinates set in the vertex type!");
  const float normals[] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  mesh.SetNormals(normals);
  EXPECT_EQ(mesh.message, "No normals set in the vertex type!");
  const Colour colours[3];
  mesh.SetDiffuse(colours);
  EXPECT_EQ(mesh.message, "No diffuse colours set in the vertex type!");
  mesh.SetSpecular(colours);
  EXPECT_EQ(mesh.message, "No specular colours set in the vertex type!");

  DXMesh uninitialised;
  uninitialised.SetTransform(1, 2, 3, 0, 0, 0);
  EXPECT_EQ(uninitialised.status, E_ERROR);
}

TEST_F(DXMeshTest, TriangleListWithoutIndices) {
  DXMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 6, 0);
  desc.hasDiffuse = true;
  mesh.Init(desc);
  // Two triangles: lower left and upper right.
  const float xyz[] = {-1, -1, 0.5f, -1, 0, 0.5f, 0, -1, 0.5f,
                       1,  1,  0.5f, 1,  0, 0.5f, 0, 1,  0.5f};
  Colour colours[6];
  for (Colour& c : colours) c = Colour(0, 1, 0, 1);
  mesh.SetVertices(xyz);
  mesh.SetDiffuse(colours);
  mesh.Render();
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[kInsideY * kSize + kInsideX], kGreen);
  EXPECT_EQ(pixels[8 * kSize + 56], kGreen);
  EXPECT_EQ(pixels[8 * kSize + 8], kBlack);
}

TEST_F(DXMeshTest, IndicesAreStoredModulo65536AndChecked) {
  DXMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 3, 3);
  desc.hasDiffuse = true;
  mesh.Init(desc);
  const Colour red(1, 0, 0, 1);
  const Colour colours[] = {red, red, red};
  mesh.SetVertices(kTriangle);
  mesh.SetDiffuse(colours);
  const int wrapped[] = {0, 1, 65538};  // 65538 is stored as 2
  mesh.SetIndices(wrapped);
  EXPECT_EQ(mesh.status, E_OK) << mesh.message;
  mesh.Render();
  EXPECT_EQ(PixelAt(kInsideX, kInsideY), kRed);

  // An index past the vertices is reported and nothing is drawn.
  engine->ClearTarget(Colour(0, 0, 0, 0));
  const int outside[] = {0, 1, 3};
  mesh.SetIndices(outside);
  EXPECT_EQ(mesh.status, E_ERROR);
  EXPECT_EQ(mesh.message, "1 indices point past the 3 vertices; the mesh is not drawn");
  mesh.Render();
  EXPECT_EQ(PixelAt(kInsideX, kInsideY), kBlack);
}

TEST_F(DXMeshTest, NoVerticesNothingDrawn) {
  DXMesh mesh;
  mesh.Init(Desc(PRIM_TRIANGLELIST, 0, 0));
  const size_t logStart = ReadLog().size();
  mesh.Render();
  EXPECT_EQ(mesh.status, E_ERROR);
  EXPECT_EQ(mesh.message, "nVerts==0!");
  EXPECT_EQ(CountInLog("nVerts==0!", logStart), 1);

  DXMesh negative;
  negative.Init(Desc(PRIM_TRIANGLELIST, -3, 0));
  EXPECT_EQ(negative.status, E_ERROR);
  negative.Render();
}

TEST_F(DXMeshTest, PointSpritesAreSwitchedOffAfterwards) {
  DXMesh mesh;
  MeshDesc desc = Desc(PRIM_POINTSPRITE, 3, 0);
  desc.hasDiffuse = true;
  mesh.Init(desc);
  ASSERT_EQ(mesh.status, E_OK) << mesh.message;
  mesh.SetVertices(kTriangle);
  mesh.Render();
  DWORD value = 0xDEADBEEF;
  Device()->GetRenderState(D3DRS_POINTSPRITEENABLE, &value);
  EXPECT_EQ(value, 0u);
  Device()->GetRenderState(D3DRS_POINTSCALEENABLE, &value);
  EXPECT_EQ(value, 0u);
  Device()->GetRenderState(D3DRS_POINTSIZE_MAX, &value);
  EXPECT_EQ(value, 0x42800000u);  // 64.0f
}

TEST_F(DXMeshTest, AttachedTextureIsAppliedOnItsStage) {
  auto texture = MakeTexture(1, 1, {kGreen});
  auto quad = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(1, 1, 1, 1), 1, 1, 1);
  quad->SetTexture(texture.get(), 3);
  quad->Render();
  IDirect3DBaseTexture8* bound = nullptr;
  Device()->GetTexture(3, &bound);
  EXPECT_EQ(bound, texture->Texture8());
  if (bound) bound->Release();
  DWORD op = 0;
  Device()->GetTextureStageState(3, D3DTSS_COLOROP, &op);
  EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_MODULATE));
  Device()->SetTexture(3, nullptr);

  // On stage 0 the mesh draws with it, modulated by the vertex colour.
  quad->SetTexture(nullptr, 3);
  quad->SetTexture(texture.get(), 0);
  quad->Render();
  EXPECT_EQ(PixelAt(32, 32), kGreen);
}

TEST_F(DXMeshTest, TransformPlacesTheMesh) {
  // A bar 1 wide and 0.25 high, turned a quarter about z (the first angle)
  // and moved half a screen to the right: 0.25 wide and 1 high.
  auto bar = MakeQuad(-0.5f, -0.125f, 0.5f, 0.125f, 0.5f, Colour(1, 0, 0, 1));
  bar->SetTransform(0.5f, 0, 0, 1.5707964f, 0, 0);
  bar->Render();
  std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[19 * kSize + 48], kRed);
  EXPECT_EQ(pixels[32 * kSize + 59], kBlack);
  EXPECT_EQ(pixels[32 * kSize + 32], kBlack);

  // Scaling works on the output axes and keeps the translation: x from 0.1
  // to 0.9.
  engine->ClearTarget(Colour(0, 0, 0, 0));
  bar->SetTransform(0.5f, 0, 0, 0, 0, 0);
  bar->Scale(0.8f, 1, 1);
  bar->Render();
  pixels = ReadPixels();
  EXPECT_EQ(pixels[32 * kSize + 36], kRed);
  EXPECT_EQ(pixels[32 * kSize + 60], kRed);
  EXPECT_EQ(pixels[32 * kSize + 30], kBlack);
  EXPECT_EQ(pixels[32 * kSize + 62], kBlack);
}

// vs.1.1 tokens: position by the transposed world-view-projection in
// c0 to c3, colour from c7 (row 3 of the inverse world matrix).
const DWORD kDeclaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_END()};
constexpr DWORD Dest(DWORD type, DWORD reg, DWORD mask) {
  return 0x80000000u | type | mask | reg;
}
constexpr DWORD Source(DWORD type, DWORD reg) { return 0x80000000u | type | 0x00E40000u | reg; }
const DWORD kShader[] = {
    0xFFFE0101,
    D3DSIO_DP4, Dest(D3DSPR_RASTOUT, 0, D3DSP_WRITEMASK_0), Source(D3DSPR_INPUT, 0), Source(D3DSPR_CONST, 0),
    D3DSIO_DP4, Dest(D3DSPR_RASTOUT, 0, D3DSP_WRITEMASK_1), Source(D3DSPR_INPUT, 0), Source(D3DSPR_CONST, 1),
    D3DSIO_DP4, Dest(D3DSPR_RASTOUT, 0, D3DSP_WRITEMASK_2), Source(D3DSPR_INPUT, 0), Source(D3DSPR_CONST, 2),
    D3DSIO_DP4, Dest(D3DSPR_RASTOUT, 0, D3DSP_WRITEMASK_3), Source(D3DSPR_INPUT, 0), Source(D3DSPR_CONST, 3),
    D3DSIO_MOV, Dest(D3DSPR_ATTROUT, 0, D3DSP_WRITEMASK_ALL), Source(D3DSPR_CONST, 7),
    0x0000FFFF,
};

TEST_F(DXMeshTest, VertexShaderGetsTheMatrices) {
  VertexShader shader;
  shader.Init(kDeclaration, kShader);
  ASSERT_EQ(shader.status, E_OK) << shader.message;
  DXMesh mesh;
  mesh.Init(Desc(PRIM_TRIANGLESTRIP, 4, 0));
  const float xyz[] = {-1, 1, 0.5f, 1, 1, 0.5f, -1, -1, 0.5f, 1, -1, 0.5f};
  mesh.SetVertices(xyz);
  // The inverse of this world matrix moves right and up: its row 3 is
  // (0.25, 0.5, 0, 1), the colour the shader writes.
  mesh.SetTransform(-0.25f, -0.5f, 0, 0, 0, 0);
  engine->LookAt(Vec3(0, 0, -3), Vec3(0, 0, 0), Vec3(0, 1, 0));
  engine->SetPerspective(1.0f, 1.0f, 1.0f, 10.0f);

  // The fixed pipeline places the quad with the same matrices.
  mesh.Render();
  const std::vector<uint32_t> fixed = ReadPixels();
  engine->ClearTarget(Colour(0, 0, 0, 0));
  mesh.SetVertexShader(&shader);
  mesh.Render();
  Device()->SetVertexShader(D3DFVF_XYZ);
  const std::vector<uint32_t> shaded = ReadPixels();

  int lit = 0, wrongColour = 0, differing = 0;
  for (size_t i = 0; i < shaded.size(); ++i) {
    if (shaded[i] != kBlack) {
      ++lit;
      if (!Near(shaded[i], Rgb(0.25f, 0.5f, 0))) ++wrongColour;
    }
    if ((shaded[i] != kBlack) != (fixed[i] != kBlack)) ++differing;
  }
  EXPECT_GT(lit, kSize * kSize / 8);
  EXPECT_EQ(wrongColour, 0);
  EXPECT_LE(differing, kSize / 4);
}

TEST_F(DXMeshTest, MoreThan65536VerticesAreNotDrawnWrong) {
  // 300 x 300 vertices: a strip of triangles whose indices need 17 bits.
  const int side = 300;
  DXMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, side * side, 6);
  desc.hasDiffuse = true;
  mesh.Init(desc);
  D3DCAPS8 caps;
  Device()->GetDeviceCaps(&caps);
  if (caps.MaxVertexIndex < static_cast<DWORD>(side * side - 1)) {
    EXPECT_EQ(mesh.status, E_ERROR);
    EXPECT_EQ(mesh.message, "Too many vertices (90000) for the device's indices");
    return;
  }
  ASSERT_EQ(mesh.status, E_OK) << mesh.message;
  EXPECT_EQ(mesh.IndexFormat(), D3DFMT_INDEX32);
  // Only the last vertices are placed: a quad over the upper right.
  std::vector<float> xyz(side * side * 3, 0.0f);
  const int last = side * side - 4;
  const float corners[] = {0, 1, 0.5f, 1, 1, 0.5f, 1, 0, 0.5f, 0, 0, 0.5f};
  std::copy(corners, corners + 12, xyz.begin() + last * 3);
  std::vector<Colour> colours(side * side, Colour(0, 1, 0, 1));
  mesh.SetVertices(xyz.data());
  mesh.SetDiffuse(colours.data());
  const int indices[] = {last, last + 1, last + 2, last, last + 2, last + 3};
  mesh.SetIndices(indices);
  EXPECT_EQ(mesh.status, E_OK) << mesh.message;
  mesh.Render();
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[16 * kSize + 48], kGreen);
  EXPECT_EQ(pixels[48 * kSize + 16], kBlack);
}

TEST_F(DXMeshTest, DrawnSmallItsCoarserLevelLooksTheSame) {
  const Spindle spindle;
  DXMesh mesh;
  spindle.Fill(mesh);
  // About 16 pixels long: the levels within half a pixel there drop a
  // third of its triangles.
  engine->SetPerspective(1.2f, 1.0f, 0.1f, 100.0f);
  engine->LookAt(Vec3(0, 0, -1), Vec3(0, 0, 0), Vec3(0, 1, 0));
  mesh.SetTransform(0, 0, 6.6f, 0.3f, 0.4f, 0.2f);
  mesh.Render();  // the first draw since the data was set is whole
  const std::vector<uint32_t> whole = ReadPixels();
  engine->ClearTarget(Colour(0, 0, 0, 0));
  mesh.Render();
  const std::vector<uint32_t> coarser = ReadPixels();
  SetDetailViewport(kSize, kSize);  // the next tests draw without a view
  int covered = 0, differing = 0;
  for (size_t i = 0; i < whole.size(); ++i) {
    covered += whole[i] != kBlack;
    differing += !Near(whole[i], coarser[i], 24);
  }
  EXPECT_GT(covered, 30);
  EXPECT_GT(differing, 0);  // a coarser level was drawn
  EXPECT_LE(differing, 6);
}

TEST_F(DXMeshTest, AClosedMeshLooksTheSameWithTheFacesTurnedAwayLeftOut) {
  const Spindle spindle;
  DXMesh mesh;
  spindle.Fill(mesh);
  engine->SetPerspective(1.2f, 1.0f, 0.1f, 100.0f);
  engine->LookAt(Vec3(0, 0, -1), Vec3(0, 0, 0), Vec3(0, 1, 0));
  mesh.SetTransform(0, 0, 2.5f, 0.3f, 0.4f, 0.2f);
  engine->SetCullMode(CULL_NONE);
  engine->SetDepthTest(true);
  engine->SetDepthWrite(true);  // the suite's earlier tests may have changed them
  engine->SetAlphaBlend(false);
  engine->SetStencilFunc(CMP_ALWAYS);
  engine->SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
  // A stencil test that passes everywhere changes no pixel but lets no face
  // be left out. The picture, and whether faces were culled.
  const auto draw = [&](bool stencil) {
    engine->ClearTarget(Colour(0, 0, 0, 0));
    engine->ClearDepth();
    engine->SetStencilTest(stencil);
    mesh.Render();
    DWORD cull = 0;
    Device()->GetRenderState(D3DRS_CULLMODE, &cull);
    return std::make_pair(ReadPixels(), cull != D3DCULL_NONE);
  };
  draw(true);  // after the first draw since the data was set, both draw one level
  const auto whole = draw(true), culled = draw(false);
  engine->SetStencilTest(false);
  SetDetailViewport(kSize, kSize);  // the next tests draw without a view
  EXPECT_FALSE(whole.second);
  EXPECT_TRUE(culled.second);
  EXPECT_GT(whole.first.size() - std::count(whole.first.begin(), whole.first.end(), kBlack), 120);
  EXPECT_EQ(whole.first, culled.first);
}

}  // namespace
