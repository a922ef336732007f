#pragma once
// Translation: keys between percent signs ("%CreateNewUser%") in any text the player
// sees are replaced by the strings of the current language and by run-time variables
// (a player's name, a score). "%%" is one "%", a lone "%" stays, "%0xN%" is the
// system's message for error N, and an unknown key expands to nothing (and is said on
// the warning channel, naming the language file).
//
// Language file (".lng", UTF-8 XML):
//   <language id="en" name="English">
//     <strings><string name="CreateNewUser">Create new player</string>...</strings>
//   </language>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/PersistenceService.h"
#include "foundation/TMYCollection.h"

// The default language file; the start-up routine replaces it.
extern std::string LanguageFileName;

class TMultiLanguages {
 public:
  // Table texts name other keys, so expansion recurses; a table whose texts lead back
  // to themselves is cut at this depth, leaving the deeper keys as they are written.
  static constexpr int kMaxExpansionDepth = 16;
  // Lookups one expansion may make in all, so that texts naming many keys each cannot
  // multiply into an enormous result.
  static constexpr int kMaxLookups = 1024;
  // Once the texts inserted for keys reach this length, no further key is expanded.
  static constexpr size_t kMaxExpandedLength = 1 << 20;

  std::string ExpandText(std::string_view text, bool trimLookups = false);
  // The text of Key (any case), or Default, expanded.
  std::string GetString(std::string_view key, std::string_view def = {});
  // Name compared without case: a second set replaces the value.
  void SetVariable(const std::string& name, const std::string& value);
  // True when the file was read and held a "strings" element.
  bool LoadFile(const std::string& path);
  bool LoadFromNode(const Ref<IHierStorage>& node);
  void ClearStrings() {
    strings_.Clear();
    files_.clear();
  }
  void SetString(const std::string& key, const std::string& text);

  const std::string& Id() const { return id_; }
  const std::string& Name() const { return name_; }

 private:
  struct Expansion {
    int lookups = 0;
    size_t length = 0;  // of every text inserted for a key
  };
  void Expand(std::string_view text, bool trimLookups, int depth, Expansion& state,
              std::string& out);
  void AppendKey(std::string_view key, bool trimLookups, int depth, Expansion& state,
                 std::string& out);

  std::string id_;
  std::string name_;
  // The files the table was loaded from, for the warnings about keys it lacks.
  std::string files_;
  TStringCollection strings_;
  std::vector<std::string> variableNames_;
  std::vector<std::string> variableValues_;
};

// The one translator of the program.
TMultiLanguages* MultiLanguages();

// Text with its keys and variables expanded; the text itself without a translator.
std::string TranslateText(std::string_view text, bool trimLookups = false);
void SetLanguageVariable(const std::string& name, const std::string& value);
// Text that TranslateText gives back as it is: every "%" doubled, so "100%" and a player
// named "%main_title%" stay what was typed.
std::string LiteralText(std::string_view text);
// Empties the table, loads the default language file, then "Languages\NAME.lng" of the
// program folder over it (its keys win). True when either held strings. Afterwards
// NewUserCaption is the translation of NewUserCaptionKey, when there is one.
bool LoadLanguage(const std::string& name);
std::string GetLanguageId();

// The operating system's text for an error number.
std::string SystemErrorMessage(int code);
