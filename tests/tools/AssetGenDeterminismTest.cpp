#include <gtest/gtest.h>

#include "tests/tools/AssetGenTestSupport.h"

namespace {

// Two runs of every kind of generator give the same bytes, so a build never differs from
// the last one for no reason.
TEST(AssetGenDeterminism, TwoRunsGiveIdenticalFiles) {
  struct Case {
    const char* kind;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"image", {"sky.png", "nightsky", "w=200", "h=150", "stars=80", "seed=4"}},
      {"image", {"shapes.png", "shapes", "w=160", "h=120", "count=30", "seed=2"}},
      {"image", {"logo.png", "logo", "w=200", "h=80"}},
      {"image", {"photo.jpg", "room", "w=160", "h=120"}},
      {"image", {"badge.jpng", "cup", "size=40"}},
      {"font", {"f", "size=12", "outline=1", "shadow_x=1", "shadow_y=1"}},
      {"sound", {"w.wav", "whoosh"}},
      {"sound", {"c.wav", "chime", "seed=3"}},
      {"music", {"m.ogg", "bars=2", "seed=5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words[0]);
    ScratchDir first, second;
    const auto a = Generate(c.kind, first.Path(), c.words);
    const auto b = Generate(c.kind, second.Path(), c.words);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
      const std::vector<uint8_t> bytesA = ReadBytes(a[i]);
      EXPECT_FALSE(bytesA.empty());
      EXPECT_TRUE(bytesA == ReadBytes(b[i])) << a[i];
    }
  }
}

TEST(AssetGenDeterminism, SeedsChangeThePicture) {
  ScratchDir dir;
  const auto a = Generate("image", dir.Path(), {"a.png", "shapes", "w=64", "h=64", "seed=1"});
  const auto b = Generate("image", dir.Path(), {"b.png", "shapes", "w=64", "h=64", "seed=2"});
  EXPECT_FALSE(ReadBytes(a[0]) == ReadBytes(b[0]));
}

}  // namespace
