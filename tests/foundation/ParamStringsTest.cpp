#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/GeneralClasses.h"
#include "foundation/Routines.h"

namespace {

TEST(ParamStrings, FindClosingBraceCountsNesting) {
  struct Case {
    const char* text;
    int position;
    int expected;
  } cases[] = {
      {"{a}", 1, 3}, {"x{a{b}c}y", 2, 8}, {"x{a{b}c}y", 4, 6}, {"{a{b}", 1, 0}, {"{}", 3, 0},
      {"{}", 0, 0},  {"{}", -4, 0},       {"", 1, 0},          {"a}", 1, 1},  // no brace at the
                                                                              // position: the depth
                                                                              // is 0 at once
      {"}{}", 1, 2},  // a stray "}" goes below zero; the next "{" brings it back
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindClosingBrace(c.text, c.position), c.expected) << c.text << " at " << c.position;
}

TEST(ParamStrings, SplitStringItems) {
  struct Case {
    const char* text;
    char separator;
    std::vector<std::string> items;
  } cases[] = {
      {"a=1\\b=2", '\\', {"a=1", "b=2"}},
      {"a=1\\\\b=2", '\\', {"a=1", "b=2"}},  // empty items are dropped
      {"\\a=1\\", '\\', {"a=1"}},
      {"", '\\', {}},
      {" \t\r\n ", '\\', {}},
      {"  a , b  ", ',', {"a ", " b"}},  // only the ends of the whole text are trimmed
      {"list={x\\y}\\n=2", '\\', {"list={x\\y}", "n=2"}},
      {"list={x\\{y\\z}}", '\\', {"list={x\\{y\\z}}"}},
      // Only the first group of an item protects its separators.
      {"a={x}{y\\z}\\b=1", '\\', {"a={x}{y", "z}", "b=1"}},
      // An unclosed group protects nothing.
      {"a={x\\y", '\\', {"a={x", "y"}},
      // A group after the first separator does not protect the item before it.
      {"a\\b={c\\d}", '\\', {"a", "b={c\\d}"}},
      {"{a,b},{c}", ',', {"{a,b}", "{c}"}},
      {"a;b;;c", ';', {"a", "b", "c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitString(c.text, c.separator), c.items) << c.text;
}

TEST(ParamStrings, SplitNameValuePairsKeepsOneEntryPerItem) {
  using P = TNameValuePair;
  struct Case {
    const char* text;
    std::vector<P> pairs;
  } cases[] = {
      {"a=1\\\\b=2", {{"a", "1"}, {"b", "2"}}},
      {"\\a=1\\", {{"a", "1"}}},
      {"list={x\\y}\\n=2", {{"list", "x\\y"}, {"n", "2"}}},
      {"list={x\\{y\\z}}", {{"list", "x\\{y\\z}"}}},
      {"v= {a} ", {{"v", "a"}}},
      {"v={a}b", {{"v", "{a}b"}}},
      {"v={}", {{"v", ""}}},
      {"v={{a}}", {{"v", "{a}"}}},                   // one pair of braces only
      {"v={a} \\w=1", {{"v", "{a} "}, {"w", "1"}}},  // a trailing blank keeps the braces
      {"v={", {{"v", "{"}}},
      {"v=}", {{"v", "}"}}},
      {"name=a\\ x = {b\\c}\\flag", {{"name", "a"}, {" x", "b\\c"}, {"", ""}}},
      // Items without "=" leave their entries at the end, whatever their place.
      {"flag\\a=1", {{"a", "1"}, {"", ""}}},
      {"x\\y\\a=1\\z", {{"a", "1"}, {"", ""}, {"", ""}, {"", ""}}},
      {"=\\a==b", {{"", ""}, {"a", "=b"}}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitNameValuePairs(c.text, '\\', '='), c.pairs) << c.text;
}

TEST(ParamStrings, GetNamedValueIgnoresCase) {
  struct Case {
    const char* text;
    const char* name;
    bool found;
    const char* value;
  } cases[] = {
      {"Name=x", "NAME", true, "x"},
      {"a=1\\b={2\\3}", "b", true, "2\\3"},
      {"a=1\\a=2", "A", true, "1"},  // the first entry wins
      {"a=1", "b", false, ""},
      {"flag\\a=1", "", true, ""},  // an empty name matches the empty entries
      {"a=1", "", false, ""},
      {"", "a", false, ""},
  };
  for (const Case& c : cases) {
    std::string value = "stale";
    EXPECT_EQ(GetNamedValue(c.text, c.name, '\\', '=', value), c.found) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

struct Recorder : TAbstractObject {
  std::vector<std::string> calls;
  void Init() override { calls.push_back("Init"); }
  void SetParam(const std::string& name, const Variant& value) override {
    EXPECT_EQ(value.GetKind(), Variant::Kind::WideString);
    calls.push_back(name + ":" + value.ToString());
  }
};

TEST(ParamStrings, ConstructionCallsInitThenSetParamPerEntry) {
  EXPECT_EQ(TAbstractObject::Create<Recorder>("flag\\a=1")->calls,
            (std::vector<std::string>{"Init", "a:1", ":"}));
  EXPECT_EQ(TAbstractObject::Create<Recorder>("")->calls, (std::vector<std::string>{"Init"}));
  EXPECT_EQ(TAbstractObject::Create<Recorder>("x={a\\b}\\y= 2")->calls,
            (std::vector<std::string>{"Init", "x:a\\b", "y:2"}));
}

}  // namespace
