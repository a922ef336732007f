#pragma once
// The shared fixture of every widget test: a fake engine and a fake screen over real
// surfaces, plus small test widgets, a test function and a test sound collection.
//
//   class MyWidgetTest : public WidgetFixture {};
//   TEST_F(MyWidgetTest, Moves) {
//     Ref<IWidget> w = Show(R"(<widget type="test_box" name="box" width="10" height="10"
//                                       visible="yes" color="$FFFF0000"/>)");
//     Frame(16);                                  // update, then the dirty pass
//     EXPECT_EQ(window->dirtyRects, (std::vector<TRect>{{0, 0, 10, 10}}));
//     TSurfacePtr frame = Render();               // the screen as drawn
//     EXPECT_EQ(frame->GetPixel(5, 5), 0xFFFF0000u);
//   }
//
// Show() makes the widget the screen's root; Load() only creates it from XML.

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/EngineSurface.h"
#include "functions/FunctionInterfaces.h"
#include "shell/GameInterfaces.h"
#include "shell/WidgetClasses.h"
#include "tests/support/FakeEngine.h"
#include "tests/support/FakeScreenOwner.h"

// Readable failure messages.
inline void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
}
inline void PrintTo(const TPoint& p, std::ostream* os) {
  *os << "(" << p.X << "," << p.Y << ")";
}

// ---------------------------------------------------------------------------------------
// The screen: the root widget's owner, the window and the event handler; as a screen the
// game drives (IGameScreenSlave) it routes the mouse and keys as a screen does, without
// the input guard and without moving the focus.

struct WidgetEvent {
  std::string sender;
  int32_t code = 0;
  int32_t param = 0;
  bool operator==(const WidgetEvent&) const = default;
};

class FakeWindow : public TPropertyObject,
                   public virtual IWidgetOwner,
                   public virtual IWindow,
                   public virtual IEventHandler,
                   public virtual IGameScreenSlave {
 public:
  IEngine* engine = nullptr;
  IGameScreenOwner* screenOwner = nullptr;  // what GetGameScreenOwner gives
  Ref<IWidget> root;
  Ref<ISoundCollection> gameSounds;  // what FindSound finds above the root
  std::vector<TRect> dirtyRects;     // screen coordinates, as posted
  std::vector<WidgetEvent> events;
  TPoint mouse;
  Ref<IWidget> capture;
  Ref<IWidget> focus;

  // Makes Widget the root (the old root releases its owner).
  void SetRoot(const Ref<IWidget>& widget);

  // IWidgetOwner
  IEngine* GetEngine() override { return engine; }
  IWindow* GetWindow() override { return this; }
  IEventHandler* GetEventHandler() override { return this; }
  TPoint ScreenToLocal(const TPoint& point) override { return point; }
  TPoint GetMousePos() override { return mouse; }
  void SetMousePos(const TPoint& point) override { mouse = point; }
  Ref<IWidget> CreateWidgetFromFactory(const std::string&, const Ref<IParamCollection>&) override {
    return nullptr;
  }
  Ref<IWidget> FindWidget(std::string_view path) override;
  Ref<ISound> FindSound(const std::string& name) override;
  std::string GetPath() override { return name_; }
  void AddDirtyRect(const TRect& rect) override;

  // IWindow
  void SetCapture(const Ref<IWidget>& widget) override;
  void ReleaseCapture() override;
  Ref<IWidget> GetCapture() override { return capture; }
  void SetFocus(const Ref<IWidget>& widget) override;
  void ClearFocus() override;
  Ref<IWidget> GetFocus() override { return focus; }
  Ref<IWidgetCollection> GetChildren() override;
  void ResetInput() override;
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  void PlaySound(const std::string& name) override;
  void StopSound(const std::string& name) override;

  // IEventHandler
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  IGameScreenOwner* GetGameScreenOwner() override { return screenOwner; }

  // IGameScreenSlave: the captured widget, else the mouse-stop widget under the point,
  // gets the mouse; the focused widget gets the keys.
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  void AttachOwner(IGameScreenOwner* owner) override { screenOwner = owner; }
  void ReleaseOwner() override {}
  void Show(const Ref<IParamCollection>&) override {}
  void Hide() override {}
  void Activate() override {}
  void Deactivate() override {}
  void Update(int32_t dt) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  TRect GetRect() override { return root ? root->GetRect() : TRect{}; }
  void OnActivateApp(bool) override {}
  void OnChildClosed(const std::string&, const Ref<IParamCollection>&) override {}
  Ref<IWidget> GetRootWidget() override { return root; }
  bool UpdateDirtyRects() override;
  bool IsShown() override { return !root || root->IsVisible(); }
  void LoadWindow() override {}
  Ref<IMusicCollection> GetMusics() override { return nullptr; }
};

// ---------------------------------------------------------------------------------------
// Test doubles registered under test names.

// "test_box": a single widget that fills its rectangle with "color" (ARGB), counts its
// updates, records mouse events and answers them with "handles". "caption" is a plain
// text property.
class TestBoxWidget : public TSingleWidget {
 public:
  uint32_t color = 0xFFFFFFFF;
  bool handles = false;
  std::string caption;
  int updates = 0;
  int lastDt = 0;
  std::vector<uint32_t> mouseMessages;
  std::vector<TPoint> mousePoints;
  // Where each Draw put the anchor; room reserved so that recording a few hundred frames
  // does not show up in the allocation-counting tests.
  std::vector<TPoint> drawnAt = [] {
    std::vector<TPoint> reserved;
    reserved.reserve(1024);
    return reserved;
  }();

  void Update(int32_t dt) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

 protected:
  const TPropertyTable& Properties() override;
};

// "test_function": output = input * "scale" + "offset", every Calculate. "output" and
// "input" name the bound properties (either may be empty). Execute counts restarts and
// leaves the outputs as pushed in.
class TestFunction : public TPersistObject, public virtual IFunction {
 public:
  std::string outputName, inputName;
  double scale = 1, offset = 0;
  float output = 0, input = 0;
  int executes = 0, calculates = 0, clears = 0;
  std::vector<float> pushedOutputs;  // start values pushed before each run

  void SetOwner(IFunctionOwner*) override {}
  void Clear() override { ++clears; }
  void Execute() override { ++executes; }
  Ref<IParamSpace> GetParamSpace() override { return nullptr; }
  int32_t GetInputCount() override { return 1; }
  int32_t GetOutputCount() override { return 1; }
  void SetInput(int32_t, float value) override { input = value; }
  void SetOutput(int32_t, float value) override;
  float GetOutput(int32_t) override { return output; }
  float GetParamValue(const std::string&) override { return 0; }
  void SetParamValue(const std::string&, float) override {}
  std::string GetParamDefName(int32_t col, int32_t row) override { return GetParamName(col, row); }
  std::string GetParamName(int32_t col, int32_t) override {
    return col == 0 ? outputName : inputName;
  }
  void Calculate() override;
  Ref<IFunctionCollection> GetFunctions() override { return nullptr; }

 protected:
  const TPropertyTable& Properties() override;
};

// A sound description: the resource name, volume and pan are all the engine fake reads.
class TestSound : public TPropertyObject, public virtual ISound {
 public:
  std::string resource;
  int32_t volume = -1, pan = -101;

  void Init() override;
  std::string GetResourceName() override { return resource; }
  void SetResourceName(const std::string& name) override { resource = name; }
  int32_t GetVolume() override { return volume; }
  void SetVolume(int32_t v) override { volume = v; }
  int32_t GetPan() override { return pan; }
  void SetPan(int32_t p) override { pan = p; }
  bool GetMuteMusic() override { return false; }
  void SetMuteMusic(bool) override {}
  bool GetLoop() override { return false; }
  void SetLoop(bool) override {}
  int32_t GetStartDelayMin() override { return 0; }
  void SetStartDelayMin(int32_t) override {}
  int32_t GetStartDelayMax() override { return 0; }
  void SetStartDelayMax(int32_t) override {}
  int32_t GetCycleDelayMin() override { return 0; }
  void SetCycleDelayMin(int32_t) override {}
  int32_t GetCycleDelayMax() override { return 0; }
  void SetCycleDelayMax(int32_t) override {}
  bool GetStoppableByGroup() override { return false; }
  void SetStoppableByGroup(bool) override {}
  int32_t GetPlayFadingTime() override { return 0; }
  void SetPlayFadingTime(int32_t) override {}
  int32_t GetStopFadingTime() override { return 0; }
  void SetStopFadingTime(int32_t) override {}

 protected:
  const TPropertyTable& Properties() override;
};

// "sounds" of "sound" elements ("name", "resourcename", "volume", "pan").
class TestSoundCollection : public TStaticCreationPersistItemCollection,
                            public virtual ISoundCollection {
 public:
  void Init() override;
  Ref<ISound> FindSound(const Variant& address) override;
  void AddSound(const std::string& name, const std::string& resource);

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

// Registers the shell's classes and the doubles above ("test_box", "test_function"), and
// installs the test sound collection as the widgets' sound list. Safe to call repeatedly.
void RegisterWidgetTestClasses();

// ---------------------------------------------------------------------------------------

using TSurfacePtr = Ref<TSurface>;

class WidgetFixture : public ::testing::Test {
 protected:
  WidgetFixture();
  ~WidgetFixture() override;

  // A widget created from XML text ("type" and "name" of the root element); fails the
  // test when none is made.
  Ref<IWidget> Load(const std::string& xml);
  // Load, then make it the screen's root.
  Ref<IWidget> Show(const std::string& xml);
  // One frame: the root's update with Dt, then its dirty pass. The window's and the
  // engine's records hold this frame's rectangles only.
  void Frame(int32_t dt);
  // The dirty pass alone (records cleared first).
  void DirtyPass();
  // A new Width x Height frame filled with Background with the root drawn at its anchors.
  TSurfacePtr Render(int32_t width = 64, int32_t height = 64, uint32_t background = 0);
  static TSurfacePtr NewSurface(int32_t width, int32_t height, uint32_t fill = 0);
  // The named widget's concrete test box (asserts it is one).
  static TestBoxWidget* Box(const Ref<IWidget>& widget);

  Ref<FakeEngine> engine;
  Ref<FakeWindow> window;
  Ref<FakeScreenOwner> screens;  // the window's game
};
