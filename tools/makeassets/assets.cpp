#include "makeassets/assets.h"

#include "makeassets/fishMeshes.h"
#include "makeassets/fishTextures.h"
#include "makeassets/props.h"
#include "makeassets/textures.h"
#include "makeassets/writer3ds.h"
#include "makeassets/writerBmp.h"

std::vector<AssetFile> MakeAssets() {
  const FishShape tetra(NeonTetraDesign()), angel(AngelfishDesign()), shark(SharkDesign());
  return {
      {"cube.3ds", Encode3ds(MakeTankModel())},
      {"sphererot270.3ds", Encode3ds(MakeFoodModel())},
      {"NeonTetra0.3ds", Encode3ds(MakeFishModel(tetra, "NeonTetra", "neontet.bmp"))},
      {"Angel0.3ds", Encode3ds(MakeFishModel(angel, "Angelfish", "AngelT.bmp"))},
      {"Mezirozame0.3ds", Encode3ds(MakeFishModel(shark, "Shark", "MeziroT.bmp"))},
      {"water.bmp", EncodeBmp(PaintWater())},
      {"food.bmp", EncodeBmp(PaintFood())},
      {"neontet.bmp", EncodeBmp(PaintNeonTetraSkin(tetra))},
      {"AngelT.bmp", EncodeBmp(PaintAngelfishSkin(angel))},
      {"MeziroT.bmp", EncodeBmp(PaintSharkSkin(shark))},
      {"pink.bmp", EncodeBmp(PaintPinkOverlay())},
      {"green.bmp", EncodeBmp(PaintGreenOverlay())},
      {"rot.bmp", EncodeBmp(PaintRot())},
  };
}
