#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "foundation/Cipher.h"
#include "foundation/PlayerFiles.h"
#include "foundation/SimpleXML.h"
#include "foundation/XmlAttributes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"

namespace fs = std::filesystem;

namespace {

const std::string kKey = "913064vbsw8n[571k06tyc";

std::string Hex(const std::string& xml) {
  return TCipher_Xtea(kKey).CodeString(xml, kCipherEncipher, kFormatHex);
}

}  // namespace

TEST(PlayerFiles, ReadTellsAbsentLoadedAndDamagedApart) {
  TempFolder folder;
  folder.Write("good.dat", Hex("<userprofiles/>"));
  folder.Write("bad.dat", Hex("<userprofiles>"));
  EXPECT_EQ(ReadPlayerDocument(folder / "none.dat", kKey).state, TPlayerFileState::Absent);
  TPlayerDocument good = ReadPlayerDocument(folder / "good.dat", kKey);
  EXPECT_EQ(good.state, TPlayerFileState::Read);
  ASSERT_TRUE(good.storage);
  EXPECT_EQ(good.storage->GetName(), "userprofiles");
  TPlayerDocument bad = ReadPlayerDocument(folder / "bad.dat", kKey);
  EXPECT_EQ(bad.state, TPlayerFileState::Damaged);
  EXPECT_FALSE(bad.storage);
  EXPECT_FALSE(bad.problem.empty());
}

TEST(PlayerFiles, MovingAsideNeverReplacesNorFollowsALink) {
  TempFolder folder;
  TempFolder outside;
  outside.Write("target", "someone else's");
  // The damaged file is itself a link: the link moves, its target stays.
  ASSERT_EQ(symlink((outside / "target").c_str(), (folder / "users.dat").c_str()), 0);
  // The first free name is taken by a link to the same target: neither is touched.
  ASSERT_EQ(symlink((outside / "target").c_str(), (folder / "users.dat.damaged").c_str()), 0);

  std::string copy, problem;
  ASSERT_TRUE(MoveDamagedFileAside(folder / "users.dat", copy, problem)) << problem;
  EXPECT_EQ(copy, folder / "users.dat.damaged-2");
  EXPECT_TRUE(fs::is_symlink(copy));
  EXPECT_TRUE(fs::is_symlink(folder / "users.dat.damaged"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "users.dat")));
  EXPECT_EQ(outside.Read("target"), "someone else's");
}

TEST(PlayerFiles, AFailedMoveRefusesSavesOverTheFileForTheRun) {
  TempFolder folder;
  WarningCapture warnings;
  ForgetRefusedPlayerFiles();
  folder.Write("users.dat", "damaged");
  SetMoveAsideFaultHook([](const std::string&) { return EROFS; });
  EXPECT_FALSE(LoadPlayerDocument(folder / "users.dat", kKey, "going on"));
  SetMoveAsideFaultHook(nullptr);
  EXPECT_TRUE(IsPlayerFileSaveRefused(folder / "users.dat"));
  EXPECT_FALSE(IsPlayerFileSaveRefused(folder / "other.dat"));
  EXPECT_EQ(folder.Read("users.dat"), "damaged");
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("Read-only file system"), std::string::npos)
      << warnings.Lines()[0];
  ForgetRefusedPlayerFiles();
}

TEST(PlayerFiles, WhatWouldTieAPlayersDocumentToOtherFilesIsDroppedAtAnyDepth) {
  TempFolder folder;
  folder.Write("game.xml", R"(<usergamedata secret="planted"><cases/></usergamedata>)");
  const std::string spec = "file=" + (folder / "game.xml");
  struct Case {
    const char* what;
    std::string text;
    const char* said;  // '' when nothing is dropped
  } cases[] = {
      {"an overlay on the root", "<usergamedata _outstorage=\"" + spec + "\" Level=\"3\"/>",
       "\"_outstorage\" (1 element) dropped"},
      {"overlays, templates and guids deep down",
       "<usergamedata><cases><case name=\"c\" template=\"yes\" _outstorage=\"" + spec +
           "\"><stages><stage _object_guid=\"g\" template=\"yes\"/></stages></case></cases>"
           "</usergamedata>",
       "\"_outstorage\" (1 element), \"template\" (2 elements), \"_object_guid\" (1 element) "
       "dropped"},
      {"nothing of the kind", "<usergamedata Level=\"3\"><cases/></usergamedata>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WarningCapture warnings;
    std::string problem;
    Ref<IHierStorageRoot> storage =
        ParsePlayerText(c.text, "users.dat", problem, "player \"Ann\": progress: ");
    ASSERT_TRUE(storage) << problem;
    // Nothing is read from the other file, and nothing names it any more.
    EXPECT_EQ(ReadXmlStr(Ref<IHierStorage>(storage.get()), "secret"), "");
    std::string xml = storage->GetXmlText();
    for (const char* reserved : {"_outstorage", "template", "_object_guid"})
      EXPECT_EQ(xml.find(reserved), std::string::npos) << xml;
    if (*c.said == '\0') {
      EXPECT_TRUE(warnings.Lines().empty());
      continue;
    }
    ASSERT_EQ(warnings.Lines().size(), 1u);
    EXPECT_EQ(warnings.Lines()[0], std::string("warning: users.dat: player \"Ann\": progress: ") +
                                       c.said +
                                       ": a player's file leans on no other file and "
                                       "is saved nowhere else");
  }
  EXPECT_EQ(folder.Read("game.xml"), R"(<usergamedata secret="planted"><cases/></usergamedata>)");
}

TEST(PlayerFiles, TextThatHoldsNoDocumentSaysWhy) {
  std::string deep;
  for (int i = 0; i <= kXmlMaxDepth; ++i) deep += "<a>";
  for (int i = 0; i <= kXmlMaxDepth; ++i) deep += "</a>";
  for (const std::string& text : {std::string("plain words"), std::string("<usergamedata"),
                                  std::string("<a>\xff</a>"), deep}) {
    std::string problem;
    EXPECT_FALSE(ParsePlayerText(text, "users.dat", problem));
    EXPECT_FALSE(problem.empty()) << text.substr(0, 20);
  }
}

TEST(PlayerFiles, ACopyAsideLeavesTheFileAndReplacesNothing) {
  TempFolder folder;
  WarningCapture warnings;
  ForgetRefusedPlayerFiles();
  folder.Write("users.dat", "as it was");
  folder.Write("users.dat.damaged", "an earlier copy");
  KeepCopyOfPlayerFile(folder / "users.dat", "player \"Ann\" is named more than once");
  EXPECT_EQ(folder.Read("users.dat"), "as it was");
  EXPECT_EQ(folder.Read("users.dat.damaged"), "an earlier copy");
  EXPECT_EQ(folder.Read("users.dat.damaged-2"), "as it was");
  EXPECT_EQ(fs::status(folder / "users.dat.damaged-2").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(IsPlayerFileSaveRefused(folder / "users.dat"));
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_EQ(warnings.Lines()[0], "warning: " + (folder / "users.dat") +
                                     ": player \"Ann\" is named more than once; the file as it "
                                     "was is copied to " +
                                     (folder / "users.dat.damaged-2"));

  // What cannot be copied (here: a link, which is not followed) is not saved over.
  TempFolder outside;
  outside.Write("target", "someone else's");
  ASSERT_EQ(symlink((outside / "target").c_str(), (folder / "linked.dat").c_str()), 0);
  KeepCopyOfPlayerFile(folder / "linked.dat", "dropped");
  EXPECT_TRUE(IsPlayerFileSaveRefused(folder / "linked.dat"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "linked.dat.damaged")));
  ASSERT_EQ(warnings.Lines().size(), 2u);
  EXPECT_NE(warnings.Lines()[1].find("could not be copied aside"), std::string::npos)
      << warnings.Lines()[1];
  ForgetRefusedPlayerFiles();
}
