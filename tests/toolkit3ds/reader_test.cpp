// Reading chunk trees into a database: kinds, structure, malformed input.
#include <cstdlib>
#include <cstring>

#include "toolkitTest.h"

using namespace build3ds;

using Reader3ds = ToolkitTest;
using Malformed3ds = ToolkitTest;
using Chunks3ds = ToolkitTest;

namespace {
std::vector<uint32_t> ChildTags(const chunknode3ds* chunk) {
  std::vector<uint32_t> tags;
  for (const chunknode3ds* c = chunk->children; c != nullptr; c = c->sibling) tags.push_back(c->tag);
  return tags;
}

const std::string kTriangle =
    MeshObject("Tri", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 7}});
}  // namespace

TEST_F(Reader3ds, KindFollowsTheRootTag) {
  Load(MeshFile(kTriangle));
  EXPECT_EQ(DatabaseKind3ds(db), DB_MESH_FILE);
  EXPECT_FALSE(ErrorRaised3ds());
  // version, scene; the scene holds the object, which holds the mesh
  ASSERT_EQ(ChildTags(db->topchunk), (std::vector<uint32_t>{0x0002, TAG_SCENE}));
  const chunknode3ds* scene = db->topchunk->children->sibling;
  EXPECT_EQ(scene->position, 16u);
  ASSERT_EQ(ChildTags(scene), std::vector<uint32_t>{TAG_OBJECT});
  EXPECT_EQ(ChildTags(scene->children), std::vector<uint32_t>{TAG_TRIMESH});
  EXPECT_EQ(ChildTags(scene->children->children), (std::vector<uint32_t>{TAG_VERTICES, TAG_FACES}));

  const std::pair<uint16_t, int32_t> kinds[] = {
      {0xC23D, DB_PROJECT_FILE}, {0x3DAA, DB_MATERIAL_FILE}, {0x1234, DB_UNKNOWN}};
  for (const auto& kind : kinds) {
    dbrec3ds* other = nullptr;
    const std::string name = Write(Chunk(kind.first, Chunk(TAG_SCENE, kTriangle)), std::to_string(kind.first));
    filerec3ds* f = FileOpen3ds(name.c_str(), "r");
    DatabaseInit3ds(&other);
    DatabaseRead3ds(f, other);
    EXPECT_EQ(DatabaseKind3ds(other), kind.second) << kind.first;
    // Any other root is read alone.
    EXPECT_EQ(other->topchunk->children == nullptr, kind.second == DB_UNKNOWN);
    DatabaseRelease3ds(&other);
    EXPECT_EQ(other, nullptr);
    FileClose3ds(f);
  }
  EXPECT_FALSE(ErrorRaised3ds());
  EXPECT_EQ(DatabaseKind3ds(nullptr), DB_UNKNOWN);
}

TEST_F(Reader3ds, ObjectNamesHoldTenCharacters) {
  Load(MeshFile(MeshObject("ABCDEFGHIJ", {{0, 0, 0}}, {})));
  RefreshObjectList3ds(db);
  ASSERT_EQ(db->objlist->count, 1u);
  EXPECT_STREQ(db->objlist->list[0].name, "ABCDEFGHIJ");
  EXPECT_FALSE(ErrorRaised3ds());

  ErrorClear3ds();
  DatabaseRelease3ds(&db);
  FileClose3ds(file);
  LoadPath(Write(MeshFile(MeshObject("ABCDEFGHIJK", {{0, 0, 0}}, {})), "-long"));
  EXPECT_EQ(FirstError(), ERR_READING_FILE);
  EXPECT_EQ(Errors().back(), ERR_CREATING_DATABASE);
}

TEST_F(Reader3ds, ObjectListOfASceneWithoutObjectsIsEmpty) {
  Load(MeshFile(Chunk(0x0100, F32(1))));
  RefreshObjectList3ds(db);
  ASSERT_NE(db->objlist, nullptr);
  EXPECT_EQ(db->objlist->count, 0u);
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Reader3ds, ExtraSectionEndsAtAForeignTagAndDropsOverlongEntries) {
  const std::string section =
      Chunk(0x8001, Chunk(0x8002, "ab") + ChunkWithSize(0x8003, 500, "") + Chunk(0x8004, "") +
                        Chunk(0x8010, "xyz") + Chunk(0x8005, ""));
  Load(MeshFile(kTriangle, section + Chunk(0xB000, "")));
  EXPECT_FALSE(ErrorRaised3ds());
  EXPECT_EQ(ChildTags(db->topchunk), (std::vector<uint32_t>{0x0002, TAG_SCENE, 0x8001, 0xB000}));
  const chunknode3ds* extra = SearchSubtree3ds(db->topchunk, 0x8001);
  EXPECT_EQ(ChildTags(extra), (std::vector<uint32_t>{0x8002, 0x8004}));
}

TEST_F(Reader3ds, KeyframerNodesNameTheirParents) {
  auto node = [](uint16_t tag, int16_t id, const std::string& name, int16_t parent, const std::string& more) {
    return Chunk(tag, Chunk(0xB030, U16(static_cast<uint16_t>(id))) +
                          Chunk(0xB010, Str(name) + U16(0) + U16(0) + U16(static_cast<uint16_t>(parent))) + more);
  };
  const std::string keyframer = Chunk(
      0xB000, Chunk(0xB00A, U16(5) + Str("MAXSCENE") + U32(100)) +
                  node(0xB002, 0, "Box01", -1, Chunk(0xB011, Str("left"))) +
                  node(0xB002, 1, "Box02", 0, "") + node(0xB003, 2, "Camera01", 1, "") +
                  node(0xB004, 3, "Camera01", 7, ""));
  Load(MeshFile(kTriangle, keyframer));
  ASSERT_FALSE(ErrorRaised3ds()) << FirstError();

  std::vector<std::string> parents;
  for (chunknode3ds* header = SearchSubtree3ds(db->topchunk, 0xB000)->children; header != nullptr;
       header = header->sibling) {
    chunknode3ds* h = SearchSubtree3ds(header, TAG_NODE_HEADER);
    if (h == nullptr) continue;
    chunknode3ds* parent = SearchSiblings3ds(h->children, TAG_NODE_PARENT);
    parents.push_back(parent != nullptr ? static_cast<const char*>(parent->data) : "-");
    if (parent != nullptr) {
      EXPECT_EQ(parent->readIndex, kNoFile3ds);
    }
  }
  // The first node has none, the target's parent index names no node.
  EXPECT_EQ(parents, (std::vector<std::string>{"-", "Box01.left", "Box02", "-"}));
}

TEST_F(Reader3ds, KeyframerNodesWithoutIdsAreNumberedInOrder) {
  auto node = [](const std::string& name, int16_t parent) {
    return Chunk(0xB002, Chunk(0xB010, Str(name) + U16(0) + U16(0) + U16(static_cast<uint16_t>(parent))));
  };
  Load(MeshFile(kTriangle, Chunk(0xB000, node("Box01", -1) + node("Box02", 0))));
  EXPECT_FALSE(ErrorRaised3ds());
  // Without node ids there is nothing to match a node by: no parent names.
  EXPECT_EQ(SearchSubtree3ds(db->topchunk, TAG_NODE_PARENT), nullptr);
}

TEST_F(Malformed3ds, EmptyFile) {
  Load("");
  EXPECT_EQ(Errors(), (std::vector<int32_t>{ERR_READING_FILE, ERR_CREATING_DATABASE}));
  EXPECT_EQ(DatabaseKind3ds(db), DB_UNKNOWN);
}

TEST_F(Malformed3ds, RootSmallerThanItsHeader) {
  Load(ChunkWithSize(0x4D4D, 5, std::string(20, '\0')));
  EXPECT_EQ(Errors(), (std::vector<int32_t>{ERR_INVALID_CHUNK, ERR_CREATING_DATABASE}));
}

TEST_F(Malformed3ds, ChunkSmallerThanItsHeaderIsRefusedNotLoopedOn) {
  for (uint32_t size : {0u, 1u, 5u}) {
    ErrorClear3ds();
    DatabaseRelease3ds(&db);
    FileClose3ds(file);
    LoadPath(Write(MeshFile(kTriangle + ChunkWithSize(0x0100, size, F32(1))), std::to_string(size)));
    EXPECT_EQ(Errors(), (std::vector<int32_t>{ERR_INVALID_CHUNK, ERR_READING_DATABASE,
                                              ERR_READING_DATABASE, ERR_CREATING_DATABASE}))
        << size;
    // What was read before the bad chunk stays in the database.
    EXPECT_NE(SearchSubtree3ds(db->topchunk, TAG_VERTICES), nullptr);
  }
}

TEST_F(Malformed3ds, ChildReachingBeyondItsParentIsRefused) {
  // The vertex chunk claims 8 bytes more than its mesh chunk holds.
  const std::string vertices = Vertices({{0, 0, 0}});
  const std::string bad = ChunkWithSize(0x4110, static_cast<uint32_t>(vertices.size() + 8), vertices.substr(6));
  Load(MeshFile(Object("Bad", TriMesh(bad)) + std::string(8, '\0')));
  EXPECT_EQ(FirstError(), ERR_INVALID_CHUNK);
  EXPECT_EQ(Errors().back(), ERR_CREATING_DATABASE);
}

TEST_F(Malformed3ds, BytesTooFewForAHeaderAreRefused) {
  Load(Chunk(0x4D4D, Chunk(0x0002, U32(3)) + "abc"));
  EXPECT_EQ(Errors(), (std::vector<int32_t>{ERR_INVALID_CHUNK, ERR_READING_DATABASE, ERR_CREATING_DATABASE}));
}

TEST_F(Malformed3ds, TruncatedFileKeepsWhatWasRead) {
  const std::string whole = MeshFile(kTriangle + kTriangle);
  Load(whole.substr(0, whole.size() - 20));
  EXPECT_EQ(FirstError(), ERR_READING_FILE);
  EXPECT_EQ(Errors().back(), ERR_CREATING_DATABASE);
  RefreshObjectList3ds(db);  // stops: the flag is raised
  EXPECT_EQ(db->objlist, nullptr);
  EXPECT_NE(SearchSubtree3ds(db->topchunk, TAG_OBJECT), nullptr);
}

TEST_F(Malformed3ds, FaceListLongerThanItsChunkIsRefused) {
  // 0x4120 is read as a fixed face list before its sub-chunks.
  std::string faces = Faces({{0, 1, 2, 0}});
  faces[6] = 9;  // nine faces claimed, one present
  Load(MeshFile(Object("F", TriMesh(Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + faces))));
  EXPECT_EQ(FirstError(), ERR_INVALID_CHUNK);
}

TEST_F(Malformed3ds, NestingDeeperThanTheLimitIsRefused) {
  std::string nested = Chunk(0x0002, U32(3));
  for (int depth = 0; depth < kMaxChunkDepth3ds; depth++) nested = Chunk(TAG_SCENE, nested);
  Load(Chunk(0x4D4D, nested));
  EXPECT_EQ(FirstError(), ERR_INVALID_CHUNK);

  // One level less is read.
  ErrorClear3ds();
  DatabaseRelease3ds(&db);
  FileClose3ds(file);
  nested = Chunk(0x0002, U32(3));
  for (int depth = 0; depth < kMaxChunkDepth3ds - 2; depth++) nested = Chunk(TAG_SCENE, nested);
  LoadPath(Write(Chunk(0x4D4D, nested), "-fits"));
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Malformed3ds, StringRunningOffItsChunkIsRefused) {
  // An object chunk of 4 bytes whose name has no terminator inside it.
  Load(MeshFile(ChunkWithSize(0x4000, 10, "abcd") + Chunk(0x0100, F32(1))));
  EXPECT_EQ(FirstError(), ERR_INVALID_CHUNK);
}

TEST_F(Chunks3ds, SearchesWalkSubtreesAndSiblings) {
  Load(MeshFile(Chunk(0x0100, F32(1)) + kTriangle + MeshObject("Two", {{0, 0, 0}}, {})));
  chunknode3ds* scene = SearchSubtree3ds(db->topchunk, TAG_SCENE);
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(SearchSubtree3ds(scene, TAG_SCENE), scene);
  chunknode3ds* first = SearchSubtree3ds(scene, TAG_OBJECT);
  ASSERT_NE(first, nullptr);
  chunknode3ds* second = SearchSiblings3ds(first->sibling, TAG_OBJECT);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(SearchSiblings3ds(second->sibling, TAG_OBJECT), nullptr);
  EXPECT_EQ(SearchSubtree3ds(second, TAG_VERTICES), second->children->children);
  // A subtree search does not leave the subtree for the start's siblings.
  EXPECT_EQ(SearchSubtree3ds(scene->children, TAG_OBJECT), nullptr);
  EXPECT_EQ(SearchSubtree3ds(nullptr, TAG_OBJECT), nullptr);
}

TEST_F(Chunks3ds, CloningMovesFileDataAndCopiesOtherData) {
  Load(MeshFile(kTriangle));
  chunknode3ds* object = SearchSubtree3ds(db->topchunk, TAG_OBJECT);
  ASSERT_STREQ(static_cast<const char*>(LoadChunkData3ds(object)), "Tri");
  void* data = object->data;

  chunknode3ds* clone = nullptr;
  CloneChunk3ds(object, &clone);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->data, data);
  EXPECT_EQ(object->data, nullptr);
  EXPECT_EQ(clone->sibling, nullptr);
  EXPECT_EQ(ChildTags(clone), ChildTags(object));
  EXPECT_EQ(clone->position, object->position);

  // Data that no file backs is copied.
  chunknode3ds* made = NewChunk3ds();
  made->tag = TAG_NODE_PARENT;
  made->data = std::calloc(4, 1);
  std::memcpy(made->data, "abc", 4);
  chunknode3ds* madeClone = nullptr;
  CloneChunk3ds(made, &madeClone);
  ASSERT_NE(madeClone, nullptr);
  EXPECT_NE(madeClone->data, made->data);
  EXPECT_STREQ(static_cast<const char*>(madeClone->data), "abc");
  FreeFileChunkData3ds(made);  // not backed by a file: kept
  EXPECT_NE(made->data, nullptr);

  // A file-backed chunk can be read again after its data is freed.
  FreeFileChunkData3ds(clone);
  EXPECT_EQ(clone->data, nullptr);
  EXPECT_STREQ(static_cast<const char*>(LoadChunkData3ds(clone)), "Tri");

  FreeChunkTree3ds(&clone);
  FreeChunkTree3ds(&made);
  FreeChunkTree3ds(&madeClone);
  EXPECT_EQ(clone, nullptr);
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Chunks3ds, DataOfAClosedFileIsCopiedWhole) {
  Load(MeshFile(Object("Q", TriMesh(Vertices({{1, 2, 3}, {4, 5, 6}}) + Faces({{0, 1, 1, 0}}, FaceMaterial("M", {0}))))));
  chunknode3ds* mesh = SearchSubtree3ds(db->topchunk, TAG_TRIMESH);
  chunknode3ds* material = SearchSubtree3ds(mesh, TAG_FACE_MATERIAL);
  const vertexdata3ds* vertices = static_cast<const vertexdata3ds*>(LoadChunkData3ds(mesh->children));
  ASSERT_NE(vertices, nullptr);
  ASSERT_NE(LoadChunkData3ds(material), nullptr);
  FileClose3ds(file);
  file = nullptr;
  EXPECT_FALSE(ChunkHasFile3ds(mesh->children));

  chunknode3ds* clone = nullptr;
  CloneChunk3ds(mesh, &clone);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(mesh->children->data, vertices);
  const vertexdata3ds* copied = static_cast<const vertexdata3ds*>(clone->children->data);
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied->vertices, vertices->vertices);
  ASSERT_EQ(copied->count, 2);
  EXPECT_EQ(copied->vertices[1].z, 6.0f);
  const facematdata3ds* group =
      static_cast<const facematdata3ds*>(SearchSubtree3ds(clone, TAG_FACE_MATERIAL)->data);
  ASSERT_NE(group, nullptr);
  EXPECT_STREQ(group->name, "M");
  EXPECT_NE(group->faces, static_cast<const facematdata3ds*>(material->data)->faces);
  // Without a file the faces chunk has no data to give.
  EXPECT_EQ(LoadChunkData3ds(mesh->children->sibling), nullptr);
  FreeChunkTree3ds(&clone);
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Chunks3ds, RawDataOfOtherTags) {
  Load(MeshFile(Chunk(0x0100, F32(2.5f)) + Chunk(0x7777, "")));
  chunknode3ds* scale = SearchSubtree3ds(db->topchunk, 0x0100);
  const uint8_t* raw = static_cast<const uint8_t*>(LoadChunkData3ds(scale));
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw), 4), F32(2.5f));
  EXPECT_EQ(LoadChunkData3ds(SearchSubtree3ds(db->topchunk, 0x7777)), nullptr);
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(Chunks3ds, ReadingAgainReplacesTheTree) {
  Load(MeshFile(kTriangle));
  RefreshObjectList3ds(db);
  DatabaseRead3ds(file, db);  // the first tree and its list are released
  EXPECT_EQ(db->objlist, nullptr);
  RefreshObjectList3ds(db);
  ASSERT_NE(db->objlist, nullptr);
  EXPECT_EQ(db->objlist->count, 1u);
  EXPECT_FALSE(ErrorRaised3ds());
}
