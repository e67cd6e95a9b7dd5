#include "webglengine/webglShaders.h"

// aMatrix is each instance's whole transform. Lighting on with no light
// enabled and no colour material leaves only the global ambient (0.2) times
// the material's ambient (0.2), and the material's diffuse alpha (0.8):
// every lit vertex has that colour. Vertex colours are clamped before they
// are interpolated, as fixed-function OpenGL does.
std::string WebGLVertexShader(bool lighting) {
  return std::string(R"(#version 300 es
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec4 aTexCoord0;
layout(location = 3) in vec4 aTexCoord1;
layout(location = 4) in mat4 aMatrix;
layout(location = 8) in vec3 aTint;
out vec4 vColour;
flat out vec3 vTint;
out vec2 vTexCoord0;
out vec2 vTexCoord1;
void main() {
  gl_Position = aMatrix * aPosition;
  gl_PointSize = 1.0;
  vColour = )") +
         (lighting ? "vec4(0.04, 0.04, 0.04, 0.8)" : "clamp(aColour, 0.0, 1.0)") + R"(;
  vTexCoord0 = aTexCoord0.xy / aTexCoord0.w;
  vTexCoord1 = aTexCoord1.xy / aTexCoord1.w;
  vTint = aTint;
}
)";
}

namespace {

// A stage's operation as glTexEnv's modes work on an RGB texture (its alpha
// is 1): 0 the stage takes no part, 1 GL_MODULATE, 2 GL_ADD (colours add
// clamped, alpha multiplies), 4 GL_REPLACE (the colour is the texture's, the
// alpha the incoming one), 5 (stage 1 only) as GL_ADD with a texture of
// one colour, the instance's tint.
std::string Stage(int stage, int op) {
  const std::string texel = "texture(uStage" + std::to_string(stage) + ", vTexCoord" +
                            std::to_string(stage) + ").rgb";
  if (op == 5 && stage == 1) return "  colour.rgb = min(colour.rgb + vTint, 1.0);\n";
  switch (op) {
    case 0: return "";
    case 1: return "  colour.rgb *= " + texel + ";\n";
    case 2: return "  colour.rgb = min(colour.rgb + " + texel + ", 1.0);\n";
    default: return "  colour.rgb = " + texel + ";\n";
  }
}

}  // namespace

std::string WebGLFragmentShader(int op0, int op1) {
  return R"(#version 300 es
precision highp float;
in vec4 vColour;
in vec2 vTexCoord0;
in vec2 vTexCoord1;
flat in vec3 vTint;
uniform sampler2D uStage0;
uniform sampler2D uStage1;
out vec4 fragColour;
void main() {
  vec4 colour = vColour;
)" + Stage(0, op0) +
         Stage(1, op1) + R"(  fragColour = colour;
}
)";
}
