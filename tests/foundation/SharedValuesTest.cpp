#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"
#include "foundation/Routines.h"
#include "foundation/Variant.h"
#include "gameplay/Tv2Declarations.h"

namespace {

TEST(Declarations, GameValuesReplaceTheDefaults) {
  Tv2DeclarationsInit();
  EXPECT_EQ(DesignWidth, 1024);
  EXPECT_EQ(DesignHeight, 768);
  EXPECT_FLOAT_EQ(MaxAspectRatio, 1.7786459f);
  EXPECT_FLOAT_EQ(MinAspectRatio, 1.3333334f);
  EXPECT_DOUBLE_EQ(FloatPrecision, 0.01);
  EXPECT_EQ(GameFileName, "data\\ini\\Tavelor2.ini");
  EXPECT_EQ(RegistryKeyPath, "Software\\OstrelGames\\Tavelor2\\");
  EXPECT_FALSE(WindowDoubleClicks);
  // Unchanged by the game.
  EXPECT_EQ(FrameInterval, 8);
  EXPECT_EQ(HighScoresFileName, "highscores.dat");
  EXPECT_EQ(StartupParamsFileName, "data\\ini\\startupParams.ini");

  // The tables' parameter strings read as two tables each.
  TTwoArrayOfString tables = SplitNameValuePairs(HighScoreTableParams, '\\', '=');
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[1].Name, "record_table");
  EXPECT_EQ(tables[1].Value,
            "name=1\\max_records=10\\record_structure={param=Score\\param=Player\\param=Level"
            "\\param=Const}");
  tables = SplitNameValuePairs(LevelRecordTableParams, '\\', '=');
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].Value, "name=0");

  struct Key {
    const std::string& key;
    size_t length;
  } keys[] = {{EngineFileKey, 19},
              {GlobalOptionsKey, 22},
              {HighScoresKey, 22},
              {LevelRecordsKey, 22},
              {UserProfilesKey, 22}};
  for (const Key& k : keys) {
    EXPECT_EQ(k.key.size(), k.length) << k.key;
    int marks = 0;
    for (char c : k.key) {
      if (c == '-' || c == '[') {
        ++marks;
      } else {
        EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) << k.key;
      }
    }
    EXPECT_LE(marks, 1) << k.key;
  }
}

TEST(CheckedMath, RoundingAndTruncation) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    int32_t round;
    int32_t trunc;
  } cases[] = {
      {0.5, 0, 0},
      {1.5, 2, 1},
      {2.5, 2, 2},
      {-0.5, 0, 0},
      {-1.5, -2, -1},
      {-2.5, -2, -2},
      {2.4999, 2, 2},
      {-2.7, -3, -2},
      {nan, 0, 0},
      {3e9, INT32_MAX, INT32_MAX},
      {-3e9, INT32_MIN, INT32_MIN},
      {inf, INT32_MAX, INT32_MAX},
      {-inf, INT32_MIN, INT32_MIN},
      {2147483647.4, INT32_MAX, INT32_MAX},
      {-2147483648.0, INT32_MIN, INT32_MIN},
      // Around the edges of the inline rounding: the largest double below one half, the
      // last tie it rounds and the first value it leaves to the library.
      {0.49999999999999994, 0, 0},
      {-0.49999999999999994, 0, 0},
      {1073741822.5, 1073741822, 1073741822},
      {-1073741823.5, -1073741824, -1073741823},
      {1073741824.5, 1073741824, 1073741824},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundHalfEven(c.value), c.round) << c.value;
    EXPECT_EQ(TruncSat(c.value), c.trunc) << c.value;
  }
  EXPECT_EQ(RoundHalfEven64(1e30), INT64_MAX);
  EXPECT_EQ(TruncSat64(nan), 0);
}

TEST(CheckedMath, DivisionNeverTraps) {
  struct Case {
    int32_t a, b, div, mod;
  } cases[] = {
      {7, 2, 3, 1},
      {-7, 2, -3, -1},
      {7, -2, -3, 1},
      {5, 0, 0, 0},
      {0, 0, 0, 0},
      {INT32_MIN, -1, INT32_MAX, 0},
      {INT32_MIN, 1, INT32_MIN, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DivSafe(c.a, c.b), c.div) << c.a << "/" << c.b;
    EXPECT_EQ(ModSafe(c.a, c.b), c.mod) << c.a << "%" << c.b;
  }
  EXPECT_EQ(DivSafe64(INT64_MIN, -1), INT64_MAX);
}

TEST(Variant, Conversions) {
  struct Case {
    Variant value;
    std::optional<int64_t> asInt;
    std::optional<double> asDouble;
    std::optional<bool> asBool;
    const char* text;
  } cases[] = {
      {Variant(), std::nullopt, std::nullopt, std::nullopt, ""},
      {Variant(42), 42, 42.0, true, "42"},
      {Variant::SmallInt(-3), -3, -3.0, true, "-3"},
      {Variant::Byte(255), 255, 255.0, true, "255"},
      {Variant(2.5), 2, 2.5, true, "2.5"},
      {Variant(3.5f), 4, 3.5, true, "3.5"},
      {Variant(true), -1, -1.0, true, "True"},
      {Variant(false), 0, 0.0, false, "False"},
      {Variant(" 12 "), 12, 12.0, true, " 12 "},
      {Variant("1.5"), 2, 1.5, true, "1.5"},
      {Variant("TRUE"), std::nullopt, std::nullopt, true, "TRUE"},
      {Variant("abc"), std::nullopt, std::nullopt, std::nullopt, "abc"},
      {Variant("nan"), std::nullopt, std::nan(""), true, "nan"},
      {Variant::Currency(12345), 1, 1.2345, true, "1.2345"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.TryInt(), c.asInt) << c.text;
    std::optional<double> d = c.value.TryDouble();
    ASSERT_EQ(d.has_value(), c.asDouble.has_value()) << c.text;
    if (d && !std::isnan(*c.asDouble)) {
      EXPECT_DOUBLE_EQ(*d, *c.asDouble) << c.text;
    }
    EXPECT_EQ(c.value.TryBool(), c.asBool) << c.text;
    EXPECT_EQ(c.value.ToString(), c.text);
  }
  EXPECT_EQ(Variant("1e12").ToInt(), INT32_MAX);  // saturates
  EXPECT_EQ(Variant("x").ToInt(7), 7);
  EXPECT_TRUE(Variant::ByteString("k").IsString());
  EXPECT_FALSE(Variant(1.0).IsOrdinal());
  EXPECT_FALSE(Variant(1) == Variant(1.0));
}

}  // namespace
