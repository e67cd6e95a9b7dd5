#pragma once

#include <cstdint>
#include <vector>

// A colour with float channels 0..1 while painting; stored as bytes.
struct Rgb {
  float r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, float t);  // a at t = 0, b at t = 1
Rgb Scale(const Rgb& c, float s);

// A 24-bit picture whose row 0 is the bottom row, the order in which a
// bottom-up bitmap stores it. Texture coordinate v runs the same way: both
// renderers map v = 0 to the bitmap's bottom row (OpenGL uploads the rows
// bottom first and samples (u, v); Direct3D's loader puts the top row at 0
// and the mesh samples (u, 1 - v)), so a picture painted upright here is
// upright on a model under either renderer.
class Image {
 public:
  Image(int width, int height) : width_(width), height_(height), pixels_(3 * width * height) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Channels are clamped to 0..1 and rounded to bytes.
  void Set(int x, int row, const Rgb& c);
  // Red, green, blue bytes of one pixel.
  const uint8_t* At(int x, int row) const { return &pixels_[3 * (row * width_ + x)]; }

  // Paints every pixel with paint(u, v), taking (u, v) at the pixel's centre.
  template <typename Paint>
  void Fill(Paint paint) {
    for (int row = 0; row < height_; ++row)
      for (int x = 0; x < width_; ++x)
        Set(x, row, paint((x + 0.5f) / width_, (row + 0.5f) / height_));
  }

 private:
  int width_, height_;
  std::vector<uint8_t> pixels_;
};
