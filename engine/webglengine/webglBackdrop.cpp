#include "webglengine/webglBackdrop.h"

#include <cstring>

void WebGLBackdrop::Release() {
  if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
  if (renderbuffer) glDeleteRenderbuffers(1, &renderbuffer);
  framebuffer = renderbuffer = 0;
  keptWidth = keptHeight = 0;
  open = false;
  key.clear();
  previous.clear();
  kept.clear();
}

void WebGLBackdrop::SetKeeping(bool on) {
  keeping = on;
  kept.clear();
  previous.clear();
}

void WebGLBackdrop::Begin(const float colour[4], int canvasWidth, int canvasHeight) {
  open = keeping;
  width = canvasWidth;
  height = canvasHeight;
  key.clear();
  key.push_back(static_cast<uint32_t>(width));
  key.push_back(static_cast<uint32_t>(height));
  for (int i = 0; i < 4; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &colour[i], sizeof bits);
    key.push_back(bits);
  }
}

bool WebGLBackdrop::Reuse(const std::vector<uint32_t>& draws) {
  open = false;
  key.insert(key.end(), draws.begin(), draws.end());
  if (kept.empty() || key != kept) return false;
  Copy(true);
  ++reuses;
  previous = key;
  return true;
}

bool WebGLBackdrop::Allocate() {
  if (renderbuffer && keptWidth == width && keptHeight == height) return true;
  if (!framebuffer) glGenFramebuffers(1, &framebuffer);
  if (!renderbuffer) glGenRenderbuffers(1, &renderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
  // The canvas's own format: a copy between like formats converts nothing.
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete) return false;
  keptWidth = width;
  keptHeight = height;
  return true;
}

void WebGLBackdrop::Drawn() {
  // Twice running: the camera stands still, and the copy will pay. (A key
  // equal to the kept one never gets here: Reuse took it.)
  if (key == previous) {
    if (!Allocate()) {
      // Nothing is kept where the copy cannot be made; frames draw as before.
      keeping = false;
      previous.clear();
      return;
    }
    Copy(false);
    kept = key;
  }
  previous.swap(key);
}

void WebGLBackdrop::Close() {
  if (open) previous.clear();
  open = false;
}

void WebGLBackdrop::Copy(bool toCanvas) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, toCanvas ? framebuffer : 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, toCanvas ? 0 : framebuffer);
  glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
