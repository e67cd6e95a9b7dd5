#pragma once

#include <GLES3/gl3.h>

#include <cstdint>
#include <vector>

// The picture a frame starts with, kept for the frames that start the same
// way. A frame's backdrop is what its colour clear and the first draws
// issued after it put on the canvas, where those draws can change nothing
// but colour (no depth test, so no depth writes, and no stencil test): the
// tank, added onto the background. A software renderer spends most of a
// page's frame filling it, twice over where its walls overlap, though it is
// the same picture from frame to frame while the camera stands still.
//
// The pipeline describes the draws by a key holding everything they are
// drawn from (see WebGLPipeline::Flush). When the same key comes in two
// frames running, the second copies its picture to a renderbuffer; from
// then on a frame whose key equals the kept one copies the picture back in
// place of the draws, the same pixels for a fraction of the work. A moving
// camera changes the key every frame, and nothing is copied.
class WebGLBackdrop {
 public:
  void Release();
  // Tests compare the pictures drawn with and without kept backdrops.
  void SetKeeping(bool on);
  int Reuses() const { return reuses; }

  // A colour clear of the whole `width` x `height` canvas: the draws issued
  // next may make a backdrop.
  void Begin(const float colour[4], int width, int height);
  bool Open() const { return open; }
  // The first draws since Begin can change only colour and are described
  // by `key` (appended to what Begin recorded): true when the kept picture
  // has been put in their place, false when they must be drawn, after
  // which Drawn keeps their picture if it may serve.
  bool Reuse(const std::vector<uint32_t>& key);
  void Drawn();
  // The draws since Begin make no backdrop.
  void Close();

 private:
  // Sizes our renderbuffer to the canvas; false when it cannot be drawn to.
  bool Allocate();
  // Copies the whole canvas between the default framebuffer and ours.
  void Copy(bool toCanvas);

  bool keeping = true;
  bool open = false;
  int width = 0, height = 0;
  std::vector<uint32_t> key;       // this frame's, from Begin on
  std::vector<uint32_t> previous;  // the frame before's, when it had one
  std::vector<uint32_t> kept;      // the kept picture's
  GLuint framebuffer = 0, renderbuffer = 0;
  int keptWidth = 0, keptHeight = 0;
  int reuses = 0;
};
