#pragma once
// "EditControl": a one-line text field. Its text is drawn by the child "text" (a text
// widget) and a caret by the child "cursor", shown while the field has the focus. Typed
// characters go in at the caret, Backspace removes the one before it, Left, Right, Home
// and End move it; every character message sends event 4, also one refused because the
// text is at its "max" length or because the text's font has no glyph for it.
//
// The text loaded from "value" is a placeholder: the first character typed replaces it.
// With "capitalize" typed letters are upper-cased by Unicode's rules ("é" gives "É").

#include <cstdint>
#include <string>
#include <string_view>

#include "widgets/ControlWidget.h"
#include "widgets/TextWidget.h"

// The upper case of one character by Unicode's simple case mappings; the character itself
// when it has none. The same in every locale.
char32_t UpperCaseChar(char32_t c);

class TEditControl : public TControlWidget {
 public:
  void Init() override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  bool IsTabStop() override { return tabStop_ && IsVisible() && enabled_; }
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  void OnSetFocus() override;
  void OnKillFocus() override;
  void OnLoseCapture() override;

  void SaveToXml(const Ref<IHierStorage>& node) override;

  const std::u32string& GetText() const { return text_; }
  // Replaces the text; a caret past its end goes to 0.
  void SetText(std::u32string text);
  int32_t GetCursorIndex() const { return cursor_; }
  bool IsDefaultValue() const { return defaultValue_; }

 protected:
  const TPropertyTable& Properties() override;
  // The text child shows the text; the caret follows the character before it.
  void Layout();
  // A character message: Backspace or a character to insert.
  void TypeChar(char32_t c);
  std::string TextUtf8() const;
  void SetTextUtf8(const std::string& text);
  void SetDefaultValue(bool value);
  // "value" in a file is the text the field shows, written so that it reads back as it is.
  void LoadValue(const Ref<IHierStorage>& node);
  void SaveValue(const Ref<IHierStorage>& node);

  std::u32string text_;
  int32_t maxLength_ = 255;
  int32_t cursor_ = 0;
  bool capitalize_ = false;
  Ref<ITextWidget> textChild_;
  Ref<IWidget> cursorChild_;
  TPoint cursorOffset_;
  bool defaultValue_ = false;
};
