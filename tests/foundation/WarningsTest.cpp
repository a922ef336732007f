#include <gtest/gtest.h>

#include "foundation/Warnings.h"
#include "tests/support/WarningCapture.h"

TEST(Warnings, LineNamesTheFileThenWhatWasDropped) {
  EXPECT_EQ(FormatWarning("data\\ini\\a.ini", "resource \"x\": no such file"),
            "warning: data\\ini\\a.ini: resource \"x\": no such file");
  EXPECT_EQ(FormatWarning("", "no file"), "warning: no file");
}

TEST(Warnings, EachDistinctLineIsSaidOncePerRun) {
  WarningCapture capture;
  Warn("a.xml", "type \"ghost\" is not registered");
  Warn("a.xml", "type \"ghost\" is not registered");
  Warn("b.xml", "type \"ghost\" is not registered");
  ASSERT_EQ(capture.Lines().size(), 2u);
  EXPECT_EQ(capture.Lines()[0], "warning: a.xml: type \"ghost\" is not registered");
  EXPECT_EQ(capture.Lines()[1], "warning: b.xml: type \"ghost\" is not registered");
}

TEST(Warnings, ResetLetsALineBeSaidAgain) {
  WarningCapture capture;
  Warn("a.xml", "bad");
  ResetWarnings();
  Warn("a.xml", "bad");
  EXPECT_EQ(capture.Lines().size(), 2u);
}

TEST(Warnings, ALineWithoutAFileNamesTheFileBeingRead) {
  WarningCapture capture;
  {
    TWarningFileScope outer("data\\ini\\a.ini");
    Warn({}, "x");
    {
      TWarningFileScope inner("data\\scenes\\b.xml");
      Warn({}, "y");
      Warn("c.xml", "z");
    }
    Warn({}, "w");
  }
  Warn({}, "v");
  EXPECT_EQ(capture.Lines(),
            (std::vector<std::string>{"warning: data\\ini\\a.ini: x",
                                      "warning: data\\scenes\\b.xml: y", "warning: c.xml: z",
                                      "warning: data\\ini\\a.ini: w", "warning: v"}));
}
