#include "oglengine/oglTexture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "../image/bmpBuilder.h"
#include "glTestContext.h"
#include "image/dibImage.h"
#include "quadMesh.h"

namespace {

// An 8 x 8 24-bit bitmap file whose pixel (x, y), y from the bottom, gets
// the colour `at(x, y)`.
void WriteBitmap(const char* name, const std::function<Rgb(int, int)>& at) {
  BmpSpec spec;
  spec.width = 8;
  spec.height = 8;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const Rgb c = at(x, y);
      spec.pixels.insert(spec.pixels.end(), {uint8_t(c.b), uint8_t(c.g), uint8_t(c.r)});
    }
  const auto bytes = BuildBmp(spec);
  FILE* f = std::fopen(name, "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

const Rgb kBottomLeft{200, 100, 0}, kBottomRight{0, 200, 100}, kTopLeft{100, 0, 200},
    kTopRight{255, 255, 255};

Rgb Quadrants(int x, int y) {
  if (y < 4) return x < 4 ? kBottomLeft : kBottomRight;
  return x < 4 ? kTopLeft : kTopRight;
}

// The four quadrants of the window: bottom left, bottom right, top left,
// top right.
void ExpectQuadrants(const Rgb& bl, const Rgb& br, const Rgb& tl, const Rgb& tr) {
  EXPECT_TRUE(Near(ReadPixel(16, 16), bl));
  EXPECT_TRUE(Near(ReadPixel(48, 16), br));
  EXPECT_TRUE(Near(ReadPixel(16, 48), tl));
  EXPECT_TRUE(Near(ReadPixel(48, 48), tr));
}

class OpenGLTextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GlTestContext::Fresh();
    WriteBitmap("quadrants.bmp", Quadrants);
    texture.Init("quadrants.bmp", false);
  }
  OpenGLTexture texture;
  // Vertex colour of the quads: half red, full green, quarter blue.
  const Colour vertexColour{0.5f, 1.0f, 0.25f, 1.0f};
};

TEST_F(OpenGLTextureTest, FileTextureTakesTheFileName) {
  EXPECT_EQ(texture.status, E_OK);
  EXPECT_EQ(texture.name, "quadrants.bmp");
  EXPECT_NE(texture.TextureName(), 0u);
  EXPECT_EQ(texture.Lock(), nullptr);
}

TEST_F(OpenGLTextureTest, ColourOperationsOnAQuad) {
  for (bool indexed : {false, true}) {
    auto quad = MakeQuad(indexed, vertexColour);
    GlTestContext::Fresh();
    texture.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
    quad->Render();
    ExpectQuadrants({100, 100, 0}, {0, 200, 25}, {50, 0, 50}, {128, 255, 64});

    GlTestContext::Fresh();
    texture.Apply(0, TOP_ADD, ADDRESS_WRAP);
    quad->Render();
    ExpectQuadrants({255, 255, 64}, {128, 255, 164}, {228, 255, 255}, {255, 255, 255});

    GlTestContext::Fresh();
    texture.Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
    quad->Render();
    ExpectQuadrants(kBottomLeft, kBottomRight, kTopLeft, kTopRight);
    EXPECT_EQ(texture.status, E_OK);
  }
}

TEST_F(OpenGLTextureTest, MeshRenderModulatesItsAttachedTextures) {
  auto quad = MakeQuad(true, vertexColour);
  quad->SetTexture(&texture, 0);
  quad->Render();
  ExpectQuadrants({100, 100, 0}, {0, 200, 25}, {50, 0, 50}, {128, 255, 64});
}

TEST_F(OpenGLTextureTest, WrapRepeatsWhereClampStretchesTheEdge) {
  WriteBitmap("halves.bmp", [](int x, int) { return x < 4 ? Rgb{255, 0, 0} : Rgb{0, 255, 0}; });
  OpenGLTexture halves;
  halves.Init("halves.bmp", false);
  auto quad = MakeQuad(false, Colour(1, 1, 1, 1), 2.0f);  // the texture twice across

  // Row 16 samples v = 0.52, inside the texture for either mode.
  GlTestContext::Fresh();
  halves.Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  quad->Render();
  EXPECT_TRUE(Near(ReadPixel(8, 16), {255, 0, 0}));
  EXPECT_TRUE(Near(ReadPixel(24, 16), {0, 255, 0}));
  EXPECT_TRUE(Near(ReadPixel(40, 16), {255, 0, 0}));  // u = 1.27 repeats u = 0.27
  EXPECT_TRUE(Near(ReadPixel(56, 16), {0, 255, 0}));

  GlTestContext::Fresh();
  halves.Apply(0, TOP_SELECTTEXTURE, ADDRESS_CLAMP);
  quad->Render();
  EXPECT_TRUE(Near(ReadPixel(8, 16), {255, 0, 0}));
  // Beyond u = 1 the right edge, green (blended with the black border).
  const Rgb clamped = ReadPixel(40, 16);
  EXPECT_LT(clamped.r, 8);
  EXPECT_GT(clamped.g, 100);
  EXPECT_EQ(halves.status, E_OK);

  // Mirroring is not offered: reported, and the operation is still set.
  GlTestContext::Fresh();
  halves.Apply(0, TOP_MODULATE, ADDRESS_MIRROR);
  EXPECT_EQ(halves.status, E_NOSUP);
  EXPECT_EQ(halves.message, "texture address operation unsupported!");
  GLfloat mode = 0;
  glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  EXPECT_EQ(static_cast<GLenum>(mode), static_cast<GLenum>(GL_MODULATE));
}

TEST_F(OpenGLTextureTest, DisableLeavesTheUnitUntextured) {
  texture.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  texture.Apply(0, TOP_DISABLE, static_cast<AddressMode>(7));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(texture.status, E_OK);  // the addressing mode was not looked at
  texture.Apply(0, static_cast<TextureOp>(9), ADDRESS_WRAP);
  EXPECT_EQ(texture.status, E_NOSUP);
  EXPECT_EQ(texture.message, "texture operation unsupported!");
}

// A texture that failed to load binds nothing, whatever the unit held.
TEST_F(OpenGLTextureTest, AFailedTextureLeavesTheUnitUntextured) {
  OpenGLTexture missing;
  missing.Init("no-such-texture.bmp", false);
  ASSERT_EQ(missing.status, E_ERROR);
  auto quad = MakeQuad(true, vertexColour);
  texture.Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  missing.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  quad->Render();
  const Rgb plain{128, 255, 64};
  ExpectQuadrants(plain, plain, plain, plain);
}

TEST_F(OpenGLTextureTest, WithoutMultitextureStageZeroStillDraws) {
  const OpenGLEntryPoints saved = glEntryPoints;
  glEntryPoints.activeTexture = nullptr;
  glEntryPoints.multiTexCoord2f = nullptr;
  glEntryPoints.clientActiveTexture = nullptr;
  for (bool indexed : {false, true}) {
    GlTestContext::Fresh();
    auto quad = MakeQuad(indexed, vertexColour, 1.0f, true);
    quad->SetTexture(&texture, 0);
    quad->SetTexture(&texture, 1);  // unreachable, left alone
    quad->Render();
    ExpectQuadrants({100, 100, 0}, {0, 200, 25}, {50, 0, 50}, {128, 255, 64});
  }
  glEntryPoints = saved;
}

TEST_F(OpenGLTextureTest, MeshAppliesATextureOnItsStage) {
  auto quad = MakeQuad(false, vertexColour);
  quad->SetTexture(&texture, 3);
  quad->Render();
  glEntryPoints.activeTexture(GL_TEXTURE3_ARB);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), texture.TextureName());
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glDisable(GL_TEXTURE_2D);
  glEntryPoints.activeTexture(GL_TEXTURE0_ARB);
}

TEST(OpenGLTexture, UnlockSwapsRedAndBlueAndUploads) {
  GlTestContext::Fresh();
  OpenGLTexture texture;
  texture.Init(8, 8, 32, false);
  ASSERT_EQ(texture.status, E_OK);
  uint32_t* pixels = static_cast<uint32_t*>(texture.Lock());
  ASSERT_NE(pixels, nullptr);
  for (int i = 0; i < 64; ++i) pixels[i] = 0xAAFF8040;  // blue 0x40, green 0x80, red 0xFF
  const size_t mark = LogMark();
  texture.Unlock();
  EXPECT_EQ(LogCount("i suspect this function is highly dodgy", mark), 1);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(pixels);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0x80);
  EXPECT_EQ(bytes[2], 0x40);
  EXPECT_EQ(bytes[3], 0x00);
  EXPECT_EQ(texture.status, E_OK);

  auto quad = MakeQuad(false, Colour(1, 1, 1, 1));
  texture.Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  quad->Render();
  EXPECT_TRUE(Near(ReadPixel(32, 32), {255, 128, 64}));
}

TEST(OpenGLTexture, RefusedRequests) {
  GlTestContext::Engine();
  OpenGLTexture shallow;
  shallow.Init(64, 64, 16, false);
  EXPECT_EQ(shallow.status, E_NOSUP);
  EXPECT_EQ(shallow.message, "only 32bpp mode supported");
  EXPECT_EQ(shallow.TextureName(), 0u);
  EXPECT_EQ(shallow.Lock(), nullptr);
  shallow.Unlock();  // nothing to upload, nothing to crash on

  OpenGLTexture mipmapped;
  mipmapped.Init("quadrants.bmp", true);
  EXPECT_EQ(mipmapped.status, E_NOSUP);
  EXPECT_EQ(mipmapped.message, "currently unsuported!");
  EXPECT_EQ(mipmapped.name, "Unkown");

  std::remove("absent.bmp");
  const size_t mark = LogMark();
  OpenGLTexture absent;
  absent.Init("absent.bmp", false);
  EXPECT_EQ(absent.status, E_ERROR);
  EXPECT_EQ(absent.name, "absent.bmp");
  EXPECT_EQ(LogCount("File not found! (absent.bmp)", mark), 1);
  EXPECT_EQ(LogCount("Could not load image absent.bmp", mark), 1);

  OpenGLTexture unnamed;
  unnamed.Init(nullptr, false);
  EXPECT_EQ(unnamed.message, "Null filename!");

  // A bitmap the loader refuses (here silently) gives no texture.
  FILE* f = std::fopen("broken.bmp", "wb");
  std::fputs("BM not really a bitmap", f);
  std::fclose(f);
  dibShowErrors = false;
  OpenGLTexture broken;
  broken.Init("broken.bmp", false);
  dibShowErrors = true;
  EXPECT_EQ(broken.status, E_ERROR);
  EXPECT_EQ(broken.message, "Could not load image broken.bmp");
  EXPECT_EQ(broken.TextureName(), 0u);
}

TEST(OpenGLTexture, DestructionDeletesTheTextureName) {
  GlTestContext::Engine();
  GLuint name;
  {
    OpenGLTexture texture;
    texture.Init(4, 4, 32, false);
    texture.Unlock();
    name = texture.TextureName();
    EXPECT_TRUE(glIsTexture(name));
  }
  EXPECT_FALSE(glIsTexture(name));
}

}  // namespace
