// Documents read by data path through the resource file tree and saved to plain files.
#include <gtest/gtest.h>

#include "foundation/ArchiveWriter.h"
#include "foundation/ResourceReader.h"
#include "foundation/SimpleXML.h"
#include "platform/ProgramResources.h"
#include "tests/support/TempFolder.h"

namespace {

// Each test runs in a fresh working folder that is also the program's folder.
class XmlFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    oldWorkingFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Path());
    ClearResourceCache();
    ArchiveExtension = ".zip";
    SetProgramFolder(folder_.Path().string());
  }
  void TearDown() override {
    std::filesystem::current_path(oldWorkingFolder_);
    ClearResourceCache();
    SetProgramFolder("");
  }

  TempFolder folder_;
  std::filesystem::path oldWorkingFolder_;
};

std::string RootName(const Ref<IXmlDocument>& document) {
  if (!document) return "<none>";
  Ref<IXmlElement> root = document->GetDocumentElement();
  return root ? root->GetNodeName() + "/" + root->GetAttr("from") : "<empty>";
}

TEST_F(XmlFiles, LoadsFromArchivesReplacingFoldersAndFromProgramResources) {
  Ref<IXmlDocument> binary = LoadXmlDocumentFromXml("<binary from='archive'/>");
  std::optional<std::string> archive = BuildZipArchive({
      {"Main.xml", "<screen from='archive'/>"},
      {"sub/bin.xml", binary->SaveBinaryXml()},
  });
  ASSERT_TRUE(archive);
  folder_.Write("data/screens.zip", *archive);
  folder_.Write("data/plain.xml", "<plain from='folder'/>");

  struct Case {
    std::string path, root;
  } cases[] = {
      {"data\\screens\\main.xml", "screen/archive"},
      {"data/SCREENS/Sub/BIN.xml", "binary/archive"},
      {"%apppath%data\\screens\\main.xml", "screen/archive"},
      {"%apppath%data/plain.xml", "plain/folder"},
      {"res:TESTPACK\\config.xml", "config/"},
      {"data\\screens\\missing.xml", "<none>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RootName(LoadXmlFile(c.path)), c.root) << c.path;
    ClearResourceCache();
  }

  Ref<IXmlDocument> document = CreateXmlDocument("old");
  document->LoadFromFile("data\\screens\\main.xml");
  EXPECT_EQ(RootName(document), "screen/archive");
  document->LoadFromFile("RES:testpack/CONFIG.xml");
  EXPECT_EQ(document->GetDocumentElement()->GetAttr("name"), "embedded");
  EXPECT_THROW(document->LoadFromFile("res:TESTPACK\\missing.xml"), Exception);
}

TEST_F(XmlFiles, LoadsProgramResourcesOfRawBytes) {
  static const char kText[] = "<resource from='program'/>";
  RegisterProgramResource("XMLTEXT", reinterpret_cast<const uint8_t*>(kText), sizeof kText - 1);
  RegisterProgramResource("EMPTYXML", reinterpret_cast<const uint8_t*>(kText), 0);
  Ref<IXmlDocument> document = CreateXmlDocument("old");
  document->LoadFromResource("rcdata", "xmltext");
  EXPECT_EQ(RootName(document), "resource/program");
  // Missing, empty, or of a kind the program has none of: the document stays as it was.
  document->LoadFromResource("RCDATA", "EMPTYXML");
  document->LoadFromResource("RCDATA", "NOSUCHXML");
  document->LoadFromResource("BITMAP", "XMLTEXT");
  EXPECT_EQ(RootName(document), "resource/program");
  UnregisterProgramResource("XMLTEXT");
  UnregisterProgramResource("EMPTYXML");
}

TEST_F(XmlFiles, SavesToPlainFilesOnly) {
  folder_.Write("Data/Saves/keep.txt", "");
  Ref<IXmlDocument> document = LoadXmlDocumentFromXml("<saved from='code'/>");
  document->SaveToFile("%apppath%data\\saves\\text.xml");
  document->SaveBinaryToFile("data/saves/binary.xml", 0);
  EXPECT_EQ(folder_.Read("Data/Saves/text.xml"), "<saved from=\"code\"/>");
  EXPECT_EQ(RootName(LoadXmlFile("data\\saves\\binary.xml")), "saved/code");
  EXPECT_THROW(document->SaveToFile("res:TESTPACK\\config.xml"), Exception);
  EXPECT_THROW(document->SaveBinaryToFile("data\\missing folder\\x.xml", 0), Exception);
}

}  // namespace
