#pragma once
// Custom settings: files outside the game file that change the game once it is built,
// run once at the end of the game's start. Each file is enciphered with a key of its own
// and holds commands created by registered type name:
//
//   <custom_settings>
//     <custom_setting name="extra" filename="data\ini\extra.ini" key="k3y"/>
//   </custom_settings>
//
// and in the file:
//
//   <settings><commands>
//     <command type="param_command" name="hints" paramname="ShowHints" value="no"/>
//     <command type="widget_change_property_value_command" name="title"
//              gamescreenname="GS_Main" widgetname="menu\title" paramname="text" value="Hi"/>
//   </commands></settings>
//
// Every step that finds nothing ends its command; errors end it too, so that the game
// starts normally whatever a settings file holds. Both are said on the warning channel,
// naming the settings file.

#include <string>

#include "shell/GameInterfaces.h"

// The row of the XML text a command works on.
template <class C>
TPropertyRow StorageStringRow();

class TAbstractSettingsCommand : public TPersistObject, public virtual ISettingsCommand {
 public:
  void Init() override;
  void Execute(IGameScreenOwner*) override {}
  // Remembers the settings file, for the warnings of Execute.
  void LoadFromStorage(const Ref<IHierStorage>& node) override;

 protected:
  // Says why the command ends without doing its work.
  void WarnSkipped(const std::string& why);
  // The storage of the command's "storage_string"; nothing (and a warning) when empty or
  // not XML.
  Ref<IHierStorage> ParseStorageString(const std::string& text);

  std::string dataFile_;
};

// "param_command": the game's parameter "paramname" becomes "value".
class TParamSettingsCommand : public TAbstractSettingsCommand {
 public:
  void Execute(IGameScreenOwner* context) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string paramName_;
  std::string value_;
};

// "add_widget_command": the widget of "storage_string" is added to the widget at
// "parent_widget_name" of screen "gamescreenname", replacing a child of its name.
class TAddWidgetSettingsCommand : public TAbstractSettingsCommand {
 public:
  void Execute(IGameScreenOwner* context) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string gameScreenName_;
  std::string parentWidgetName_;
  std::string storageString_;
  template <class C>
  friend TPropertyRow StorageStringRow();
};

// "widget_change_property_value_command": property "paramname" of the widget at
// "widgetname" (child names joined by "\" from the screen's root) becomes "value".
class TWidgetChangePropertyValueSettingsCommand : public TAbstractSettingsCommand {
 public:
  void Execute(IGameScreenOwner* context) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string gameScreenName_;
  std::string widgetName_;
  std::string paramName_;
  std::string value_;
};

// "load_resource_command": the resource list of "storage_string" is loaded into the
// resource group "groupname".
class TLoadResourcesSettingsCommand : public TAbstractSettingsCommand {
 public:
  void Execute(IGameScreenOwner* context) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string groupName_;
  std::string storageString_;
  template <class C>
  friend TPropertyRow StorageStringRow();
};

// "commands" of "command" elements, keyed by name: of several commands of one name only
// the first is kept.
class TSettingsCommandCollection : public TTypedCreationPersistItemCollection,
                                   public virtual ISettingsCommandCollection {
 public:
  void Init() override;
  Ref<ISettingsCommand> GetItem(const Variant& address) override;
  void AddItem(const Ref<ISettingsCommand>& command) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

class TCustomSettings : public TPersistObject, public virtual ICustomSettings {
 public:
  void Init() override;

  void LoadFromFile(IEngine* engine) override;
  void Apply(IGameScreenOwner* context) override;
  // The commands of the storage's first "commands" child.
  virtual void LoadCommands(const Ref<IHierStorage>& storage);

  const Ref<TSettingsCommandCollection>& GetCommands() const { return commands_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string fileName_;
  std::string key_;
  Ref<TSettingsCommandCollection> commands_;
};

class TCustomSettingsCollection : public TStaticCreationPersistItemCollection,
                                  public virtual ICustomSettingsCollection {
 public:
  void Init() override;
  Ref<ICustomSettings> GetItem(const Variant& address) override;
  void AddItem(const Ref<ICustomSettings>& settings) override;
  void ApplyAll(IEngine* engine, IGameScreenOwner* context) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};
