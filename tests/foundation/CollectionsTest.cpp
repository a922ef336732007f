#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/Crc32.h"
#include "foundation/ElHashList.h"
#include "foundation/Exceptions.h"
#include "foundation/Routines.h"
#include "foundation/TMYCollection.h"

namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EElHashListError& e) {
    return e.what();
  }
  return "no error";
}

int tag[8];  // distinct addresses to store as untyped objects

TEST(ElHashList, CapacityGrowsAndShrinksByTheRule) {
  TElHashList list;
  list.SetHashMode(THashMode::Crc32);
  std::vector<int> capacities;
  for (int i = 0; i < 119; ++i) {
    if (list.Count() == list.Capacity()) {
      list.AddItem(std::to_string(i), nullptr);
      capacities.push_back(list.Capacity());
    } else {
      list.AddItem(std::to_string(i), nullptr);
    }
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));

  // Each removal that leaves fewer than half the capacity in use halves it.
  std::vector<int> shrunk;
  while (list.Count() > 0) {
    int before = list.Capacity();
    list.Delete(list.Count() - 1);
    if (list.Capacity() != before) shrunk.push_back(list.Capacity());
  }
  // The last one: no entry is not fewer than half of 1 (0).
  EXPECT_EQ(shrunk, (std::vector<int>{73, 36, 18, 9, 4, 2, 1}));
}

TEST(ElHashList, ErrorsCarryTheirMessages) {
  TElHashList list;
  list.SetHashMode(THashMode::Crc32);
  list.SetDuplicatesAction(TDuplicatesAction::Raise);
  list.AddItem("a", &tag[0]);
  EXPECT_EQ(ErrorOf([&] { list.AddItem("a", &tag[1]); }), "Duplicate entry.");
  EXPECT_EQ(ErrorOf([&] { list.DeleteItem("b"); }), "Hash not found.");
  EXPECT_EQ(ErrorOf([&] { list.Delete(1); }), "Invalid index.");
  EXPECT_EQ(ErrorOf([&] { list.Delete(-1); }), "Invalid index.");
  EXPECT_EQ(ErrorOf([&] { list.Move(0, 1); }), "Invalid index.");
  EXPECT_EQ(ErrorOf([&] { list.InsertItem(2, "c", nullptr); }), "Invalid position for HashList.");
  EXPECT_EQ(ErrorOf([&] { list.InsertItem(-1, "c", nullptr); }), "Invalid position for HashList.");
  EXPECT_EQ(ErrorOf([&] { list.SetCapacity(0); }), "Invalid ElHashList capacity.");
  EXPECT_EQ(ErrorOf([&] { list.SetCapacity(134217728); }), "Invalid ElHashList capacity.");
  EXPECT_EQ(ErrorOf([&] { list.IndexOf("zz"); }), "no error");
  list.SetRaiseOnAbsence(true);
  EXPECT_EQ(ErrorOf([&] { list.IndexOf("zz"); }), "Hash is absent.");
  EXPECT_EQ(ErrorOf([&] { list.GetItem("zz"); }), "Hash is absent.");
  EXPECT_EQ(list.GetItemByIndex(7), nullptr);  // never raises
  EXPECT_EQ(list.Count(), 1);
}

TEST(ElHashList, DuplicateActions) {
  struct Case {
    TDuplicatesAction action;
    int count;
    void* first;
    int deleted;
  } cases[] = {
      {TDuplicatesAction::Accept, 2, &tag[0], 0},
      {TDuplicatesAction::Replace, 1, &tag[1], 1},
      {TDuplicatesAction::Ignore, 1, &tag[0], 0},
  };
  for (const Case& c : cases) {
    TElHashList list;
    list.SetHashMode(THashMode::Crc32);
    list.SetDuplicatesAction(c.action);
    int deleted = 0;
    list.SetOnDelete([&](TElHashList&, void* object) {
      EXPECT_EQ(object, &tag[0]);
      ++deleted;
    });
    list.AddItem("k", &tag[0]);
    list.AddItem("k", &tag[1]);
    EXPECT_EQ(list.Count(), c.count);
    EXPECT_EQ(list.GetItem("k"), c.first);
    EXPECT_EQ(deleted, c.deleted);
    list.SetOnDelete(nullptr);
  }
}

TEST(ElHashList, HashModesAndCase) {
  struct Case {
    THashMode mode;
    bool caseInsensitive;
    bool foldedFound;
  } cases[] = {
      {THashMode::MD5, false, false},    {THashMode::MD5, true, true},
      {THashMode::Simple, false, false}, {THashMode::Simple, true, true},
      {THashMode::Crc32, false, false},  {THashMode::Crc32, true, true},
  };
  for (const Case& c : cases) {
    TElHashList list;
    list.SetHashMode(c.mode);
    list.SetCaseInsensitive(c.caseInsensitive);
    EXPECT_EQ(list.SimpleHash(), c.mode == THashMode::Simple);
    list.AddItem("Name", &tag[0]);
    list.AddItem("other", &tag[1]);
    EXPECT_EQ(list.IndexOf("Name"), 0);
    EXPECT_EQ(list.IndexOf("other"), 1);
    EXPECT_EQ(list.IndexOf("NAME") == 0, c.foldedFound) << int(c.mode);
    EXPECT_EQ(list.IndexOf("Nam"), -1);
  }
}

// Keys whose hashes are equal stay two keys: each finds its own entry, a duplicate of
// either is still refused, and deleting one leaves the other.
TEST(ElHashList, KeysOfEqualHashesStayApart) {
  struct Case {
    THashMode mode;
    std::string first, second;  // equal hashes
  } cases[] = {
      {THashMode::Simple, "\x05", std::string("\x01\x00", 2)},  // both 5
      {THashMode::Crc32, "Nidmovh", "Bubanxn"},                 // both 0x8A220D1A upper-cased
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    TElHashList list;
    list.SetHashMode(c.mode);
    list.SetCaseInsensitive(true);
    list.SetDuplicatesAction(TDuplicatesAction::Raise);
    list.AddItem(c.first, &tag[0]);
    EXPECT_EQ(list.IndexOf(c.second), -1);
    list.AddItem(c.second, &tag[1]);
    EXPECT_EQ(list.GetItem(c.first), &tag[0]);
    EXPECT_EQ(list.GetItem(c.second), &tag[1]);
    EXPECT_EQ(ErrorOf([&] { list.AddItem(UpperCaseAscii(c.second), &tag[2]); }),
              "Duplicate entry.");
    list.DeleteItem(c.second);
    EXPECT_EQ(list.GetItem(c.first), &tag[0]);
    EXPECT_EQ(list.IndexOf(c.second), -1);
    EXPECT_EQ(ErrorOf([&] { list.DeleteItem(c.second); }), "Hash not found.");
  }
  EXPECT_EQ(StrCrc32NoCase("Nidmovh"), StrCrc32NoCase("Bubanxn"));
  // Two players of those names are two players.
  TStringCollection names;
  names.Add("first", "Nidmovh");
  names.Add("second", "bubanxn");
  EXPECT_EQ(names.GetCount(), 2);
  EXPECT_EQ(names.GetItem("NIDMOVH"), "first");
  EXPECT_EQ(names.GetItem("Bubanxn"), "second");
}

TEST(ElHashList, ChangingTheHashModeClearsTheList) {
  TElHashList list;
  int deleted = 0;
  list.SetOnDelete([&](TElHashList&, void*) { ++deleted; });
  list.AddItem("a", &tag[0]);
  list.SetHashMode(THashMode::MD5);  // unchanged: kept
  EXPECT_EQ(list.Count(), 1);
  list.SetSimpleHash(true);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_EQ(deleted, 1);
  list.AddItem("b", &tag[1]);
  list.SetSimpleHash(false);
  EXPECT_EQ(list.HashMode(), THashMode::Crc32);
  EXPECT_EQ(deleted, 2);
}

TEST(ElHashList, MoveAndInsertKeepOrder) {
  for (THashMode mode : {THashMode::MD5, THashMode::Crc32}) {
    TElHashList list;
    list.SetHashMode(mode);
    for (int i = 0; i < 4; ++i) list.AddItem(std::string(1, char('a' + i)), &tag[i]);
    list.Move(0, 3);                   // b c d a
    list.Move(3, 1);                   // b a c d
    list.InsertItem(0, "e", &tag[4]);  // e b a c d
    const char* keys[] = {"e", "b", "a", "c", "d"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list.IndexOf(keys[i]), i) << keys[i];
    list.Delete(1);
    EXPECT_EQ(list.IndexOf("a"), 1);
    EXPECT_EQ(list.IndexOf("b"), -1);
  }
}

// Long lists, searched many hashes at a time: every key is found where the edits put it.
TEST(ElHashList, LongListsFindEveryKeyAfterEdits) {
  TElHashList list;
  list.SetHashMode(THashMode::Crc32);
  std::vector<std::string> keys;
  for (int i = 0; i < 100; ++i) {
    keys.push_back("w" + std::to_string(i));
    list.AddItem(keys.back(), &tag[0]);
  }
  auto check = [&](const char* step) {
    SCOPED_TRACE(step);
    for (size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(list.IndexOf(keys[i]), int(i)) << keys[i];
    EXPECT_EQ(list.IndexOf("absent"), -1);
  };
  check("added");
  list.Move(3, 90);
  keys.insert(keys.begin() + 91, keys[3]);
  keys.erase(keys.begin() + 3);
  check("moved up");
  list.Move(80, 9);
  std::string moved = keys[80];
  keys.erase(keys.begin() + 80);
  keys.insert(keys.begin() + 9, moved);
  check("moved down");
  list.Swap(0, 99);
  std::swap(keys[0], keys[99]);
  check("swapped");
  list.InsertItem(50, "new", &tag[1]);
  keys.insert(keys.begin() + 50, "new");
  check("inserted");
  for (int i = 0; i < 70; ++i) {
    list.Delete(10);
    keys.erase(keys.begin() + 10);
  }
  check("deleted, shrunk");
}

TEST(ElHashList, ClearReleasesFromLastToFirstAndAutoFrees) {
  static std::vector<int> freed;
  freed.clear();
  std::vector<void*> notified;
  {
    TElHashList list;
    list.SetOnDelete([&](TElHashList& l, void* object) {
      EXPECT_EQ(l.Count(), 0);
      notified.push_back(object);
    });
    list.SetFreeObject([](void* object) {
      freed.push_back(*static_cast<int*>(object));
      delete static_cast<int*>(object);
    });
    list.SetAutoFreeObjects(true);
    for (int i = 0; i < 3; ++i) list.AddItem(std::to_string(i), new int(i));
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
    list.AddItem("x", new int(9));
  }  // destruction clears too
  EXPECT_EQ(freed, (std::vector<int>{2, 1, 0, 9}));
  EXPECT_EQ(notified.size(), 4u);
}

TEST(ElHashList, ReplacedObjectIsFreedWhenTheListOwnsIt) {
  static int freedCount;
  freedCount = 0;
  TElHashList list;
  list.SetHashMode(THashMode::Crc32);
  list.SetDuplicatesAction(TDuplicatesAction::Replace);
  list.SetFreeObject([](void* object) {
    ++freedCount;
    delete static_cast<int*>(object);
  });
  list.SetAutoFreeObjects(true);
  int* first = new int(1);
  list.AddItem("k", first);
  list.AddItem("k", first);  // the same object again stays alive
  EXPECT_EQ(freedCount, 0);
  list.AddItem("k", new int(2));
  EXPECT_EQ(freedCount, 1);
  EXPECT_EQ(*static_cast<int*>(list.GetItem("k")), 2);
}

// --- Keyed collections -------------------------------------------------------------

TEST(Collections, PositionsAndKeysAreDifferentAddresses) {
  TStringCollection c;
  c.Add("first", "a");
  c.Add("zero", "0");
  struct Case {
    Variant address;
    const char* expected;
  } cases[] = {
      {Variant(0), "first"},
      {Variant::SmallInt(1), "zero"},
      {Variant::Byte(0), "first"},
      {Variant("0"), "zero"},
      {Variant::ByteString("A"), "first"},  // keys ignore case
      {Variant(2), ""},
      {Variant(-1), ""},
      {Variant("b"), ""},
      {Variant(0.0), ""},  // other kinds address nothing
      {Variant(false), ""},
      {Variant(), ""},
      {Variant::Null(), ""},
  };
  for (const Case& c2 : cases)
    EXPECT_EQ(c.GetItem(c2.address), c2.expected) << c2.address.ToString();

  c.Delete(Variant(1.0));
  c.Delete(Variant(true));
  EXPECT_EQ(c.GetCount(), 2);
  EXPECT_EQ(ErrorOf([&] { c.Delete(5); }), "Invalid index.");
  EXPECT_EQ(ErrorOf([&] { c.Delete("absent"); }), "Hash not found.");
  c.Delete("A");
  EXPECT_EQ(c.GetItem(0), "zero");
  c.Delete(0);
  EXPECT_EQ(c.GetCount(), 0);
}

TEST(Collections, DuplicateKeysAreRefusedWithoutCase) {
  TStringCollection c;
  c.Add("one", "Image");
  c.Add("two", "IMAGE");
  EXPECT_EQ(c.GetCount(), 1);
  EXPECT_EQ(c.GetItem("image"), "one");
  EXPECT_TRUE(c.Contains("iMaGe"));
  EXPECT_EQ(c.IndexOf("nothing"), -1);
  EXPECT_TRUE(c.SetItem("IMAGE", "three"));
  EXPECT_FALSE(c.SetItem("other", "x"));
  EXPECT_EQ(c.GetItem(0), "three");

  TPointerCollection p;
  EXPECT_EQ(p.Add(&tag[0], "k"), &tag[0]);
  EXPECT_EQ(p.Add(&tag[1], "K"), nullptr);
  EXPECT_EQ(p.Add(&tag[1], "j", 5), nullptr);  // bad position: refused, not raised
  EXPECT_EQ(p.Add(&tag[1], "j", 0), &tag[1]);
  EXPECT_EQ(p.GetItem(0), &tag[1]);
}

TEST(Collections, AutomaticKeys) {
  TPointerCollection p;
  std::vector<std::string> keys;
  for (char c = '!'; c <= 'Z'; ++c) p.AddWithAutoKey(&tag[0]);
  EXPECT_EQ(p.GetCount(), 'Z' - '!' + 1);
  EXPECT_EQ(p.IndexOf("!"), 0);
  EXPECT_EQ(p.IndexOf("Z"), p.GetCount() - 1);
  p.AddWithAutoKey(&tag[1]);
  EXPECT_EQ(p.LastKey(), "Z!");
  EXPECT_EQ(p.GetItem("Z!"), &tag[1]);
  p.AddWithAutoKey(&tag[1]);
  EXPECT_EQ(p.LastKey(), "Z\"");

  TPointerCollection q;
  q.Add(&tag[0], "b");
  q.AddWithAutoKey(&tag[1]);
  EXPECT_EQ(q.GetItem("c"), &tag[1]);
  q.Add(&tag[2], "a");  // smaller keys do not move the automatic keys back
  q.AddWithAutoKey(&tag[3]);
  EXPECT_EQ(q.GetItem("d"), &tag[3]);

  TPointerCollection r;  // a key ending in the highest byte grows instead of wrapping
  r.Add(&tag[0], "\xff");
  r.AddWithAutoKey(&tag[1]);
  EXPECT_EQ(r.LastKey(), "\xff!");
  EXPECT_EQ(r.GetCount(), 2);
}

TEST(Collections, MoveItem) {
  TPointerCollection p;
  for (int i = 0; i < 4; ++i) p.Add(&tag[i], std::string(1, char('a' + i)));
  struct Case {
    const char* key;
    Variant target;
    bool moved;
    const char* order;
  } cases[] = {
      {"a", Variant(3), true, "bcda"},       {"a", Variant("b"), true, "abcd"},
      {"d", Variant::Byte(1), true, "adbc"}, {"x", Variant(0), false, "adbc"},
      {"a", Variant("x"), false, "adbc"},    {"a", Variant(4), false, "adbc"},
      {"a", Variant(-1), false, "adbc"},     {"a", Variant(1.0), false, "adbc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(p.MoveItem(c.key, c.target), c.moved) << c.key;
    std::string order;
    for (int i = 0; i < p.GetCount(); ++i)
      order += char('a' + (static_cast<int*>(p.GetItem(i)) - tag));
    EXPECT_EQ(order, c.order) << c.key;
  }
}

int liveItems = 0;

struct TItem {
  explicit TItem(int v) : value(v) { ++liveItems; }
  ~TItem() { --liveItems; }
  int value;
};

TEST(Collections, ObjectCollectionOwnsItsObjects) {
  liveItems = 0;
  {
    TObjectCollection<TItem> c;
    TItem* one = c.Add(std::make_unique<TItem>(1), "one");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(c.Add(std::make_unique<TItem>(2), "ONE"), nullptr);  // refused and freed
    EXPECT_EQ(liveItems, 1);
    c.AddWithAutoKey(std::make_unique<TItem>(3));
    ASSERT_NE(c.GetItem("onf"), nullptr);  // automatic keys continue after "one"
    EXPECT_EQ(c.GetItem("onf")->value, 3);
    EXPECT_EQ(c.GetItem(0), one);
    EXPECT_EQ(c.GetByKey("ONE"), one);
    EXPECT_EQ(c.GetByIndex(2), nullptr);
    c.Delete("one");
    EXPECT_EQ(liveItems, 1);
  }
  EXPECT_EQ(liveItems, 0);
}

struct IThing : virtual IInterface {
  virtual int Id() const = 0;
};
struct TThing : TInterfacedObject, IThing {
  explicit TThing(int id) : id_(id) {}
  int Id() const override { return id_; }
  int id_;
};

TEST(Collections, InterfaceCollectionHoldsOneReferencePerItem) {
  Ref<TThing> a(new TThing(1));
  Ref<TThing> b(new TThing(2));
  {
    Ref<TInterfaceCollection> c(new TInterfaceCollection);
    EXPECT_EQ(c->Add(a, "a").get(), static_cast<IInterface*>(a.get()));
    EXPECT_EQ(a->RefCount(), 2);
    EXPECT_EQ(c->Add(b, "A").get(), static_cast<IInterface*>(b.get()));  // handed back...
    EXPECT_EQ(b->RefCount(), 1);                                         // ...but not kept
    c->Add(b, "b");
    EXPECT_EQ(c->GetAs<IThing>("B")->Id(), 2);
    EXPECT_EQ(c->GetByIndex(0).get(), static_cast<IInterface*>(a.get()));
    EXPECT_EQ(c->GetByKey("zz"), nullptr);
    c->Delete(0);
    EXPECT_EQ(a->RefCount(), 1);
    EXPECT_EQ(b->RefCount(), 2);
  }
  EXPECT_EQ(b->RefCount(), 1);
}

}  // namespace
