#include "webglengine/webglShaders.h"

// aMatrix is each instance's whole transform. Lighting on with no light
// enabled and no colour material leaves only the global ambient (0.2) times
// the material's ambient (0.2), and the material's diffuse alpha (0.8):
// every lit vertex has that colour. Vertex colours are clamped before they
// are interpolated, as fixed-function OpenGL does.
const char* const kWebGLVertexShader = R"(#version 300 es
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec4 aTexCoord0;
layout(location = 3) in vec4 aTexCoord1;
layout(location = 4) in mat4 aMatrix;
layout(location = 8) in vec3 aTint;
uniform bool uLighting;
out vec4 vColour;
flat out vec3 vTint;
out vec2 vTexCoord0;
out vec2 vTexCoord1;
const vec4 kLit = vec4(0.04, 0.04, 0.04, 0.8);
void main() {
  gl_Position = aMatrix * aPosition;
  gl_PointSize = 1.0;
  vColour = uLighting ? kLit : clamp(aColour, 0.0, 1.0);
  vTexCoord0 = aTexCoord0.xy / aTexCoord0.w;
  vTexCoord1 = aTexCoord1.xy / aTexCoord1.w;
  vTint = aTint;
}
)";

// A stage's operation as glTexEnv's modes work on an RGB texture (its alpha
// is 1): 0 the stage takes no part, 1 GL_MODULATE, 2 GL_ADD (colours add
// clamped, alpha multiplies), 4 GL_REPLACE (the colour is the texture's, the
// alpha the incoming one), 5 (stage 1 only) as GL_ADD with a texture of
// one colour, the instance's tint.
const char* const kWebGLFragmentShader = R"(#version 300 es
precision highp float;
in vec4 vColour;
in vec2 vTexCoord0;
in vec2 vTexCoord1;
flat in vec3 vTint;
uniform sampler2D uStage0;
uniform sampler2D uStage1;
uniform int uStageOp0;
uniform int uStageOp1;
out vec4 fragColour;
vec4 Combine(vec4 incoming, sampler2D stage, vec2 uv, int op) {
  if (op == 0) return incoming;
  vec3 texel = texture(stage, uv).rgb;
  if (op == 1) return vec4(incoming.rgb * texel, incoming.a);
  if (op == 2) return vec4(min(incoming.rgb + texel, 1.0), incoming.a);
  return vec4(texel, incoming.a);
}
void main() {
  vec4 colour = Combine(vColour, uStage0, vTexCoord0, uStageOp0);
  if (uStageOp1 == 5)
    fragColour = vec4(min(colour.rgb + vTint, 1.0), colour.a);
  else
    fragColour = Combine(colour, uStage1, vTexCoord1, uStageOp1);
}
)";
