#include <gtest/gtest.h>

#include <cstring>

#include "foundation/ArchiveWriter.h"
#include "foundation/ResourceReader.h"
#include "tests/support/TempFolder.h"

namespace {

const char kMissing[] = "<missing>";

// Each test runs in a fresh working folder that is also the program's folder, with the
// default archive extension and nothing cached.
class ResourceTree : public ::testing::Test {
 protected:
  void SetUp() override {
    oldWorkingFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Path());
    Reset();
    SetProgramFolder(folder_.Path().string());
  }
  void TearDown() override {
    std::filesystem::current_path(oldWorkingFolder_);
    Reset();
  }
  static void Reset() {
    ClearResourceCache();
    ArchiveExtension = ".zip";
    SetProgramFolder("");
  }

  void Archive(const std::string& relative, const std::vector<TArchiveEntry>& entries,
               bool stored = false) {
    std::optional<std::string> bytes = BuildZipArchive(entries, stored);
    ASSERT_TRUE(bytes);
    folder_.Write(relative, *bytes);
  }

  static std::string Read(const std::string& path) {
    Ref<IStream> stream = OpenResourceStream(path, true);
    return stream ? ReadStreamToString(stream.get()) : kMissing;
  }

  TempFolder folder_;
  std::filesystem::path oldWorkingFolder_;
};

struct ReadCase {
  std::string path, content;
};

void ExpectReads(const std::vector<ReadCase>& cases) {
  for (const ReadCase& c : cases) {
    Ref<IStream> stream = OpenResourceStream(c.path, true);
    EXPECT_EQ(stream ? ReadStreamToString(stream.get()) : kMissing, c.content) << c.path;
  }
}

TEST_F(ResourceTree, FindsFilesByEitherSeparatorAnyCaseAndTheProgramFolder) {
  folder_.Write("data/gfx/a.png", "A");
  folder_.Write("data/x.xml", "X");
  folder_.Write("readme.txt", "R");
  folder_.Write("Data2/Mixed/File.TXT", "M");
  ExpectReads({
      {"data/gfx/a.png", "A"},
      {"data\\gfx\\a.png", "A"},
      {"data\\gfx/a.png", "A"},
      {"%apppath%data\\x.xml", "X"},
      {"%apppath%/data/x.xml", "X"},
      {(folder_.Path() / "data/x.xml").string(), "X"},
      {"readme.txt", "R"},
      {"README.TXT", "R"},
      {"data2\\mixed\\file.txt", "M"},
      {"DATA2/MIXED/FILE.TXT", "M"},
      {"%APPPATH%data\\x.xml", kMissing},  // only the exact spelling is the program folder
      {"data\\gfx\\missing.png", kMissing},
      {"data\\gfx", kMissing},  // a folder is no file
      {"", kMissing},
  });
  EXPECT_EQ(LoadResourceToString("data\\x.xml"), "X");
  EXPECT_EQ(LoadResourceToString("data\\none.xml"), "");
}

TEST_F(ResourceTree, ProgramFolderDefaultsToTheExecutablesFolder) {
  SetProgramFolder("");
  std::string expected = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
  EXPECT_EQ(ProgramFolder(), expected);
  EXPECT_EQ(NormalizeResourcePath("%apppath%a/b"), NormalizeResourcePath(expected) + "\\a\\b");
}

TEST_F(ResourceTree, AnArchiveReplacesAFolderAndItsEntriesAreFoundWithoutCase) {
  ArchiveExtension = GameArchiveExtension;
  Archive("data/gfx.vkd", {{"A.PNG", "archived A"}, {"Sub/B.txt", "B"}});
  Archive("data/sfx.zip", {{"s.wav", "S"}});
  ExpectReads({
      {"data\\gfx\\a.png", "archived A"},
      {"data/GFX/sub/b.TXT", "B"},
      {"data\\gfx\\c.png", kMissing},
      {"data\\sfx\\s.wav", kMissing},  // not this game's extension
  });
  ClearResourceCache();
  ArchiveExtension = ".zip";
  ExpectReads({{"data\\gfx\\a.png", kMissing}, {"data\\sfx\\s.wav", "S"}});
}

TEST_F(ResourceTree, APlainFileWinsOverTheArchiveWhateverWasReadBefore) {
  folder_.Write("data/gfx/a.png", "plain");
  Archive("data/gfx.zip", {{"a.png", "archived"}, {"only.png", "only in archive"}});
  ExpectReads({
      {"data\\gfx\\a.png", "plain"},
      {"data\\gfx\\only.png", "only in archive"},
      // The archive's reader is kept open now; the shorter root still comes first.
      {"data\\gfx\\a.png", "plain"},
  });
}

TEST_F(ResourceTree, AFileOnlyInAnArchiveIsFoundAfterOneFromThePlainFolder) {
  folder_.Write("data/x.xml", "X");
  Archive("data/gfx.zip", {{"b.png", "B"}});
  ExpectReads({
      {"data\\x.xml", "X"},
      {"data\\gfx\\b.png", "B"},
      {"data\\x.xml", "X"},
      {"data\\gfx\\b.png", "B"},
  });
}

TEST_F(ResourceTree, LargeArchivesAreIndexedAndFindTheSameEntries) {
  std::vector<TArchiveEntry> entries;
  for (int i = 0; i < 1200; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Dir/File%04d.txt", i);
    entries.push_back({name, "content " + std::to_string(i)});
  }
  // Names equal but for case: the first in archive order wins, with or without index.
  entries.push_back({"Dup.txt", "first"});
  entries.push_back({"dup.TXT", "second"});
  Archive("big.zip", entries);
  std::vector<TArchiveEntry> small(entries.begin() + 1200, entries.end());
  small.push_back(entries[500]);
  Archive("small.zip", small);

  TResourceReader big("big");
  ASSERT_EQ(big.Kind(), TResourceReader::kArchive);
  EXPECT_TRUE(big.HasIndex());
  TResourceReader few("small");
  ASSERT_EQ(few.Kind(), TResourceReader::kArchive);
  EXPECT_FALSE(few.HasIndex());
  for (TResourceReader* reader : {&big, &few}) {
    EXPECT_EQ(ReadStreamToString(reader->OpenFile("dir\\file0500.TXT").get()), "content 500");
    EXPECT_EQ(ReadStreamToString(reader->OpenFile("DUP.txt").get()), "first");
    EXPECT_FALSE(reader->OpenFile("dir\\file9999.txt"));
    EXPECT_FALSE(reader->OpenFile("dir"));
  }
  ExpectReads({{"big\\DIR\\FILE0000.txt", "content 0"}, {"big/dir/file1199.txt", "content 1199"}});

  size_t listed = 0;
  EXPECT_TRUE(big.ListFiles([&](const std::string&) { ++listed; }));
  EXPECT_EQ(listed, entries.size());
}

TEST_F(ResourceTree, ProgramResourceArchivesAreFoundByNameWithoutCase) {
  ExpectReads({
      {"res:TESTPACK\\config.xml", R"(<config name="embedded"/>)"},
      {"RES:testpack/SUB/inner.TXT", "inner text"},
      {"res:TESTPACK\\missing.xml", kMissing},
      {"res:NOSUCHPACK\\config.xml", kMissing},
  });
  TResourceReader reader("res:TestPack");
  EXPECT_EQ(reader.Kind(), TResourceReader::kArchive);
}

TEST_F(ResourceTree, WritingGoesToPlainFilesOnlyAndReplacesOnRelease) {
  folder_.Write("data/save.dat", "old save");
  folder_.Write("data/empty.dat", "to be emptied");
  Archive("data/gfx.zip", {{"a.png", "A"}});
  const std::string archiveBefore = folder_.Read("data/gfx.zip");

  EXPECT_FALSE(OpenResourceStream("res:x\\y", false));
  EXPECT_FALSE(OpenResourceStream("RES:TESTPACK\\config.xml", false));
  EXPECT_FALSE(OpenResourceStream("data\\gfx\\a.png", false));  // the folder is an archive
  EXPECT_FALSE(OpenResourceStream("data\\missing\\new.dat", false));
  EXPECT_FALSE(OpenResourceStream("data", false));  // a folder

  {
    Ref<IStream> stream = OpenResourceStream("DATA\\Save.DAT", false);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Write("new save", 8), 8u);
    EXPECT_EQ(folder_.Read("data/save.dat"), "old save") << "replaced only on release";
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(folder_.Path() / "data/save.dat"));
  EXPECT_EQ(folder_.Read("data/save.dat"), "new save");
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "DATA"));

  OpenResourceStream("data/empty.dat", false).reset();
  EXPECT_EQ(folder_.Read("data/empty.dat"), "");

  {
    Ref<IStream> stream = OpenResourceStream("%apppath%data\\New.txt", false);
    ASSERT_TRUE(stream);
    stream->Write("n", 1);
  }
  EXPECT_EQ(folder_.Read("data/New.txt"), "n");
  EXPECT_EQ(folder_.Read("data/gfx.zip"), archiveBefore);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "data/gfx"));
  EXPECT_EQ(Read("data\\new.txt"), "n");
}

TEST_F(ResourceTree, AFileMadeAfterAMissIsFound) {
  folder_.Write("data/old.txt", "old");
  EXPECT_EQ(Read("DATA\\NEW.TXT"), kMissing);
  folder_.Write("data/new.txt", "new");
  EXPECT_EQ(Read("DATA\\NEW.TXT"), "new");
}

TEST_F(ResourceTree, IsDirectoryNamesExistingFoldersOnly) {
  folder_.Write("data/gfx/a.png", "A");
  struct Case {
    std::string path;
    bool folder;
  } cases[] = {{"data", true},          {"DATA\\Gfx", true},         {"data/gfx/", true},
               {"%apppath%data", true}, {"data\\gfx\\a.png", false}, {"data\\none", false},
               {"res:TESTPACK", false}};
  for (const Case& c : cases) EXPECT_EQ(IsDirectory(c.path), c.folder) << c.path;
}

// Offset of the first central directory record in a zip archive.
size_t CentralRecord(const std::string& archive) {
  size_t at = archive.find("PK\x01\x02");
  EXPECT_NE(at, std::string::npos);
  return at;
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

TEST_F(ResourceTree, DamagedOrHostileEntriesFailAloneAndCleanly) {
  const std::string payload(100, 'p');
  auto make = [&](bool stored) {
    return *BuildZipArchive({{"bad.bin", payload}, {"ok.txt", "fine"}}, stored);
  };
  struct Case {
    const char* name;
    std::string archive;
  };
  std::vector<Case> cases;
  {  // declares an entry of almost 4 GB
    std::string a = make(true);
    size_t at = CentralRecord(a);
    Put32(a, at + 20, 0xF0000000u);
    Put32(a, at + 24, 0xF0000000u);
    cases.push_back({"huge", a});
  }
  {  // declares 200 MB inflated from a few bytes
    std::string a = make(false);
    Put32(a, CentralRecord(a) + 24, 200u << 20);
    cases.push_back({"bomb", a});
  }
  {  // stored bytes changed: the CRC no longer matches
    std::string a = make(true);
    a[a.find(payload) + 50] = 'q';
    cases.push_back({"crc", a});
  }
  for (const Case& c : cases) {
    folder_.Write("pack.zip", c.archive);
    ClearResourceCache();
    TResourceReader reader("pack");
    ASSERT_EQ(reader.Kind(), TResourceReader::kArchive) << c.name;
    EXPECT_FALSE(reader.OpenFile("bad.bin")) << c.name;
    EXPECT_EQ(ReadStreamToString(reader.OpenFile("ok.txt").get()), "fine") << c.name;
    EXPECT_EQ(Read("pack\\bad.bin"), kMissing) << c.name;
  }

  const std::string whole = make(false);
  for (size_t cut : {size_t{0}, size_t{10}, whole.size() / 2, whole.size() - 20}) {
    folder_.Write("pack.zip", whole.substr(0, cut));
    ClearResourceCache();
    EXPECT_EQ(TResourceReader("pack").Kind(), TResourceReader::kInvalid) << cut;
    EXPECT_EQ(Read("pack\\ok.txt"), kMissing) << cut;
  }
}

}  // namespace
