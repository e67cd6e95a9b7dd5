// Mesh names and mesh records.
#include <cstring>

#include "toolkitTest.h"

using namespace build3ds;

using Meshes3ds = ToolkitTest;
using MeshRecord3ds = ToolkitTest;

namespace {
const std::vector<Point> kSquare = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const std::vector<Face> kSquareFaces = {{0, 1, 2, 3}, {0, 2, 3, 5}};

std::string Light(const std::string& name) {
  return Object(name, Chunk(0x4600, F32(1) + F32(2) + F32(3)));
}

std::vector<std::string> Names(const namelist3ds* list) {
  std::vector<std::string> names;
  for (uint32_t i = 0; i < list->count; i++) names.emplace_back(list->names[i]);
  return names;
}

// A record initialised and then filled from the index-th mesh object.
meshrec3ds* Fill(dbrec3ds* db, int index) {
  meshrec3ds* mesh = nullptr;
  MeshRecordInit3ds(&mesh, 0, 0, 0);
  MeshByIndex3ds(db, index, &mesh);
  return mesh;
}

void ExpectEmpty(const meshrec3ds* mesh) {
  ASSERT_NE(mesh, nullptr);
  EXPECT_STREQ(mesh->name, "");
  EXPECT_EQ(mesh->vertexCount, 0);
  EXPECT_EQ(mesh->vertices, nullptr);
  EXPECT_EQ(mesh->faceCount, 0);
  EXPECT_EQ(mesh->faces, nullptr);
  EXPECT_EQ(mesh->texCoordCount, 0);
  EXPECT_EQ(mesh->materialGroupCount, 0);
}
}  // namespace

TEST_F(Meshes3ds, OnlyObjectsWithATriangleMeshAreListed) {
  Load(MeshFile(Light("Lamp") + MeshObject("Square", kSquare, kSquareFaces) + Light("Sun")));
  namelist3ds* names = nullptr;
  MeshNames3ds(db, &names);
  ASSERT_NE(names, nullptr);
  EXPECT_EQ(Names(names), std::vector<std::string>{"Square"});
  EXPECT_EQ(names->capacity, 1u);
  NameListRelease3ds(&names);
  EXPECT_EQ(names, nullptr);

  meshrec3ds* mesh = Fill(db, 0);
  EXPECT_STREQ(mesh->name, "Square");
  ASSERT_EQ(mesh->vertexCount, 4);
  EXPECT_EQ(mesh->vertices[2].x, 1.0f);
  EXPECT_EQ(mesh->vertices[2].y, 1.0f);
  ASSERT_EQ(mesh->faceCount, 2);
  EXPECT_EQ(mesh->faces[1].a, 0);
  EXPECT_EQ(mesh->faces[1].b, 2);
  EXPECT_EQ(mesh->faces[1].c, 3);
  EXPECT_EQ(mesh->faces[1].flags, 5);
  MeshRecordRelease3ds(&mesh);
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Meshes3ds, FileWithoutMeshes) {
  Load(MeshFile(Light("Lamp")));
  namelist3ds* names = nullptr;
  MeshNames3ds(db, &names);
  EXPECT_EQ(names->count, 0u);
  EXPECT_EQ(names->capacity, 5u);
  NameListRelease3ds(&names);
  NameListRelease3ds(&names);  // empty: nothing to do
  EXPECT_FALSE(ErrorRaised3ds());
  NameListRelease3ds(nullptr);
  EXPECT_EQ(FirstError(), ERR_INVALID_ARG);
}

TEST_F(Meshes3ds, IndexBeyondTheMeshesLeavesTheRecord) {
  Load(MeshFile(MeshObject("Square", kSquare, kSquareFaces)));
  meshrec3ds* mesh = Fill(db, 1);
  ExpectEmpty(mesh);
  MeshRecordRelease3ds(&mesh);
  mesh = Fill(db, -1);
  ExpectEmpty(mesh);
  MeshRecordRelease3ds(&mesh);
  EXPECT_EQ(mesh, nullptr);
  MeshRecordRelease3ds(&mesh);
  EXPECT_FALSE(ErrorRaised3ds());
}

// Read from memory, as from a pipe; the meshes are asked for out of order.
TEST_F(Meshes3ds, MeshesOfAFileImageInAnyOrder) {
  const std::string image = MeshFile(MeshObject("A", kSquare, kSquareFaces) + Light("Lamp") +
                                     MeshObject("B", kSquare, {}) + MeshObject("C", {}, {}));
  file = FileOpenBytes3ds("image", image.data(), image.size());
  DatabaseInit3ds(&db);
  DatabaseRead3ds(file, db);
  for (int index : {2, 0, 1, 2, 3, 1}) {
    meshrec3ds* mesh = Fill(db, index);
    EXPECT_STREQ(mesh->name, index < 3 ? std::string(1, static_cast<char>('A' + index)).c_str() : "");
    EXPECT_EQ(mesh->vertexCount, index < 2 ? 4 : 0);
    MeshRecordRelease3ds(&mesh);
  }
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Meshes3ds, TextureCoordinatesAsTheFileGivesThem) {
  const std::string fewer = Object("Fewer", TriMesh(Vertices(kSquare) + TexCoords({{0.25f, 0.5f}, {1, 0}}) +
                                                    Faces(kSquareFaces)));
  Load(MeshFile(fewer + MeshObject("None", kSquare, kSquareFaces)));
  meshrec3ds* mesh = Fill(db, 0);
  EXPECT_EQ(mesh->vertexCount, 4);
  ASSERT_EQ(mesh->texCoordCount, 2);
  EXPECT_EQ(mesh->texCoords[0].u, 0.25f);
  EXPECT_EQ(mesh->texCoords[0].v, 0.5f);
  MeshByIndex3ds(db, 1, &mesh);  // reusing the record
  EXPECT_STREQ(mesh->name, "None");
  EXPECT_EQ(mesh->texCoordCount, 0);
  EXPECT_EQ(mesh->texCoords, nullptr);
  MeshRecordRelease3ds(&mesh);
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Meshes3ds, EveryPartOfTheObject) {
  std::string mapping = U16(2) + F32(3) + F32(4) + F32(5) + F32(6) + F32(7) + F32(8);
  for (int i = 0; i < 12; i++) mapping += F32(static_cast<float>(i));
  mapping += F32(9) + F32(10) + F32(11);
  std::string axes;
  for (int i = 0; i < 12; i++) axes += F32(0.5f * i);
  std::string boxMap;
  for (const char* name : {"front", "back", "left", "right", "top", "a sixteen chars!"}) boxMap += Str(name);
  const std::string faceChildren = FaceMaterial("Red", {1}) + FaceMaterial("Blue", {0, 1}) +
                                   Chunk(0x4150, U32(1) + U32(6)) + Chunk(0x4190, boxMap);
  const std::string mesh = TriMesh(
      Vertices(kSquare) + Chunk(0x4111, U16(4) + U16(1) + U16(2) + U16(3) + U16(4)) +
      Faces(kSquareFaces, faceChildren) + Chunk(0x4160, axes) + Chunk(0x4165, U8(9)) + Chunk(0x4170, mapping) +
      Chunk(0x4181, Str("proc")) + Chunk(0x4182, "PROCDATA") + Chunk(0x4199, "ignored"));
  Load(MeshFile(Object("All", Chunk(0x4010, "") + Chunk(0x4015, "") + Chunk(0x4017, "") + mesh)));

  meshrec3ds* m = Fill(db, 0);
  ASSERT_FALSE(ErrorRaised3ds()) << FirstError();
  EXPECT_TRUE(m->isHidden);
  EXPECT_TRUE(m->useProcedure);
  EXPECT_TRUE(m->receivesNoShadow);
  EXPECT_FALSE(m->isFrozen);
  EXPECT_FALSE(m->isMatte);
  ASSERT_EQ(m->vertexFlagCount, 4);
  EXPECT_EQ(m->vertexFlags[3], 4);
  ASSERT_EQ(m->materialGroupCount, 2);
  EXPECT_STREQ(m->materialGroups[0].name, "Red");
  ASSERT_EQ(m->materialGroups[0].faceCount, 1);
  EXPECT_EQ(m->materialGroups[0].faceIndices[0], 1);
  EXPECT_STREQ(m->materialGroups[1].name, "Blue");
  EXPECT_EQ(m->materialGroups[1].faceCount, 2);
  ASSERT_EQ(m->smoothGroupCount, 2);
  EXPECT_EQ(m->smoothGroups[1], 6u);
  EXPECT_TRUE(m->hasBoxMap);
  EXPECT_STREQ(m->boxMapNames[0], "front");
  EXPECT_STREQ(m->boxMapNames[5], "a sixteen chars!");
  EXPECT_EQ(m->localAxes[11], 5.5f);
  EXPECT_EQ(m->colourIndex, 9);
  EXPECT_TRUE(m->hasMapping);
  EXPECT_EQ(m->mappingType, 2);
  EXPECT_EQ(m->tileX, 3.0f);
  EXPECT_EQ(m->iconPosition[2], 7.0f);
  EXPECT_EQ(m->iconScale, 8.0f);
  EXPECT_EQ(m->mappingMatrix[11], 11.0f);
  EXPECT_EQ(m->cylinderHeight, 11.0f);
  EXPECT_STREQ(m->procedureName, "proc");
  ASSERT_EQ(m->procedureDataSize, 8u);
  EXPECT_EQ(std::memcmp(m->procedureData, "PROCDATA", 8), 0);

  // The record does not refer into the database.
  DatabaseRelease3ds(&db);
  EXPECT_EQ(m->materialGroups[1].faceIndices[1], 1);
  MeshRecordRelease3ds(&m);
}

TEST_F(Meshes3ds, DefaultsWithoutOptionalChunks) {
  Load(MeshFile(MeshObject("Plain", kSquare, kSquareFaces)));
  meshrec3ds* m = Fill(db, 0);
  EXPECT_FALSE(m->hasMapping);
  EXPECT_EQ(m->tileX, 1.0f);
  EXPECT_EQ(m->tileY, 1.0f);
  EXPECT_EQ(m->iconScale, 1.0f);
  EXPECT_EQ(m->mappingMatrix[0], 1.0f);
  EXPECT_EQ(m->mappingMatrix[4], 1.0f);
  EXPECT_EQ(m->mappingMatrix[1], 0.0f);
  EXPECT_EQ(m->planarWidth, 1.0f);
  EXPECT_EQ(m->smoothGroups, nullptr);
  EXPECT_FALSE(m->hasBoxMap);
  MeshRecordRelease3ds(&m);
}

TEST_F(Meshes3ds, CountsBeyondTheirChunkAreRefusedBeforeReading) {
  struct Case {
    const char* what;
    std::string mesh;
  };
  std::string vertices = Vertices(kSquare);
  vertices[6] = static_cast<char>(0xFF);  // 255 (then 65535) claimed, 4 present
  vertices[7] = static_cast<char>(0xFF);
  std::string texCoords = TexCoords({{0, 0}});
  texCoords[6] = 2;
  const Case cases[] = {
      {"vertices", TriMesh(vertices + Faces(kSquareFaces))},
      {"texcoords", TriMesh(Vertices(kSquare) + texCoords + Faces(kSquareFaces))},
      {"vertex flags", TriMesh(Vertices(kSquare) + Chunk(0x4111, U16(3) + U16(1)))},
      {"face material", TriMesh(Vertices(kSquare) + Faces(kSquareFaces, Chunk(0x4130, Str("M") + U16(4) + U16(0))))},
      {"mapping", TriMesh(Vertices(kSquare) + Chunk(0x4170, U16(1) + F32(1)))},
      {"colour index", TriMesh(Vertices(kSquare) + Chunk(0x4165, ""))},
  };
  for (const Case& c : cases) {
    ErrorClear3ds();
    DatabaseRelease3ds(&db);
    FileClose3ds(file);
    LoadPath(Write(MeshFile(Object("Bad", c.mesh)), std::string("-") + c.what));
    ASSERT_FALSE(ErrorRaised3ds()) << c.what;
    meshrec3ds* mesh = Fill(db, 0);
    EXPECT_EQ(FirstError(), ERR_INVALID_CHUNK) << c.what;
    ExpectEmpty(mesh);
    MeshRecordRelease3ds(&mesh);
  }
}

// A face naming a missing vertex is dropped with its smoothing entry; group
// entries follow the faces that stay, and the object after loads too.
TEST_F(Meshes3ds, FacesBeyondTheirVerticesAreDropped) {
  const std::vector<Face> faces = {{0, 1, 2, 0}, {0, 1, 4, 0}, {0, 2, 3, 0}};
  const std::string smoothing = Chunk(0x4150, U32(1) + U32(2) + U32(4));
  Load(MeshFile(Object("Torn", TriMesh(Vertices(kSquare) +
                                        Faces(faces, FaceMaterial("M", {2, 1, 0, 7}) + smoothing))) +
                Object("Bare", TriMesh(Faces(kSquareFaces))) +
                MeshObject("Square", kSquare, kSquareFaces)));
  meshrec3ds* torn = Fill(db, 0);
  EXPECT_FALSE(ErrorRaised3ds());
  ASSERT_EQ(torn->faceCount, 2);
  EXPECT_EQ(torn->faces[1].b, 2);
  EXPECT_EQ(torn->faces[1].c, 3);
  ASSERT_EQ(torn->smoothGroupCount, 2);
  EXPECT_EQ(torn->smoothGroups[1], 4u);
  ASSERT_EQ(torn->materialGroupCount, 1);
  ASSERT_EQ(torn->materialGroups[0].faceCount, 2);
  EXPECT_EQ(torn->materialGroups[0].faceIndices[0], 1);
  EXPECT_EQ(torn->materialGroups[0].faceIndices[1], 0);
  MeshRecordRelease3ds(&torn);

  meshrec3ds* bare = Fill(db, 1);
  EXPECT_STREQ(bare->name, "Bare");
  EXPECT_EQ(bare->faceCount, 0);
  MeshRecordRelease3ds(&bare);
  meshrec3ds* square = Fill(db, 2);
  EXPECT_EQ(square->faceCount, 2);
  EXPECT_TRUE(Errors().empty());
  MeshRecordRelease3ds(&square);
}

// The fuzzer's seed holds a mesh larger than short inputs can.
TEST_F(Meshes3ds, SeedHoldsALargeMesh) {
  LoadPath(SEED_CORPUS "/grid3000.3ds");
  meshrec3ds* mesh = Fill(db, 0);
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(mesh->vertexCount, 3000);
  EXPECT_EQ(mesh->texCoordCount, 3000);
  EXPECT_EQ(mesh->faceCount, 5782);
  EXPECT_EQ(mesh->materialGroupCount, 1);
  MeshRecordRelease3ds(&mesh);
}

TEST_F(Meshes3ds, AfterAnEarlierErrorNothingIsExtracted) {
  Load(MeshFile(MeshObject("Square", kSquare, kSquareFaces)));
  ErrorPush3ds(ERR_INVALID_ARG);
  namelist3ds* names = nullptr;
  MeshNames3ds(db, &names);
  EXPECT_EQ(names->count, 0u);
  NameListRelease3ds(&names);
  meshrec3ds* mesh = nullptr;
  MeshRecordInit3ds(&mesh, 0, 0, 0);
  MeshByIndex3ds(db, 0, &mesh);
  ExpectEmpty(mesh);
  MeshRecordRelease3ds(&mesh);
}

TEST_F(Meshes3ds, WrongDatabases) {
  dbrec3ds* empty = nullptr;
  DatabaseInit3ds(&empty);
  meshrec3ds* mesh = nullptr;
  MeshByIndex3ds(empty, 0, &mesh);
  EXPECT_EQ(Errors(), std::vector<int32_t>{ERR_INVALID_DATABASE});
  DatabaseRelease3ds(&empty);

  ErrorClear3ds();
  Load(Chunk(0x3DAA, ""));
  MeshByIndex3ds(db, 0, &mesh);
  EXPECT_EQ(Errors(), std::vector<int32_t>{ERR_WRONG_DATABASE});
  EXPECT_EQ(mesh, nullptr);
}

TEST_F(MeshRecord3ds, InitSizesTheArraysItIsAskedFor) {
  meshrec3ds* mesh = nullptr;
  MeshRecordInit3ds(&mesh, 3, 2, INIT_VERTICES3DS | INIT_FACES3DS | INIT_TEXCOORDS3DS | INIT_SMOOTHING3DS);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->vertexCount, 3);
  EXPECT_EQ(mesh->vertices[2].z, 0.0f);
  EXPECT_EQ(mesh->texCoordCount, 3);
  EXPECT_EQ(mesh->texCoords[2].v, 0.0f);
  ASSERT_EQ(mesh->faceCount, 2);
  EXPECT_EQ(mesh->faces[1].a, 0);
  EXPECT_EQ(mesh->faces[1].b, 1);
  EXPECT_EQ(mesh->faces[1].c, 2);
  EXPECT_EQ(mesh->faces[1].flags, 0);
  EXPECT_EQ(mesh->smoothGroupCount, 2);
  EXPECT_EQ(mesh->vertexFlags, nullptr);

  // Growing keeps what is there and sets what is new; arrays not asked for go.
  mesh->faces[0].a = 9;
  MeshRecordInit3ds(&mesh, 1, 4, INIT_VERTEXFLAGS3DS);
  EXPECT_EQ(mesh->faces[0].a, 9);
  EXPECT_EQ(mesh->faces[3].c, 2);
  EXPECT_EQ(mesh->texCoords, nullptr);
  EXPECT_EQ(mesh->texCoordCount, 0);
  EXPECT_EQ(mesh->smoothGroups, nullptr);
  ASSERT_EQ(mesh->vertexFlagCount, 1);
  EXPECT_EQ(mesh->vertexFlags[0], 0);
  MeshRecordRelease3ds(&mesh);
  EXPECT_FALSE(ErrorRaised3ds());

  MeshRecordInit3ds(nullptr, 0, 0, 0);
  EXPECT_EQ(FirstError(), ERR_INVALID_ARG);
}
