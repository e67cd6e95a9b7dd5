#pragma once

#include "core/baseModel.h"
#include "core/texture.h"

// The thirteen assets of the frame step (declared in frameStep.h), the same
// for every shell and back end.

// Creates every asset object through the back end's factories.
void CreateAssets(BaseModel* (*newModel)(), Texture* (*newTexture)());
// Loads each asset from its file in the working directory. Failures show in
// the log and in each object's status; the caller goes on.
void LoadAssets();
// Deletes every asset object (not the engine) and clears its pointer.
void DeleteAssets();

// One asset: a model or a texture, with the file it is loaded from.
struct AssetEntry {
  BaseModel* model;
  Texture* texture;
  const char* fileName;
  EngineObject* Object() const { return model ? static_cast<EngineObject*>(model) : texture; }
};
constexpr int kAssetCount = 13;
// The assets in loading order, so a shell can tell a person which failed;
// null objects before CreateAssets.
void ListAssets(AssetEntry (&entries)[kAssetCount]);
