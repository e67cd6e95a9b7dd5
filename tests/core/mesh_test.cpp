#include "core/mesh.h"

#include <gtest/gtest.h>

#include "core/log.h"

namespace {

// The smallest concrete mesh: only the shared operations are under test.
class BareMesh : public Mesh {
 public:
  void Init(MeshDesc) override {}
  void SetVertices(const float*) override {}
  void SetDiffuse(const Colour*) override {}
  void SetSpecular(const Colour*) override {}
  void SetNormals(const float*) override {}
  void SetIndices(const int*) override {}
  void Render() override {}
  void SetTextureCoords(const float*, int) override {}
  void SetTransform(float, float, float, float, float, float) override {}
  void SetVertexShader(VertexShader*) override {}
};

TEST(Mesh, SetTextureStoresStagesZeroToSevenOnly) {
  BareMesh mesh;
  EXPECT_EQ(mesh.status, E_UNINIT);
  EXPECT_EQ(mesh.vertexCount, 0);
  for (Texture* t : mesh.textures) EXPECT_EQ(t, nullptr);
  Texture* const marker = reinterpret_cast<Texture*>(&mesh);
  mesh.SetTexture(marker, 3);
  mesh.SetTexture(marker, 8);
  mesh.SetTexture(marker, -1);
  for (int stage = 0; stage < kTextureStages; ++stage)
    EXPECT_EQ(mesh.textures[stage], stage == 3 ? marker : nullptr) << stage;
  Log::Close();  // the refused stages were logged; later tests expect no log
}

}  // namespace
