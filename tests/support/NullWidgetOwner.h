#pragma once
// A widget owner that stands for a screen with nothing around it: no engine, window or
// event handler, no factories or sounds. Benchmarks and fuzz targets put a root widget
// under it; it counts the dirty rectangles that reach it. Header only, so that programs
// without the test framework can use it.

#include "shell/WidgetClasses.h"

class NullWidgetOwner : public TNamedObject, public virtual IWidgetOwner {
 public:
  int dirtyRects = 0;

  IEngine* GetEngine() override { return nullptr; }
  IWindow* GetWindow() override { return nullptr; }
  IEventHandler* GetEventHandler() override { return nullptr; }
  TPoint ScreenToLocal(const TPoint& point) override { return point; }
  TPoint GetMousePos() override { return {}; }
  void SetMousePos(const TPoint&) override {}
  Ref<IWidget> CreateWidgetFromFactory(const std::string&, const Ref<IParamCollection>&) override {
    return nullptr;
  }
  Ref<IWidget> FindWidget(std::string_view) override { return nullptr; }
  Ref<ISound> FindSound(const std::string&) override { return nullptr; }
  std::string GetPath() override { return name_; }
  void AddDirtyRect(const TRect&) override { ++dirtyRects; }
};
