#pragma once
// The fixture of the control tests: the widget fixture with the widget library, a font,
// pictures, the game's click sound, and input sent the way the screen sends it.
//
//   Ref<IWidget> root = ShowScreen(Button("ok", 10, 10, R"(enabled="yes")"));
//   Click(15, 15);                     // press and release through the window
//   EXPECT_EQ(window->events, (std::vector<WidgetEvent>{{"ok", 1, 0}}));

#include <string>
#include <vector>

#include "platform/InputConstants.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/ControlWidget.h"
#include "widgets/WidgetsRegistration.h"

class ControlFixture : public WidgetFixture {
 public:
  // Glyphs of "mono": 4 x 6, no spacing, for "a".."g", "A".."G", digits, " %,." and "é", "É".
  static constexpr std::u32string_view kMonoChars = U"abcdefgABCDEFG 0123456789%,.\u00E9\u00C9";

 protected:
  ControlFixture() {
    RegisterWidgetsClasses();
    mono = MakeFixedFont(kMonoChars, 4, 6);
    engine->resources->Put("mono", mono);
    for (const char* name : {"red", "green", "blue", "grey", "white"}) {
      uint32_t colour = std::string(name) == "red"     ? 0xFFFF0000
                        : std::string(name) == "green" ? 0xFF00FF00
                        : std::string(name) == "blue"  ? 0xFF0000FF
                        : std::string(name) == "grey"  ? 0xFF808080
                                                       : 0xFFFFFFFF;
      engine->resources->Put(name, MakeImage(Ref<ISurface>(NewAlphaSurface(40, 40, colour).get())));
    }
    engine->resources->Put("empty", MakeImage(Ref<ISurface>(NewAlphaSurface(0, 0).get())));
    Ref<TestSoundCollection> sounds = TAbstractObject::Create<TestSoundCollection>();
    sounds->AddSound("sound_buttonclick", "snd_click");
    sounds->AddSound("sound_effect", "snd_effect");
    window->gameSounds = Ref<ISoundCollection>(sounds.get());
  }

 public:
  // A visible group at (0, 0) that routes the mouse to its children, holding Children.
  Ref<IWidget> ShowScreen(const std::string& children) {
    return Show(R"(<widget type="group_widget" name="root" visible="yes" mousestop="yes">)"
                "<widgets>" +
                children + "</widgets></widget>");
  }

  // An image child of a control: Width x Height of the named picture.
  static std::string Picture(const std::string& name, const std::string& resource, int width = 40,
                             int height = 40, const std::string& attrs = {}) {
    return R"(<widget type="image_widget" name=")" + name + R"(" resourcename=")" + resource +
           R"(" width=")" + std::to_string(width) + R"(" height=")" + std::to_string(height) +
           R"(" visible="yes" )" + attrs + "/>";
  }

  // A 40 x 40 button at (Left, Top) with the three pictures red, green (selected) and grey
  // (disabled) unless Pictures gives others.
  static std::string Button(const std::string& name, int left, int top,
                            const std::string& attrs = {}, const std::string& pictures = {}) {
    return R"(<widget type="ButtonControl" name=")" + name + R"(" width="40" height="40" )" +
           "anchor_left=\"" + std::to_string(left) + "\" anchor_top=\"" + std::to_string(top) +
           R"(" visible="yes" mousestop="yes" )" + attrs + "><widgets>" +
           (pictures.empty() ? Picture("image_normal", "red") + Picture("image_selected", "green") +
                                   Picture("image_disabled", "grey")
                             : pictures) +
           "</widgets></widget>";
  }

  // A text child "text" of the mono font.
  static std::string TextChild(const std::string& name, int left, int top, int width,
                               const std::string& attrs = {}) {
    return R"(<widget type="text_widget" name=")" + name + R"(" resourcename="mono" )" +
           "anchor_left=\"" + std::to_string(left) + "\" anchor_top=\"" + std::to_string(top) +
           R"(" width=")" + std::to_string(width) + R"(" height="6" visible="yes" )" + attrs + "/>";
  }

 protected:
  // Input through the window, as the screen routes it.
  bool Mouse(uint32_t message, int x, int y) {
    engine->cursor = TPoint{x, y};
    return window->HandleMouse(message, TPoint{x, y}, 0);
  }
  bool Press(int x, int y) { return Mouse(input::kLeftButtonDown, x, y); }
  bool Release(int x, int y) { return Mouse(input::kLeftButtonUp, x, y); }
  bool MoveTo(int x, int y) { return Mouse(input::kMouseMove, x, y); }
  void Click(int x, int y) {
    Press(x, y);
    Release(x, y);
  }
  bool KeyDown(uint32_t key) { return window->HandleKey(input::kKeyDown, key, 0); }
  bool KeyUp(uint32_t key) { return window->HandleKey(input::kKeyUp, key, 0); }
  // One character message per character of Text (UTF-8).
  void Type(const std::u32string& text) {
    for (char32_t c : text) window->HandleKey(input::kChar, uintptr_t(c), 0);
  }

  // The names of the visible children of Widget, in order.
  static std::vector<std::string> VisibleChildren(const Ref<IWidget>& widget) {
    std::vector<std::string> names;
    Ref<IWidgetCollection> children = widget->GetChildren();
    for (int i = 0; children && i < children->Count(); ++i)
      if (Ref<IWidget> child = children->GetByIndex(i); child->IsVisible())
        names.push_back(child->GetName());
    return names;
  }

  Ref<FakeFontResource> mono;
};
