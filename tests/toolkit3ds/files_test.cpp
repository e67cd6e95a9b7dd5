// The toolkit's error list and file table.
#include <cstring>
#include <fstream>
#include <iterator>

#include "toolkitTest.h"

using namespace build3ds;

using Errors3ds = ToolkitTest;
using FileTable3ds = ToolkitTest;

TEST_F(Errors3ds, TextsAndCodes) {
  EXPECT_STREQ(ErrorText3ds(ERR_INVALID_CHUNK),
               "ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading the database. "
               "Usually caused by a corrupt database or file");
  EXPECT_STREQ(ErrorText3ds(ERR_TOO_MANY_FILES),
               "ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file limit of 252 files.");
  EXPECT_STREQ(ErrorText3ds(N_ERRORS), "N_ERRORS: More errors were reported then could be recorded.");
  EXPECT_STREQ(ErrorText3ds(20), "Unknown error code was encountered");
  EXPECT_STREQ(ErrorText3ds(-1), "Unknown error code was encountered");

  EXPECT_EQ(ErrorPush3ds(NO_FTK_ERRORS), nullptr);
  EXPECT_FALSE(ErrorRaised3ds());
  EXPECT_STREQ(ErrorPush3ds(ERR_NO_MEM), ErrorText3ds(ERR_NO_MEM));
  EXPECT_TRUE(ErrorRaised3ds());
  EXPECT_EQ(Errors(), std::vector<int32_t>{ERR_NO_MEM});
}

TEST_F(Errors3ds, OverflowEntryThenTooManyErrors) {
  for (int i = 0; i < kErrorEntries3ds; i++) ErrorPush3ds(ERR_READING_FILE);
  const errorlist3ds& list = ErrorList3ds();
  EXPECT_EQ(list.entries[kErrorEntries3ds].code, 0);
  EXPECT_EQ(list.overflow.code, 0);
  ErrorPush3ds(ERR_INVALID_ARG);  // the 20th
  EXPECT_EQ(list.overflow.code, ERR_INVALID_ARG);
  ErrorPush3ds(ERR_NO_MEM);  // the 21st
  EXPECT_EQ(list.overflow.code, N_ERRORS);
  EXPECT_STREQ(list.overflow.message, ErrorText3ds(N_ERRORS));
  EXPECT_EQ(list.entries[kErrorEntries3ds].code, 0);
}

TEST_F(FileTable3ds, SameNameAndModeGivesTheSameRecord) {
  const std::string name = Write(MeshFile(""));
  filerec3ds* first = FileOpen3ds(name.c_str(), "rb");
  filerec3ds* second = FileOpen3ds(name.c_str(), "r");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->mode, kFileRead3ds);
  EXPECT_EQ(FileByIndex3ds(first->index), first);
  FileClose3ds(first);
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(FileTable3ds, FirstOfRAndWDecidesTheMode) {
  const std::string name = Write(MeshFile(""));
  filerec3ds* reader = FileOpen3ds(name.c_str(), "xr+w");
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->mode, kFileRead3ds);
  FileClose3ds(reader);

  const std::string other = FileName("-written");
  filerec3ds* writer = FileOpen3ds(other.c_str(), "wr");
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(writer->mode, kFileWrite3ds);
  FileClose3ds(writer);
  std::remove(other.c_str());
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(FileTable3ds, BadArgumentsFailWithoutHoldingASlot) {
  const std::string name = Write(MeshFile(""));
  EXPECT_EQ(FileOpen3ds(nullptr, "r"), nullptr);
  EXPECT_EQ(FirstError(), ERR_INVALID_ARG);

  ErrorClear3ds();
  EXPECT_EQ(FileOpen3ds(name.c_str(), "x"), nullptr);
  EXPECT_EQ(Errors(), std::vector<int32_t>{ERR_INIT_FAILED});

  ErrorClear3ds();
  EXPECT_EQ(FileOpen3ds(name.c_str(), std::string(31, 'r').c_str()), nullptr);
  EXPECT_EQ(Errors(), std::vector<int32_t>{ERR_STRING_TOO_LONG});

  // The failed opens left the table as it was: the next file takes slot 0.
  ErrorClear3ds();
  filerec3ds* opened = FileOpen3ds(name.c_str(), "r");
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->index, 0);
  FileClose3ds(opened);
}

TEST_F(FileTable3ds, AFailedOpenStopsEveryLaterOpen) {
  const std::string name = Write(MeshFile(""));
  EXPECT_EQ(FileOpen3ds("no such file.3ds", "r"), nullptr);
  EXPECT_EQ(Errors(), std::vector<int32_t>{ERR_OPENING_FILE});
  EXPECT_EQ(FileOpen3ds(name.c_str(), "r"), nullptr);
  EXPECT_EQ(Errors(), (std::vector<int32_t>{ERR_OPENING_FILE, ERR_INIT_FAILED}));
  EXPECT_EQ(FileByIndex3ds(0), nullptr);
}

TEST_F(FileTable3ds, At252OpenFilesTheNextIsRefused) {
  std::vector<filerec3ds*> open;
  std::vector<std::string> names;
  for (int i = 0; i < kMaxFiles3ds; i++) {
    names.push_back(FileName("-" + std::to_string(i)));
    open.push_back(FileOpen3ds(names.back().c_str(), "w"));
    ASSERT_NE(open.back(), nullptr) << i;
    EXPECT_EQ(open.back()->index, i);
  }
  const std::string extra = FileName("-extra");
  EXPECT_EQ(FileOpen3ds(extra.c_str(), "w"), nullptr);
  EXPECT_EQ(Errors(), std::vector<int32_t>{ERR_TOO_MANY_FILES});

  // A closed file frees its slot for the next open.
  ErrorClear3ds();
  FileClose3ds(open[17]);
  filerec3ds* reopened = FileOpen3ds(extra.c_str(), "w");
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->index, 17);
  open[17] = reopened;
  names.push_back(extra);
  for (filerec3ds* f : open) FileClose3ds(f);
  for (const std::string& n : names) std::remove(n.c_str());
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(FileTable3ds, WritingANameThatIsBeingReadMovesTheReaderAside) {
  const std::string original = MeshFile(MeshObject("Kept", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2, 0}}));
  const std::string name = Write(original);
  file = FileOpen3ds(name.c_str(), "r");
  ASSERT_NE(file, nullptr);
  DatabaseInit3ds(&db);
  DatabaseRead3ds(file, db);

  filerec3ds* writer = FileOpen3ds(name.c_str(), "w");
  ASSERT_NE(writer, nullptr);
  ASSERT_NE(writer, file);
  EXPECT_TRUE(file->temporary);
  const std::string aside = file->name;
  EXPECT_NE(aside, name);
  FileClose3ds(writer);  // leaves an empty file under the old name

  // The reader still reads the original contents.
  meshrec3ds* mesh = nullptr;
  MeshByIndex3ds(db, 0, &mesh);
  ASSERT_NE(mesh, nullptr);
  EXPECT_STREQ(mesh->name, "Kept");
  EXPECT_EQ(mesh->vertexCount, 3);
  MeshRecordRelease3ds(&mesh);

  std::ifstream rewritten(name, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(rewritten), {}), "");
  DatabaseRelease3ds(&db);
  FileClose3ds(file);
  file = nullptr;
  EXPECT_FALSE(std::ifstream(aside).good()) << "the moved file is deleted when closed";
  EXPECT_FALSE(ErrorRaised3ds());
}

TEST_F(FileTable3ds, ReadingANameThatIsBeingWrittenClosesTheWriter) {
  const std::string name = Write(MeshFile(""));
  filerec3ds* writer = FileOpen3ds(name.c_str(), "w");
  ASSERT_NE(writer, nullptr);
  const uint8_t slot = writer->index;
  file = FileOpen3ds(name.c_str(), "r");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(FileByIndex3ds(slot), nullptr);
  EXPECT_EQ(file->length, 0u);  // the writer emptied it
  EXPECT_FALSE(ErrorRaised3ds());
}
