#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "foundation/Cipher.h"
#include "foundation/PlayerFiles.h"
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
