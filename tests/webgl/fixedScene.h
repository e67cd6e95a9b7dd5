#pragma once

#include <string>

class BaseModel;
class Engine;
class Mesh;
class Texture;

// One fixed scene drawn through the renderer interface the way the frame
// step draws: the tank added onto the blue background; a fan of coloured
// vertices without indices that marks the stencil buffer (its last colour
// stays current and tints what follows, as immediate mode leaves it); a
// fish with the pink overlay added on stage 1; the same fish without it,
// drawn only where the fan left no mark; and two food balls in their
// texture's colour alone, one where the depth test decides, one with its
// front faces culled. No simulation; the camera is
// fixed.

const int kSceneSide = 256;

struct SceneObjects {
  BaseModel* tank;
  Texture* water;
  BaseModel* fish;
  Texture* fishSkin;
  Texture* pink;
  BaseModel* food;
  Texture* foodSkin;
  Mesh* fan;
};

// Loads the models and textures from their files and builds the fan;
// false after printing what failed.
bool LoadScene(const SceneObjects& scene);

// `variant` "" draws the scene as it is; "no-overlay" leaves the pink
// overlay off, a wrong picture that the comparison must refuse.
// `additiveBlend` sets blend factors one and one on the back end.
void DrawScene(Engine& engine, const SceneObjects& scene, const std::string& variant,
               void (*additiveBlend)());
