#include "webglengine/webglTexture.h"

#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "image/textureFile.h"
#include "webglengine/webglPipeline.h"

WebGLTexture::WebGLTexture()
    : width(0),
      height(0),
      pitch(0),
      mipmap(false),
      pixels(nullptr),
      textureName(0),
      address(kAddressUnset) {}

WebGLTexture::~WebGLTexture() { Release(); }

void WebGLTexture::Release() {
  // Without a context (the engine has gone) the name has gone with it.
  if (WebGLPipeline* pipeline = WebGLPipeline::Current(); pipeline && textureName) {
    pipeline->Forget(textureName);
    glDeleteTextures(1, &textureName);
  }
  textureName = 0;
  address = kAddressUnset;
  std::free(pixels);
  pixels = nullptr;
}

namespace {

// False without a context to hold the texture.
bool CreateName(GLuint* textureName) {
  if (!WebGLPipeline::Current()) return false;
  glGenTextures(1, textureName);
  WebGLPipeline::Current()->BindForUpdate(*textureName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return true;
}

// Tells the pipeline that `textureName` has the image `rgb` (packed rows),
// and whether all its texels are one colour.
void Uploaded(GLuint textureName, const unsigned char* rgb, size_t texels) {
  WebGLPipeline* pipeline = WebGLPipeline::Current();
  for (size_t i = 1; i < texels; ++i) {
    if (std::memcmp(rgb + 3 * i, rgb, 3) != 0) {
      pipeline->MarkComplete(textureName);
      return;
    }
  }
  pipeline->MarkEven(textureName, rgb);
}

const char kNoContext[] = "No WebGL context to hold the texture: the engine is not running";

}  // namespace

void WebGLTexture::Init(int textureWidth, int textureHeight, int bpp, bool mipmapped) {
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
  if (!CreateName(&textureName)) LOG_REPORT(this, E_ERROR, "%s", kNoContext);
}

void WebGLTexture::Init(const char* filename, bool mipmapped) {
  LogScope scope("WebGLTexture::Init");
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
  if (!CreateName(&textureName)) {
    LOG_REPORT(this, E_ERROR, "%s", kNoContext);
    FreeRgbImage(image);
    return;
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, image->width, image->height, 0, GL_RGB,
               GL_UNSIGNED_BYTE, image->pixels);
  const GLenum error = glGetError();
  if (error) {
    LOG_REPORT(this, E_ERROR, "glTexImage2D : 0x%x [%d]", error, error);
    LOG_WARNING("Perhaps the browser does not support this texture size? [%d %d]", image->width,
                image->height);
  } else {
    Uploaded(textureName, image->pixels,
             static_cast<size_t>(image->width) * static_cast<size_t>(image->height));
  }
  FreeRgbImage(image);
}

void WebGLTexture::Apply(int stage, TextureOp op, AddressMode addressMode) {
  WebGLPipeline* pipeline = WebGLPipeline::Current();
  if (!pipeline) return;  // no context
  if (stage < 0 || stage >= WebGLPipeline::kStages) {
    LOG_REPORT(this, E_NOSUP, "texture stage %d unsupported: only stages 0 and 1 are drawn",
               stage);
    return;
  }
  // A texture that failed to load binds nothing: the stage passes the
  // colour it receives on.
  if (op == TOP_DISABLE || textureName == 0) {
    pipeline->EnableStage(stage, false);
    return;
  }
  pipeline->EnableStage(stage, true);
  pipeline->BindStage(stage, textureName);

  // Addressing belongs to the texture object, as in OpenGL. It is set only
  // when it changes: setting a parameter of a texture drawn with earlier in
  // the frame makes the browser's GL layer keep the draws apart.
  if (addressMode != address) {
    if (addressMode == ADDRESS_WRAP || addressMode == ADDRESS_CLAMP) {
      const GLint wrap = addressMode == ADDRESS_WRAP ? GL_REPEAT : GL_CLAMP_TO_EDGE;
      pipeline->BindForUpdate(textureName);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
      address = addressMode;
    } else {
      LOG_REPORT(this, E_NOSUP, "texture address operation unsupported!");
    }
  }

  switch (op) {
    case TOP_MODULATE:
    case TOP_ADD:
    case TOP_SELECTTEXTURE:
      pipeline->SetStageOp(stage, op);
      break;
    case TOP_ADDSIGNED:
      // OpenGL takes it only in combine mode, which is never set: the
      // stage keeps its operation.
      break;
    default:
      LOG_REPORT(this, E_NOSUP, "texture operation unsupported!");
      break;
  }
}

void* WebGLTexture::Lock() { return pixels; }

void WebGLTexture::Unlock() {
  // Nothing to upload (a file texture or a failed Init), or no context.
  WebGLPipeline* pipeline = WebGLPipeline::Current();
  if (!pixels || !textureName || !pipeline) return;
  pipeline->BindForUpdate(textureName);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&pixels[i]);
    pixels[i] = (static_cast<uint32_t>(bytes[0]) << 16) | (static_cast<uint32_t>(bytes[1]) << 8) |
                bytes[2];
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  const GLenum error = glGetError();
  if (error) {
    LOG_REPORT(this, E_ERROR, "gl error: 0x%x", error);
    return;
  }
  pipeline->MarkComplete(textureName);
}
