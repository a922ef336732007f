// Cursor collections and resource-list entries as the game file holds them.

#include "foundation/CheckedMath.h"
#include "foundation/XMLStorage.h"
#include "shell/GameCursors.h"
#include "shell/ResourceFiles.h"
#include "tests/support/GameFixture.h"

namespace {

template <class T>
Ref<T> LoadFrom(const std::string& xml) {
  RegisterGameTestClasses();
  Ref<IHierStorageRoot> node = LoadXmlStorageFromText(xml);
  Ref<T> object = TAbstractObject::Create<T>();
  LoadObject(object, Ref<IHierStorage>(node.get()));
  return object;
}

template <class T>
std::string SaveText(const Ref<T>& object, const char* root) {
  Ref<IHierStorageRoot> node = CreateXmlStorage(root);
  SaveObject(object, Ref<IHierStorage>(node.get()));
  return node->GetXmlText();
}

TEST(GameCursors, TheDefaultFallsBackToTheFirstCursorAndUnknownNamesChangeNothing) {
  Ref<TCursorCollection> cursors =
      LoadFrom<TCursorCollection>(R"(<cursors default_cursor_name="gone">
      <cursor name="arrow"><widget type="test_box" name="a" visible="yes"/></cursor>
      <cursor name="hand" hotspotx="3"><widget type="test_box" name="h" visible="yes"/></cursor>
      <cursor name="arrow" hotspotx="9"/>
    </cursors>)");
  ASSERT_EQ(cursors->Count(), 2) << "the first of a name only";
  EXPECT_EQ(cursors->GetItem(Variant("arrow"))->GetHotSpot(), (TPoint{0, 0}));
  EXPECT_EQ(cursors->GetItem(Variant("hand"))->GetHotSpot(), (TPoint{3, 0}));
  // Widgets start hidden whatever their element says.
  EXPECT_FALSE(cursors->GetItem(Variant("hand"))->GetWidget()->IsVisible());
  EXPECT_EQ(cursors->GetDefaultCursorName(), "arrow");

  ASSERT_TRUE(cursors->SetCursor("hand"));
  EXPECT_FALSE(cursors->SetCursor("cross"));
  EXPECT_EQ(cursors->GetCurrentCursor()->GetName(), "hand");
  EXPECT_TRUE(cursors->GetCurrentCursor()->GetWidget()->IsVisible());
  ASSERT_TRUE(cursors->SetCursor("hand"));
  EXPECT_TRUE(cursors->GetCurrentCursor()->GetWidget()->IsVisible()) << "hidden and shown again";
  ASSERT_TRUE(cursors->SetCursor("arrow"));
  EXPECT_FALSE(cursors->GetItem(Variant("hand"))->GetWidget()->IsVisible());

  EXPECT_EQ(TAbstractObject::Create<TCursorCollection>()->GetDefaultCursorName(), "");
}

// A hot spot far out would take the cursor's rectangle past 32 bits as it follows the
// mouse: it is kept within the limit of data coordinates.
TEST(GameCursors, AHotSpotAtTheIntegerLimitsIsKeptWithinTheLimit) {
  Ref<TCursorCollection> cursors = LoadFrom<TCursorCollection>(
      R"(<cursors><cursor name="far" hotspotx="-2147483648" hotspoty="2147483647"/></cursors>)");
  EXPECT_EQ(cursors->GetItem(Variant("far"))->GetHotSpot(),
            (TPoint{-kDataCoordinateLimit, kDataCoordinateLimit}));
}

TEST(GameCursors, SavingLeavesOutAZeroHotSpotButAlwaysWritesTheDefault) {
  Ref<TCursorCollection> cursors = LoadFrom<TCursorCollection>(R"(<cursors>
      <cursor name="arrow"/><cursor name="hand" hotspoty="2"/></cursors>)");
  EXPECT_EQ(SaveText(cursors, "cursors"),
            R"(<cursors default_cursor_name=""><cursor name="arrow"/>)"
            R"(<cursor name="hand" hotspotx="0" hotspoty="2"/></cursors>)");
}

TEST(ResourceFiles, LoadModesDefaultToAsynchronous) {
  Ref<TResourceFileCollection> files = LoadFrom<TResourceFileCollection>(R"(<resourcefiles>
      <resourcefile name="a" filename="a.res" loadmode="synch"/>
      <resourcefile name="b" filename="b.res"/>
      <resourcefile name="c" loadmode="SYNCH"/>
      <resourcefile name="a" filename="other.res"/>
    </resourcefiles>)");
  ASSERT_EQ(files->Count(), 3);
  struct Case {
    const char* name;
    const char* file;
    uint8_t mode;
  } cases[] = {{"a", "a.res", IResourceFile::lmSynch},
               {"b", "b.res", IResourceFile::lmAsynch},
               {"c", "", IResourceFile::lmAsynch}};
  for (const Case& c : cases) {
    Ref<IResourceFile> file = files->GetItem(Variant(c.name));
    ASSERT_TRUE(file) << c.name;
    EXPECT_EQ(file->GetFileName(), c.file) << c.name;
    EXPECT_EQ(file->GetLoadMode(), c.mode) << c.name;
  }
  EXPECT_EQ(
      SaveText(files, "resourcefiles"),
      R"(<resourcefiles><resourcefile name="a" type="ResourceFile" filename="a.res" loadmode="synch"/>)"
      R"(<resourcefile name="b" type="ResourceFile" filename="b.res" loadmode="asynch"/>)"
      R"(<resourcefile name="c" type="ResourceFile" filename="" loadmode="asynch"/></resourcefiles>)");
}

}  // namespace
