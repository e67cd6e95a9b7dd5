#include "oglengine/oglTexture.h"

#include <GL/glext.h>

#include <cstdlib>

#include "core/log.h"
#include "image/textureFile.h"
#include "oglengine/oglEngine.h"

OpenGLTexture::OpenGLTexture()
    : width(0), height(0), pitch(0), mipmap(false), pixels(nullptr), textureName(0) {}

OpenGLTexture::~OpenGLTexture() { Release(); }

void OpenGLTexture::Release() {
  if (textureName) glDeleteTextures(1, &textureName);
  textureName = 0;
  std::free(pixels);
  pixels = nullptr;
}

void OpenGLTexture::Init(int textureWidth, int textureHeight, int bpp, bool mipmapped) {
  SetStatus(E_OK);
  if (bpp != 32) {
    LOG_REPORT(this, E_NOSUP, "only 32bpp mode supported");
    return;
  }
  width = textureWidth;
  height = textureHeight;
  mipmap = mipmapped;
  if (mipmap) {
    LOG_REPORT(this, E_NOSUP, "currently unsuported!");
    return;
  }
  if (width <= 0 || height <= 0) {
    LOG_REPORT(this, E_ERROR, "invalid texture size %dx%d", width, height);
    return;
  }
  Release();
  pixels = static_cast<uint32_t*>(
      std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), sizeof(uint32_t)));
  if (!pixels) {
    LOG_REPORT(this, E_NOMEM, "Out of memory");
    return;
  }
  pitch = width;
  glGenTextures(1, &textureName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, textureName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void OpenGLTexture::Init(const char* filename, bool mipmapped) {
  LogScope scope("OpenGLTexture::Init");
  mipmap = mipmapped;
  if (mipmap) {
    LOG_REPORT(this, E_NOSUP, "currently unsuported!");
    return;
  }
  SetStatus(E_OK);
  if (!filename) {
    LOG_REPORT(this, E_ERROR, "Null filename!");
    return;
  }
  name = filename;

  RgbImage* image = LoadTextureFile(this, filename);
  if (!image) return;

  Release();
  glGenTextures(1, &textureName);
  GLenum error = glGetError();
  if (error) LOG_REPORT(this, E_ERROR, "glGenTextures: 0x%x [%d]", error, error);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, textureName);
  error = glGetError();
  if (error) LOG_REPORT(this, E_ERROR, "glBindTexture: 0x%x [%d]", error, error);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image->pixels);
  error = glGetError();
  if (error) {
    LOG_REPORT(this, E_ERROR, "glTexImage2D : 0x%x [%d]", error, error);
    LOG_WARNING("Perhaps video card does not support this texture size? [%d %d]", image->width,
                image->height);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  FreeRgbImage(image);
}

void OpenGLTexture::Apply(int stage, TextureOp op, AddressMode addressMode) {
  if (glEntryPoints.activeTexture)
    glEntryPoints.activeTexture(GL_TEXTURE0_ARB + stage);
  else if (stage != 0)
    return;  // only unit 0 is reachable
  // A texture that failed to load binds nothing: the unit passes the colour
  // it receives on.
  if (op == TOP_DISABLE || textureName == 0) {
    glDisable(GL_TEXTURE_2D);
    return;
  }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, textureName);

  switch (addressMode) {
    case ADDRESS_WRAP:
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
      break;
    case ADDRESS_CLAMP:
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
      break;
    default:
      LOG_REPORT(this, E_NOSUP, "texture address operation unsupported!");
      break;
  }

  switch (op) {
    case TOP_MODULATE:
      glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
      break;
    case TOP_ADD:
      glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
      break;
    case TOP_ADDSIGNED:
      // Takes effect only while the unit is in combine mode.
      glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_ADD_SIGNED_ARB);
      break;
    case TOP_SELECTTEXTURE:
      glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
      break;
    default:
      LOG_REPORT(this, E_NOSUP, "texture operation unsupported!");
      break;
  }
}

void* OpenGLTexture::Lock() { return pixels; }

void OpenGLTexture::Unlock() {
  LOG_WARNING(
      "OpenGLTexture::Unlock ==> i suspect this function is highly dodgy. replace later with a "
      "blitbuff?");
  if (!pixels) return;  // nothing to upload: a file texture or a failed Init
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, textureName);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&pixels[i]);
    pixels[i] = (static_cast<uint32_t>(bytes[0]) << 16) | (static_cast<uint32_t>(bytes[1]) << 8) |
                bytes[2];
  }
  glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  const GLenum error = glGetError();
  if (error) {
    LogScope scope("OpenGLTexture::Unlock()");
    LOG_REPORT(this, E_ERROR, "gl error: 0x%x (Probably non-power-of-2 textures(?)", error);
  }
}
