#pragma once
// Hierarchical storage: the one interface through which objects load and save
// themselves. A storage stands for one element of a document: its attributes and text
// are values, its child elements are sub-storages.
//
// Values cross as Variants: values handed out are byte-string Variants of UTF-8 text,
// values handed in are taken by their text (Variant::ToString) as UTF-8. Names are
// 8-bit text in the single-byte code page (plain ASCII names pass unchanged).
//
// Most code does not call these operations directly but the attribute readers and
// writers of XmlAttributes.h (ReadXmlStr, WriteXmlInt, ...), which fix how each
// kind of value is written.

#include <string>
#include <string_view>

#include "foundation/Interface.h"
#include "foundation/Variant.h"

class IPersistObject;

// What a storage knows of an attribute without being told the default.
enum class TAttrLookup {
  Found,   // the text is given
  Absent,  // neither the element nor its overlay holds it: the default stands
  Ask,     // only GetAttr with the default can tell (a storage that compares with it)
};

class IHierStorage : public virtual IInterface {
 public:
  // The element's name; '' without an element.
  virtual std::string GetName() = 0;

  // Attributes. An index outside 0 .. GetAttrCount() - 1 gives '' or the default and
  // sets nothing.
  virtual int GetAttrCount() = 0;
  virtual std::string GetAttrName(int index) = 0;
  virtual Variant GetAttrByIndex(int index, const Variant& def = {}) = 0;
  // The element's own value, else the overlay's ("_outstorage"), else the default.
  virtual Variant GetAttr(std::string_view name, const Variant& def = {}) = 0;
  // GetAttr without a default, for readers that would otherwise make one for every
  // attribute an element leaves out.
  virtual TAttrLookup FindAttr(std::string_view name, std::string& text) {
    (void)name;
    (void)text;
    return TAttrLookup::Ask;
  }
  virtual void SetAttrByIndex(int index, const Variant& value) = 0;
  // Names that are not XML names are refused (nothing is set), so a saved file always
  // reads back.
  virtual void SetAttr(std::string_view name, const Variant& value) = 0;
  virtual void RemoveAttr(std::string_view name) = 0;

  // Children. GetChildCount and GetChild fall back to the overlay when the element has
  // no child of that name; an empty name counts every child node.
  virtual Ref<IHierStorage> AddChild(std::string_view name) = 0;
  virtual int GetChildCount(std::string_view name) = 0;
  virtual Ref<IHierStorage> GetChild(std::string_view name, int index) = 0;
  // The element found by a name or a path ("a/b", ".."), or none.
  virtual Ref<IHierStorage> GetChildByName(std::string_view name) = 0;

  // The element's text; setting it replaces the element's children.
  virtual Variant GetText() = 0;
  virtual void SetText(const Variant& value) = 0;
  // The text of the first child of that name (an empty Variant without one); setting
  // adds the child when missing.
  virtual Variant GetChildText(std::string_view name) = 0;
  virtual void SetChildText(std::string_view name, const Variant& value) = 0;

  // Appends a deep copy of the other storage's element; false when it has none.
  virtual bool AppendStorage(const Ref<IHierStorage>& other) = 0;
  virtual void RemoveChild(const Ref<IHierStorage>& child) = 0;

  // The element's XML text.
  virtual Variant GetXml() = 0;
  // Plain text for an element holding only text, else the XML text of its children.
  virtual Variant GetContent() = 0;
  // XML text appends a copy of its root element as a child; anything else becomes the
  // element's text.
  virtual void SetContent(const Variant& value) = 0;
  virtual Variant GetChildContent(std::string_view name) = 0;
  virtual void SetChildContent(std::string_view name, const Variant& value) = 0;

  // Walks Path ("a/b/c"): each segment names a child by element name or by its "name"
  // attribute, without regard to case; with Container, the children of the element of
  // that name come first. An empty path gives this storage; a miss gives none.
  virtual Ref<IHierStorage> FindPath(std::string_view path, std::string_view container = {}) = 0;
};

// A storage that owns a whole document: made, loaded and saved as one.
class IHierStorageRoot : public virtual IHierStorage {
 public:
  // Replaces what the storage holds by a new document with one empty root element.
  virtual bool CreateRoot(std::string_view name) = 0;
  // False when the file cannot be read or does not parse; the storage then keeps what
  // it had. Paths go through the resource file tree.
  virtual bool LoadFromFile(const std::string& path) = 0;
  virtual bool LoadFromText(std::string_view text) = 0;
  // The object's LoadFromStorage / SaveToStorage with this storage; nothing for none.
  virtual bool LoadObject(IPersistObject* object) = 0;
  virtual bool SaveObject(IPersistObject* object) = 0;
  // Replaces the file safely (text or the binary-xml form); false when nothing was
  // written: no document, a program resource path, a folder that does not exist, or a
  // failed write.
  virtual bool SaveToFile(const std::string& path, bool binaryXml = false) = 0;
  // The whole document as UTF-8 XML text; '' without a document.
  virtual std::string GetXmlText() = 0;
};
