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

class IGameScreenOwner;  // the game as its screens see it, below

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

  // A message from another widget: an integer parameter for most codes, a parameter
  // collection (an interface value) for some.
  virtual void Notify(int32_t code, const Variant& param) = 0;

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

// The event codes controls send.
namespace control_event {
constexpr int32_t kButtonClick = 1;      // a button without a built-in action was clicked
constexpr int32_t kCheckBoxToggled = 2;  // the check box was clicked; it has toggled
constexpr int32_t kTrackBarMoved = 3;    // the track bar's position changed
constexpr int32_t kEditChar = 4;         // a character reached the focused edit field
constexpr int32_t kListBoxClick = 5;     // a click on the rows, or a key moved the selection
constexpr int32_t kListBoxDoubleClick = 6;
constexpr int32_t kTextRevealed = 7;  // a letter-by-letter reveal has finished
constexpr int32_t kTextClicked = 8;   // a click on a text that is fully shown
constexpr int32_t kSequenceEnd = 10;  // a sequence tried to step past its last picture
}  // namespace control_event

// A list box of text rows, as screens fill and read it. Rows are kept under keys (any
// case); Key arguments are a position (an integer) or a row's key (a string).
class IListBoxControl : public virtual IWidget {
 public:
  // The row's text; '' when there is no such row.
  virtual std::string GetRow(const Variant& key) = 0;
  // Appends a row under Key, or under a key of its own when Key is ''; nothing when Key
  // is taken.
  virtual void AddRow(const std::string& text, const std::string& key) = 0;
  // Deletes the row (any other kind of key means position 0); nothing when there is no
  // such row. The selection stays on the row it was on, or moves to the next row when
  // that one was deleted.
  virtual void DeleteRow(const Variant& key) = 0;
  virtual void ClearRows() = 0;
  // Taken for a position of a row, or -1 (none) when the list is empty.
  virtual void SetSelected(int32_t index) = 0;
  // The selected position, -1 for none.
  virtual int32_t GetSelected() = 0;
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
// The game and its screens

class IGameScreenSlave;
class IGSCollection;
class ICursorCollection;
class IHighScores;
class IUserProfileCollection;
class ILevelRecords;

// The game as its screens (and custom settings) see it. The options are the game's
// parameters; identifiers name screens of the game file.
class IGameScreenOwner : public virtual INamedObject {
 public:
  virtual Variant GetParamValue(const std::string& name) = 0;
  virtual Variant GetParamValueDef(const std::string& name, const Variant& def) = 0;
  virtual void SetParamValue(const std::string& name, const Variant& value) = 0;
  virtual Ref<IParamCollection> GetParams() = 0;
  // Sets the option, keeps it in the options store when it is a stored one and lets the
  // engine apply it.
  virtual void SetOption(const std::string& name, const std::string& value) = 0;
  virtual IEngine* GetEngine() = 0;
  virtual IGameScreenOwner* GetGameScreenOwner() = 0;
  // Pushes the screen and shows it; false when it is on the stack already or unknown.
  virtual bool ShowScreen(const std::string& id, const Ref<IParamCollection>& params) = 0;
  // Hides the top screen; it leaves the stack when its hide effect has ended and Result
  // goes to the screen below. False when Screen is not the top screen.
  virtual bool CloseScreen(IGameScreenSlave* screen, const Ref<IParamCollection>& result) = 0;
  virtual Ref<IGSCollection> GetScreens() = 0;
  virtual Ref<IHighScores> GetHighScores() = 0;
  virtual Ref<IUserProfileCollection> GetUserProfiles() = 0;
  virtual Ref<ILevelRecords> GetLevelRecords() = 0;
  virtual Ref<ICursorCollection> GetCursors() = 0;
  // Leaves the splash screen for the main screen.
  virtual void ShowMainScreen() = 0;
  virtual Ref<ISoundCollection> GetSounds() = 0;
  virtual Ref<ISound> FindSound(const std::string& name) = 0;
  virtual TPoint GetMousePos() = 0;
  virtual void SetMousePos(const TPoint& point) = 0;
};

// A screen as the game drives it.
class IGameScreenSlave : public virtual INamedObject {
 public:
  // Keeps the game; a loaded window gets its owner chain at once.
  virtual void AttachOwner(IGameScreenOwner* owner) = 0;
  // Drops show parameters, capture, focus and the owner (the game is ending).
  virtual void ReleaseOwner() = 0;
  virtual void Show(const Ref<IParamCollection>& params) = 0;
  // Starts the hide effect; the screen counts as shown until it ends.
  virtual void Hide() = 0;
  virtual void Activate() = 0;
  virtual void Deactivate() = 0;
  virtual void Update(int32_t dt) = 0;
  virtual void Draw(ISurface* surface, int32_t x, int32_t y) = 0;
  virtual TRect GetRect() = 0;
  // The application gained or lost the focus.
  virtual void OnActivateApp(bool active) = 0;
  virtual bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) = 0;
  virtual bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) = 0;
  // The screen above, Name, has left the stack with Result.
  virtual void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) = 0;
  virtual IWindow* GetWindow() = 0;
  virtual Ref<IWidget> GetRootWidget() = 0;
  // The dirty pass; true while the screen is active.
  virtual bool UpdateDirtyRects() = 0;
  virtual bool IsShown() = 0;
  virtual void LoadWindow() = 0;
  virtual Ref<IMusicCollection> GetMusics() = 0;
};

// Screens keyed by identifier (any case).
class IGSCollection : public virtual ICollection {
 public:
  // A position or an identifier; nothing when absent.
  virtual Ref<IGameScreenSlave> GetScreen(const Variant& address) = 0;
  // False when a screen of that identifier is there already.
  virtual bool AddItem(const Ref<IGameScreenSlave>& screen) = 0;
};

// A mouse cursor: a widget drawn with its hot spot at the mouse position.
class ICursor : public virtual INamedObject {
 public:
  virtual Ref<IWidget> GetWidget() = 0;
  // Keeps the widget and makes it invisible.
  virtual void SetWidget(const Ref<IWidget>& widget) = 0;
  virtual TPoint GetHotSpot() = 0;
  virtual void SetHotSpot(const TPoint& point) = 0;
};

class ICursorCollection : public virtual ICollection {
 public:
  // A position or a name; nothing when absent.
  virtual Ref<ICursor> GetItem(const Variant& address) = 0;
  virtual void AddItem(const Ref<ICursor>& cursor) = 0;
  virtual Ref<ICursor> GetCurrentCursor() = 0;
  // Hides the current cursor's widget and shows the named one's; false (nothing
  // changes) when no cursor bears the name.
  virtual bool SetCursor(const std::string& name) = 0;
  // The default name when such a cursor exists, else the first cursor's; '' without.
  virtual std::string GetDefaultCursorName() = 0;
};

// A resource list: loaded into the resource group of its name, at once ("synch") or while
// the splash screen is on view ("asynch").
class IResourceFile : public virtual INamedObject {
 public:
  enum : uint8_t { lmSynch = 0, lmAsynch = 1 };
  virtual std::string GetFileName() = 0;
  virtual void SetFileName(const std::string& fileName) = 0;
  virtual uint8_t GetLoadMode() = 0;
  virtual void SetLoadMode(uint8_t mode) = 0;
};

class IResourceFileCollection : public virtual ICollection {
 public:
  virtual Ref<IResourceFile> GetItem(const Variant& address) = 0;
  virtual void AddItem(const Ref<IResourceFile>& file) = 0;
};

// One command of a custom settings file, run once against the game.
class ISettingsCommand : public virtual INamedObject {
 public:
  virtual void Execute(IGameScreenOwner* context) = 0;
};

class ISettingsCommandCollection : public virtual ICollection {
 public:
  virtual Ref<ISettingsCommand> GetItem(const Variant& address) = 0;
  virtual void AddItem(const Ref<ISettingsCommand>& command) = 0;
};

// A custom settings file and its commands.
class ICustomSettings : public virtual INamedObject {
 public:
  virtual void LoadFromFile(IEngine* engine) = 0;
  virtual void Apply(IGameScreenOwner* context) = 0;
};

class ICustomSettingsCollection : public virtual ICollection {
 public:
  virtual Ref<ICustomSettings> GetItem(const Variant& address) = 0;
  virtual void AddItem(const Ref<ICustomSettings>& settings) = 0;
  // Loads and applies every setting in order.
  virtual void ApplyAll(IEngine* engine, IGameScreenOwner* context) = 0;
};

// Player data. The game loads each once at its start and saves the profiles when it
// ends; screens, the high-score grid and the level statistics reach the tables, records
// and profiles through these interfaces.

// High scores: one row of a table, a few named values ("Score", "Player", "Level",
// "Const"). Its name is made when it is created and cannot be changed.
class IRecord : public virtual INamedObject {
 public:
  virtual Ref<IParamCollection> GetParams() = 0;
  // "Score" as an integer; -1 when it is missing or no integer.
  virtual int32_t GetScore() = 0;
};

// The rows of one table, keyed by their names, best first.
class IRecordCollection : public virtual ICollection {
 public:
  // A position or a name; nothing when absent.
  virtual Ref<IRecord> GetItem(const Variant& address) = 0;
  // Appends under the record's name.
  virtual void AddItem(const Ref<IRecord>& record) = 0;
  // Moves the record to Position.
  virtual void MoveItem(const Ref<IRecord>& record, int position) = 0;
};

// One high-score table: records ordered by descending score, cut to its maximum.
class IRecordTable : public virtual INamedObject {
 public:
  virtual Ref<IRecordCollection> GetRecords() = 0;
  // The position of the record inserted last (a screen highlights it); -1 for none.
  virtual int32_t GetLastIndex() = 0;
  virtual void ResetLastIndex() = 0;
  // Whether a score would enter the table: above 0, and the table not full or its last
  // score lower.
  virtual bool Qualifies(int32_t score) = 0;
  // A new record from Params' "Score" (and the other declared values) when the score
  // qualifies; nothing otherwise.
  virtual Ref<IRecord> AddScoreRecord(const Ref<IParamCollection>& params) = 0;
  // As AddScoreRecord, but nothing when the table holds a row of that "Player" that is
  // not "Const": each player keeps one row of their own.
  virtual Ref<IRecord> AddRecord(const Ref<IParamCollection>& params) = 0;
  // Updates the player's own row (even to a lower score) or adds one when the score
  // qualifies. True when a row was added or the order changed.
  virtual bool AddRecordMatched(const Ref<IParamCollection>& params) = 0;
  virtual void Clear() = 0;
};

// The tables, keyed by name, in the order they were declared.
class IRecordTableCollection : public virtual ICollection {
 public:
  virtual Ref<IRecordTable> GetItem(const Variant& address) = 0;
  virtual void AddItem(const Ref<IRecordTable>& table) = 0;
};

// The operations naming a table do nothing (false, no record) when there is no such table.
class IHighScores : public virtual IInterface {
 public:
  virtual Ref<IRecordTableCollection> GetTables() = 0;
  virtual bool Qualifies(int32_t score, const std::string& tableName) = 0;
  virtual Ref<IRecord> AddScoreRecord(const Ref<IParamCollection>& params,
                                      const std::string& tableName) = 0;
  virtual Ref<IRecord> AddRecord(const Ref<IParamCollection>& params,
                                 const std::string& tableName) = 0;
  virtual bool AddRecordMatched(const Ref<IParamCollection>& params,
                                const std::string& tableName) = 0;
  virtual void ClearAll() = 0;
  virtual void ResetLastIndexes() = 0;
  // From the preference folder, else the program folder (always there with
  // FromProgramFolder); what cannot be read leaves the tables as they are.
  virtual void LoadFromFile(IEngine* engine, bool fromProgramFolder) = 0;
  virtual void SaveToFile(IEngine* engine) = 0;
};

// A player: per-player settings and the text in which the gameplay keeps their progress.
class IUserProfile : public virtual INamedObject {
 public:
  virtual Ref<IParamCollection> GetParams() = 0;
  virtual std::string GetDataStorage() = 0;
  virtual void SetDataStorage(const std::string& text) = 0;
};

// The players, keyed by name (any case), and the current one.
class IUserProfileCollection : public virtual ICollection {
 public:
  // A position or a name; nothing when absent.
  virtual Ref<IUserProfile> GetItem(const Variant& address) = 0;
  virtual Ref<IUserProfile> GetCurrent() = 0;
  // A name no profile bears (or '') leaves no current profile.
  virtual void SetCurrent(const std::string& name) = 0;
  virtual Ref<IUserProfile> GetOrCreate(const std::string& name) = 0;
  virtual void LoadFromFile(IEngine* engine) = 0;
  virtual void SaveToFile(IEngine* engine) = 0;
};

// Level records: the results of one level (its name is the level number), values by
// name, held as text.
class ILevelRecord : public virtual INamedObject {
 public:
  virtual void SetIntValue(const std::string& name, int32_t value) = 0;
  virtual void SetValue(const std::string& name, const std::string& text) = 0;
  // The value, or Default when it is missing (stored first with Create) or no integer.
  virtual int32_t GetIntValue(const std::string& name, int32_t def, bool create) = 0;
  virtual std::string GetValue(const std::string& name, const std::string& def, bool create) = 0;
  // The name as an integer; -1 when it is none.
  virtual int32_t GetLevelNumber() = 0;
  virtual Ref<IParamCollection> GetParams() = 0;
};

class ILevelRecordTable : public virtual INamedObject {
 public:
  // Nothing when the level has no record.
  virtual Ref<ILevelRecord> GetRecord(int32_t level) = 0;
  // The level's record, made when missing; Params (when given) are copied into it.
  virtual Ref<ILevelRecord> GetOrCreateRecord(int32_t level,
                                              const Ref<IParamCollection>& params) = 0;
};

class ILevelRecordTableCollection : public virtual ICollection {
 public:
  virtual Ref<ILevelRecordTable> GetItem(const Variant& address) = 0;
  virtual void AddItem(const Ref<ILevelRecordTable>& table) = 0;
};

class ILevelRecords : public virtual IInterface {
 public:
  virtual Ref<ILevelRecordTableCollection> GetTables() = 0;
  // GetOrCreateRecord of the named table; nothing when there is no such table.
  virtual Ref<ILevelRecord> GetRecord(const Ref<IParamCollection>& params,
                                      const std::string& tableName, int32_t level) = 0;
  // From the preference folder, else the program folder.
  virtual void LoadFromFile(IEngine* engine) = 0;
  virtual void SaveToFile(IEngine* engine) = 0;
};

// ---------------------------------------------------------------------------------------
// A widget's own sounds are a TSoundCollection; tests may install another maker.
using TSoundCollectionMaker = Ref<ISoundCollection> (*)();
void SetSoundCollectionMaker(TSoundCollectionMaker maker);
Ref<ISoundCollection> NewSoundCollection();
