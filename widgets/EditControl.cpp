// The edit field: typing, the caret and its place after the text child's glyphs.

#include "widgets/EditControl.h"

#include "foundation/CheckedMath.h"
#include "foundation/TextConvert.h"
#include "platform/InputConstants.h"

namespace {

constexpr char32_t kBackspace = 8;
const std::string kText = "text";
const std::string kTextAlign = "textalign";

std::u32string CharsOf(std::string_view utf8) {
  std::u32string chars;
  const char* p = utf8.data();
  const char* end = p + utf8.size();
  while (p < end) {
    uint32_t code = 0;
    int length = DecodeUtf8(p, end, code);
    if (length <= 0) {
      code = 0xFFFD;
      length = 1;
    }
    chars += char32_t(code);
    p += length;
  }
  return chars;
}

std::string Utf8Of(std::u32string_view chars) {
  std::string out;
  for (char32_t c : chars) AppendUtf8(out, uint32_t(c));
  return out;
}

bool IsCharacter(char32_t c) {
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

}  // namespace

void TEditControl::Init() {
  TControlWidget::Init();
  maxLength_ = 255;
}

const TPropertyTable& TEditControl::Properties() {
  using E = TEditControl;
  static const TPropertyTable table(
      TControlWidget::Properties(),
      {
          Prop("value", &E::TextUtf8, &E::SetTextUtf8).Xml(&E::LoadValue, &E::SaveValue),
          Prop("max", &E::maxLength_).Int(255),
          Attr("capitalize", &E::capitalize_).Bool(),
          Prop("text_utf8", &E::TextUtf8, &E::SetTextUtf8),
          Prop("default_value", &E::defaultValue_, &E::SetDefaultValue),
      });
  return table;
}

void TEditControl::LoadValue(const Ref<IHierStorage>& node) {
  text_ = CharsOf(ReadXmlText(node, "value"));
  cursor_ = int32_t(text_.size());
}

void TEditControl::SaveValue(const Ref<IHierStorage>& node) {
  WriteXmlStr(node, "value", LiteralText(TextUtf8()), !text_.empty());
}

void TEditControl::SaveToXml(const Ref<IHierStorage>& node) {
  // The caret is saved where the file had it, not where the text has moved it.
  if (textChild_ && cursorChild_) {
    cursorChild_->SetAnchorLeft(textChild_->GetAnchorLeft() - cursorOffset_.X);
    cursorChild_->SetAnchorTop(textChild_->GetAnchorTop() - cursorOffset_.Y);
  }
  TControlWidget::SaveToXml(node);
  Layout();
}

std::string TEditControl::TextUtf8() const {
  return Utf8Of(text_);
}

void TEditControl::SetTextUtf8(const std::string& text) {
  SetText(CharsOf(text));
}

void TEditControl::SetText(std::u32string text) {
  text_ = std::move(text);
  if (int64_t(text_.size()) < cursor_) cursor_ = 0;
  Layout();
}

void TEditControl::SetDefaultValue(bool value) {
  defaultValue_ = value;
  cursor_ = int32_t(text_.size());
  Layout();
}

void TEditControl::SetOwner(IWidgetOwner* owner) {
  TControlWidget::SetOwner(owner);
  defaultValue_ = true;
  textChild_ = Supports<ITextWidget>(Ref<IWidget>(Child("text")));
  cursorChild_ = Ref<IWidget>(Child("cursor"));
  cursorOffset_ = TPoint{};
  if (textChild_ && cursorChild_) {
    cursorOffset_ =
        TPoint{RoundHalfEven(textChild_->GetAnchorLeft() - cursorChild_->GetAnchorLeft()),
               RoundHalfEven(textChild_->GetAnchorTop() - cursorChild_->GetAnchorTop())};
  }
  Layout();
}

void TEditControl::ReleaseOwner() {
  textChild_ = nullptr;
  cursorChild_ = nullptr;
  TControlWidget::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// Layout

void TEditControl::Layout() {
  std::string text = TextUtf8();
  // The text child translates what it is given: the typed text goes in as it is.
  if (textChild_) textChild_->SetProperty(kText, Variant(LiteralText(text)));
  if (!cursorChild_) return;
  cursorChild_->SetVisible(focused_);
  if (!textChild_) return;
  int64_t x = TruncSat(textChild_->GetAnchorLeft());
  std::string align = textChild_->GetProperty(kTextAlign).ToString();
  int64_t room = int64_t(textChild_->GetWidth()) - textChild_->TextWidth(text);
  if (align == "center")
    x += room / 2;
  else if (align == "right")
    x += room;
  std::string before = Utf8Of(std::u32string_view(text_).substr(0, size_t(cursor_)));
  cursorChild_->SetAnchorLeft(double(x + textChild_->TextWidth(before)));
  // The caret after the glyph before it, at the place the file gave it beside the text.
  TRect glyph;
  if (textChild_->GetCharRect(cursor_, glyph)) {
    cursorChild_->SetAnchorLeft(double(int64_t(glyph.Right) - cursorOffset_.X));
    cursorChild_->SetAnchorTop(double(int64_t(glyph.Top) - cursorOffset_.Y));
  }
}

// ---------------------------------------------------------------------------------------
// Keys

void TEditControl::TypeChar(char32_t c) {
  if (c == kBackspace) {
    if (!text_.empty() && cursor_ > 0) {
      if (defaultValue_) {
        defaultValue_ = false;
        text_.clear();
        cursor_ = 0;
      } else {
        text_.erase(size_t(cursor_ - 1), 1);
        --cursor_;
      }
    }
    return;
  }
  if (defaultValue_) {
    defaultValue_ = false;
    text_.clear();
    cursor_ = 0;
  }
  if (!textChild_ || int64_t(text_.size()) >= maxLength_ || !IsCharacter(c)) return;
  if (capitalize_) c = UpperCaseChar(c);
  // A character the font cannot show is refused.
  if (textChild_->TextWidth(Utf8Of(std::u32string_view(&c, 1))) <= 0) return;
  text_.insert(size_t(cursor_), 1, c);
  ++cursor_;
}

bool TEditControl::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  if (!focused_) return TControlWidget::HandleKey(message, keyCode, keyData);
  if (message == input::kKeyDown) {
    switch (keyCode) {
      case input::kVkEnd:
        cursor_ = int32_t(text_.size());
        break;
      case input::kVkHome:
        cursor_ = 0;
        break;
      case input::kVkLeft:
        if (cursor_ > 0) --cursor_;
        break;
      case input::kVkRight:
        if (cursor_ < int64_t(text_.size())) ++cursor_;
        break;
      default:
        return false;
    }
    Layout();
    return true;
  }
  if (message == input::kChar) {
    TypeChar(keyCode <= 0x10FFFF ? char32_t(keyCode) : char32_t(0xFFFFFFFF));
    Layout();
    Ref<IWidget> self(this);
    SendEvent(control_event::kEditChar);
    return true;
  }
  return TControlWidget::HandleKey(message, keyCode, keyData);
}

void TEditControl::OnSetFocus() {
  TControlWidget::OnSetFocus();
  Layout();
}

void TEditControl::OnKillFocus() {
  TControlWidget::OnKillFocus();
  Layout();
}

void TEditControl::OnLoseCapture() {
  TControlWidget::OnLoseCapture();
  Layout();
}
