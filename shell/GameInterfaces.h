#pragma once
// How the pieces of a screen reach each other: widgets (IWidget), their owners
// (IWidgetOwner: groups, decorating widgets, the screen), the screen as a window that keeps
// mouse capture and keyboard focus (IWindow), the receiver of control events
// (IEventHandler), the child lists of groups, widget factories and appearance effects.
//
// Back links (a widget's owner, the window, the engine) are plain pointers: the owner
// holds the widget, never the other way round.
//
// Widget paths: names joined by "/", where "." is the widget itself, ".." its owner and
// "window:" the screen's root widget; "window:/menu/play" names the child "play" of the
// root's child "menu".

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"
#include "foundation/Params.h"

class IWidget;
class IWidgetOwner;
class IWindow;
class IEventHandler;
class IWidgetCollection;

// The game as its screens see it; its operations come with the game object.
class IGameScreenOwner : public virtual IInterface {};

// ---------------------------------------------------------------------------------------
// Widgets

class IWidget : public virtual IPropertyObject {
 public:
  // Ownership: the owner's back link is kept; redefined parameters are applied and the
  // function widget starts.
  virtual void SetOwner(IWidgetOwner* owner) = 0;
  virtual void ReleaseOwner() = 0;
  virtual IWidgetOwner* GetOwner() = 0;

  // Life and clock.
  virtual void Invalidate() = 0;
  virtual bool IsDead() = 0;
  virtual void SetDead(bool value) = 0;
  virtual bool IsPaused() = 0;
  virtual void SetPaused(bool value) = 0;
  virtual bool IsUpdated() = 0;
  virtual void SetUpdated(bool value) = 0;
  // One frame of Dt milliseconds, scaled by the widget's "time_rate".
  virtual void Process(int32_t dt) = 0;
  virtual void Restart() = 0;
  virtual void Resume() = 0;
  virtual void Pause() = 0;

  // Tree.
  virtual Ref<IWidgetCollection> GetChildren() = 0;
  virtual Ref<IWidget> FindWidget(std::string_view path) = 0;

  // Place and look. Anchors and rectangles are in the owner's coordinates.
  virtual bool IsVisible() = 0;
  virtual void SetVisible(bool value) = 0;
  virtual int32_t GetZ() = 0;
  virtual void SetZ(int32_t value) = 0;
  virtual double GetAnchorLeft() = 0;
  virtual void SetAnchorLeft(double value) = 0;
  virtual double GetAnchorTop() = 0;
  virtual void SetAnchorTop(double value) = 0;
  // A screen point in the coordinates of the widget's anchors (its owner's space).
  virtual TPoint ScreenToLocalPoint(const TPoint& point) = 0;
  virtual double GetTop() = 0;
  virtual double GetLeft() = 0;
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual TRect GetRect() = 0;
  virtual int32_t GetTransparentLevel() = 0;
  virtual void SetTransparentLevel(int32_t value) = 0;
  // X, Y: where the widget's anchor lies on Surface.
  virtual void Draw(ISurface* surface, int32_t x, int32_t y) = 0;
  // A new surface with the widget drawn into it; nothing for widgets without looks.
  virtual Ref<ISurface> GetImage() = 0;

  // Input.
  virtual bool IsEnabled() = 0;
  virtual void SetEnabled(bool value) = 0;
  virtual bool IsTabStop() = 0;
  virtual void SetTabStop(bool value) = 0;
  virtual bool IsMouseStop() = 0;
  virtual void SetMouseStop(bool value) = 0;
  // Point in the owner's coordinates.
  virtual Ref<IWidget> WidgetAtPos(const TPoint& point) = 0;
  virtual bool ContainsPoint(const TPoint& point, bool ignoreVisibility) = 0;
  virtual void OnLoseCapture() = 0;
  virtual void OnKillFocus() = 0;
  virtual void OnSetFocus() = 0;
  virtual bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) = 0;
  virtual bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) = 0;

  // Sounds: the widget's own, else its owner chain's. The channel, 0 when nothing played.
  virtual AudioHandle PlaySound(const std::string& name, bool useGivenValues = false,
                                int32_t volume = 0, int32_t pan = 0) = 0;
  virtual void StopSound(const std::string& name) = 0;
  virtual Ref<ISoundCollection> GetSounds() = 0;
  virtual Ref<ISound> FindSound(const std::string& name) = 0;

  virtual void Notify(int32_t code, int32_t param) = 0;

  // The dirty-rectangle pass, once per frame after the update.
  virtual void UpdateDirtyRects(bool forceOld, bool forceNew) = 0;
  virtual bool WasVisible() = 0;
  virtual bool NeedsRedraw() = 0;
  virtual void SetNeedsRedraw(bool value) = 0;
  // The widget posted rectangles in this frame's pass.
  virtual bool IsInvalidated() = 0;

  // Visible and running, or hidden and paused.
  virtual void Show(bool value) = 0;
  virtual void SetExtraParam(const std::string& name, const Variant& value) = 0;
  // "owner path/name" up to the screen's name.
  virtual std::string GetPath() = 0;
};

// What a widget asks of whoever holds it (a group, a decorating widget, the screen).
class IWidgetOwner : public virtual INamedObject {
 public:
  virtual IEngine* GetEngine() = 0;
  virtual IWindow* GetWindow() = 0;
  virtual IEventHandler* GetEventHandler() = 0;
  // A screen point in the coordinates of the owner's children.
  virtual TPoint ScreenToLocal(const TPoint& point) = 0;
  virtual TPoint GetMousePos() = 0;
  virtual void SetMousePos(const TPoint& point) = 0;
  virtual Ref<IWidget> CreateWidgetFromFactory(const std::string& factoryName,
                                               const Ref<IParamCollection>& params) = 0;
  virtual Ref<IWidget> FindWidget(std::string_view path) = 0;
  virtual Ref<ISound> FindSound(const std::string& name) = 0;
  virtual std::string GetPath() = 0;
  // Rect in screen coordinates.
  virtual void AddDirtyRect(const TRect& rect) = 0;
};

// The screen as its widgets see it.
class IWindow : public virtual IPropertyObject {
 public:
  virtual void SetCapture(const Ref<IWidget>& widget) = 0;
  virtual void ReleaseCapture() = 0;
  virtual Ref<IWidget> GetCapture() = 0;
  virtual void SetFocus(const Ref<IWidget>& widget) = 0;
  virtual void ClearFocus() = 0;
  virtual Ref<IWidget> GetFocus() = 0;
  virtual Ref<IWidgetCollection> GetChildren() = 0;
  virtual void ResetInput() = 0;
  virtual Ref<IWidget> WidgetAtPos(const TPoint& point) = 0;
  virtual Ref<IWidget> FindWidget(std::string_view path) = 0;
  virtual void PlaySound(const std::string& name) = 0;
  virtual void StopSound(const std::string& name) = 0;
};

// Receives the events of controls.
class IEventHandler : public virtual IInterface {
 public:
  virtual void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) = 0;
  virtual IEngine* GetEngine() = 0;
  virtual IGameScreenOwner* GetGameScreenOwner() = 0;
};

// ---------------------------------------------------------------------------------------
// Child lists

// Widgets keyed by their names (any case); a second widget of a name is refused.
class ISimpleWidgetCollection : public virtual ICollection {
 public:
  // A position (integer) or a name (string); nothing when absent.
  virtual Ref<IWidget> GetByKey(const Variant& key) = 0;
  virtual Ref<IWidget> GetByIndex(int index) = 0;
  virtual Ref<IWidget> GetByName(std::string_view name) = 0;
  // False when refused.
  virtual bool Add(const Ref<IWidget>& widget) = 0;
  // Appends under an explicit key.
  virtual bool Insert(const Ref<IWidget>& widget, const std::string& key) = 0;
};

// A group's children, kept in ascending z; their owner is the group.
class IWidgetCollection : public virtual ISimpleWidgetCollection {
 public:
  virtual void SetOwner(IWidgetOwner* owner) = 0;
  virtual void ReleaseOwner() = 0;
  virtual bool IsSorted() = 0;
  virtual void SetSorted(bool value) = 0;
  virtual void SortByZ() = 0;
  virtual void UpdateAll(int32_t dt) = 0;
  virtual void RemoveDead() = 0;
  // Sets the property on every item, last first.
  virtual void Broadcast(const std::string& name, const Variant& value) = 0;
  virtual void UpdateDirtyRects(bool forceOld, bool forceNew) = 0;
  // An item was added or removed, or posted rectangles.
  virtual bool IsChanged() = 0;
  virtual void ClearChanged() = 0;
  // The item at Index without a reference taken: for loops that call nothing that could
  // change the list. Nothing outside the list.
  virtual IWidget* ItemAt(int index) = 0;
};

// ---------------------------------------------------------------------------------------
// Widget factories

class IWidgetFactory : public virtual INamedObject {
 public:
  virtual std::string GetWidgetString() = 0;
  virtual void SetWidgetString(const std::string& text) = 0;
  // The template with every "%name%" of the parameters replaced by its value, as is.
  virtual std::string ExpandMacros(const Ref<IParamCollection>& params) = 0;
  // A new widget from the template; nothing when the template makes none.
  virtual Ref<IWidget> CreateWidget(const Ref<IParamCollection>& params) = 0;
};

class IWidgetFactoryCollection : public virtual ICollection {
 public:
  // A position or a name; nothing when absent.
  virtual Ref<IWidgetFactory> GetItem(const Variant& address) = 0;
  virtual void AddItem(const Ref<IWidgetFactory>& factory) = 0;
};

// ---------------------------------------------------------------------------------------
// Appearance effects

// The named effects of one effect widget; one runs at a time.
class IAppearanceEffects : public virtual IWidget {
 public:
  virtual bool HasEffect(const std::string& name) = 0;
  virtual void ApplyEffect(const std::string& name, const Ref<ISurface>& surface,
                           const Ref<IParamCollection>& params) = 0;
  // -1 nothing applied yet, 0 an effect runs, 1 finished or stopped.
  virtual int32_t GetState() = 0;
  virtual void SetState(int32_t state) = 0;
};

// One effect: an animation of a captured picture.
class IAppearanceEffect : public virtual IWidget {
 public:
  virtual void Start(const Ref<ISurface>& surface, const Ref<IParamCollection>& params) = 0;
  virtual int32_t GetState() = 0;
  virtual void SetState(int32_t state) = 0;
};

class IAppearanceEffectWidget : public virtual IWidget {
 public:
  virtual Ref<IAppearanceEffects> GetEffects() = 0;
};

// ---------------------------------------------------------------------------------------
// The widget's own sounds are the engine's sound collection; the engine installs how to
// make one at start-up. Without it widgets keep no sounds of their own.
using TSoundCollectionMaker = Ref<ISoundCollection> (*)();
void SetSoundCollectionMaker(TSoundCollectionMaker maker);
Ref<ISoundCollection> NewSoundCollection();
