#include "shell/CustomSettings.h"

#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

namespace {

// The storage of XML text read from DataFile; nothing for text that does not parse, which
// is said on the warning channel.
Ref<IHierStorage> ParseStorage(const std::string& text, const std::string& dataFile,
                               const std::string& what) {
  try {
    return Ref<IHierStorage>(LoadXmlStorageFromText(text, dataFile).get());
  } catch (const std::exception& error) {
    Warn(dataFile, what + " does not parse (" + error.what() + "); not used");
    return nullptr;
  }
}

// The screen's window, when the screen, its window and its children exist.
IWindow* FindWindow(IGameScreenOwner* context, const std::string& screenName) {
  if (!context) return nullptr;
  Ref<IGSCollection> screens = context->GetScreens();
  Ref<IGameScreenSlave> screen = screens ? screens->GetScreen(Variant(screenName)) : nullptr;
  IWindow* window = screen ? screen->GetWindow() : nullptr;
  return window && window->GetChildren() ? window : nullptr;
}

}  // namespace

// The XML text a command works on, kept as the content of its child "storage_string".
template <class C>
TPropertyRow StorageStringRow() {
  return Custom<C>(
      "storage_string",
      [](C& command, const Ref<IHierStorage>& node) {
        command.storageString_ = node && node->GetChildCount("storage_string") > 0
                                     ? node->GetChildContent("storage_string").ToString()
                                     : std::string();
      },
      [](C& command, const Ref<IHierStorage>& node) {
        if (node && !command.storageString_.empty())
          node->SetChildContent("storage_string", Variant(command.storageString_));
      });
}

// ---------------------------------------------------------------------------------------
// Commands

void TAbstractSettingsCommand::Init() {
  TPersistObject::Init();
  elementName_ = "command";
}

void TAbstractSettingsCommand::LoadFromStorage(const Ref<IHierStorage>& node) {
  dataFile_ = StorageDataFile(node);
  TPersistObject::LoadFromStorage(node);
}

void TAbstractSettingsCommand::WarnSkipped(const std::string& why) {
  Warn(dataFile_, "command \"" + name_ + "\": " + why + "; it does nothing");
}

Ref<IHierStorage> TAbstractSettingsCommand::ParseStorageString(const std::string& text) {
  if (text.empty()) {
    WarnSkipped("no \"storage_string\"");
    return nullptr;
  }
  return ParseStorage(text, dataFile_, "the \"storage_string\" of command \"" + name_ + "\"");
}

void TParamSettingsCommand::Execute(IGameScreenOwner* context) {
  if (context && !paramName_.empty()) context->SetParamValue(paramName_, Variant(value_));
}

const TPropertyTable& TParamSettingsCommand::Properties() {
  using C = TParamSettingsCommand;
  static const TPropertyTable table(TAbstractSettingsCommand::Properties(),
                                    {
                                        Attr("paramname", &C::paramName_).Str(),
                                        Attr("value", &C::value_).Str(),
                                    });
  return table;
}

void TAddWidgetSettingsCommand::Execute(IGameScreenOwner* context) {
  IWindow* window = FindWindow(context, gameScreenName_);
  if (!window) return WarnSkipped("no screen \"" + gameScreenName_ + "\" with widgets");
  Ref<IWidget> parent = window->FindWidget(parentWidgetName_);
  if (!parent || !Supports<IWidgetOwner>(parent))
    return WarnSkipped("no widget \"" + parentWidgetName_ + "\" that holds widgets");
  Ref<IHierStorage> storage = ParseStorageString(storageString_);
  if (!storage) return;
  Ref<IWidget> widget = Supports<IWidget>(CreateNamedObjectOf(storage));
  if (!widget) return WarnSkipped("its \"storage_string\" makes no widget");
  LoadObject(widget, storage);
  Ref<IWidgetCollection> children = parent->GetChildren();
  if (!children) return;
  std::string name = widget->GetName();
  // An empty path would find the parent itself.
  if (Ref<IWidget> old = name.empty() ? nullptr : parent->FindWidget(name)) {
    old->SetDead(true);
    children->RemoveDead();
  }
  children->Add(widget);
}

const TPropertyTable& TAddWidgetSettingsCommand::Properties() {
  using C = TAddWidgetSettingsCommand;
  static const TPropertyTable table(TAbstractSettingsCommand::Properties(),
                                    {
                                        Attr("gamescreenname", &C::gameScreenName_).Str(),
                                        Attr("parent_widget_name", &C::parentWidgetName_).Str(),
                                        StorageStringRow<C>(),
                                    });
  return table;
}

void TWidgetChangePropertyValueSettingsCommand::Execute(IGameScreenOwner* context) {
  IWindow* window = FindWindow(context, gameScreenName_);
  if (!window) return WarnSkipped("no screen \"" + gameScreenName_ + "\" with widgets");
  Ref<IWidgetCollection> children = window->GetChildren();
  Ref<IWidget> widget;
  for (const std::string& part : SplitString(widgetName_, '\\')) {
    std::string name(TrimBlanks(part));
    if (name.empty()) continue;
    widget = children ? children->GetByKey(Variant(name)) : nullptr;
    if (!widget) return WarnSkipped("no widget \"" + widgetName_ + "\"");
    children = widget->GetChildren();
  }
  if (widget) widget->SetProperty(paramName_, Variant(value_));
}

const TPropertyTable& TWidgetChangePropertyValueSettingsCommand::Properties() {
  using C = TWidgetChangePropertyValueSettingsCommand;
  static const TPropertyTable table(TAbstractSettingsCommand::Properties(),
                                    {
                                        Attr("gamescreenname", &C::gameScreenName_).Str(),
                                        Attr("widgetname", &C::widgetName_).Str(),
                                        Attr("paramname", &C::paramName_).Str(),
                                        Attr("value", &C::value_).Str(),
                                    });
  return table;
}

void TLoadResourcesSettingsCommand::Execute(IGameScreenOwner* context) {
  IEngine* engine = context ? context->GetEngine() : nullptr;
  if (!engine) return;
  if (Ref<IHierStorage> storage = ParseStorageString(storageString_))
    engine->LoadResources(storage, groupName_, false);
}

const TPropertyTable& TLoadResourcesSettingsCommand::Properties() {
  using C = TLoadResourcesSettingsCommand;
  static const TPropertyTable table(TAbstractSettingsCommand::Properties(),
                                    {
                                        Attr("groupname", &C::groupName_).Str(),
                                        StorageStringRow<C>(),
                                    });
  return table;
}

void TSettingsCommandCollection::Init() {
  TTypedCreationPersistItemCollection::Init();
  elementName_ = "commands";
  itemElementName_ = "command";
}

Ref<ISettingsCommand> TSettingsCommandCollection::GetItem(const Variant& address) {
  return items_->GetAs<ISettingsCommand>(address);
}

void TSettingsCommandCollection::AddItem(const Ref<ISettingsCommand>& command) {
  if (command) items_->Add(command, command->GetName());
}

void TSettingsCommandCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<ISettingsCommand>(item));
}

// ---------------------------------------------------------------------------------------
// Settings files

void TCustomSettings::Init() {
  TPersistObject::Init();
  elementName_ = "custom_setting";
  commands_ = TAbstractObject::Create<TSettingsCommandCollection>();
}

void TCustomSettings::LoadFromFile(IEngine* engine) {
  if (fileName_.empty() || !engine) return;
  std::string text = engine->ReadTextFile(fileName_, key_);
  if (text.empty()) {
    return Warn(fileName_,
                "no such settings file, or one not enciphered with its key; "
                "its settings are not applied");
  }
  if (Ref<IHierStorage> storage = ParseStorage(text, fileName_, "the settings file"))
    LoadCommands(storage);
}

void TCustomSettings::LoadCommands(const Ref<IHierStorage>& storage) {
  LoadObjectFromChild(commands_, storage, "commands");
}

void TCustomSettings::Apply(IGameScreenOwner* context) {
  if (!context) return;
  for (int i = 0; i < commands_->Count(); ++i) {
    Ref<ISettingsCommand> command = commands_->GetItem(Variant(i));
    if (!command) continue;
    try {
      command->Execute(context);
    } catch (const std::exception& error) {
      Warn(fileName_, "command \"" + command->GetName() + "\" failed (" + error.what() +
                          "); the next one runs");
    }
  }
}

const TPropertyTable& TCustomSettings::Properties() {
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr("filename", &TCustomSettings::fileName_).Str(),
                                        Attr("key", &TCustomSettings::key_).Str(),
                                    });
  return table;
}

void TCustomSettingsCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "custom_settings";
  itemElementName_ = "custom_setting";
  SetItemClass(ClassOf<TCustomSettings>());
}

Ref<ICustomSettings> TCustomSettingsCollection::GetItem(const Variant& address) {
  return items_->GetAs<ICustomSettings>(address);
}

void TCustomSettingsCollection::AddItem(const Ref<ICustomSettings>& settings) {
  if (settings) items_->Add(settings, settings->GetName());
}

void TCustomSettingsCollection::ApplyAll(IEngine* engine, IGameScreenOwner* context) {
  for (int i = 0; i < Count(); ++i) {
    Ref<ICustomSettings> settings = GetItem(Variant(i));
    if (!settings) continue;
    settings->LoadFromFile(engine);
    settings->Apply(context);
  }
}

void TCustomSettingsCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<ICustomSettings>(item));
}
