#pragma once
// The in-memory XML document model every configuration, screen, scene and saved file
// passes through: a reference-counted node tree with interned names, attributes held as
// typed values, path lookups, and reading and writing of XML text and the binary-xml form.
//
// Callers see the interfaces and the functions that make documents; the node classes
// behind them are private to the unit.
//
// Text is UTF-8 throughout. Values parsed from XML are strings (Variant::Kind::WideString);
// the typed setters keep their kinds, and the binary-xml form keeps them across a save.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Exceptions.h"
#include "foundation/Interface.h"
#include "foundation/Variant.h"

using TDateTime = double;  // days since 30 December 1899, time of day as the fraction

class TXmlBase;
class IXmlNode;
class IXmlElement;
class IXmlDocument;

// Node type codes.
constexpr int NODE_ELEMENT = 1;
constexpr int NODE_TEXT = 3;
constexpr int NODE_CDATA_SECTION = 4;
constexpr int NODE_PROCESSING_INSTRUCTION = 7;
constexpr int NODE_COMMENT = 8;
constexpr int NODE_DOCUMENT = 9;

// Deepest element nesting any reader accepts and any tree walk follows; deeper input is
// refused with an error instead of exhausting the stack.
constexpr int kXmlMaxDepth = 512;

// ---------------------------------------------------------------------------------------
// Interfaces

class IXmlBase : public virtual IInterface {
 public:
  // The object behind the interface (reaches the node behind one handed in by a caller).
  virtual TXmlBase* GetObject() = 0;
};

class IXmlNameTable : public virtual IXmlBase {
 public:
  virtual int32_t GetID(std::string_view name) = 0;
  virtual std::string GetName(int32_t id) = 0;
};

class IXmlNodeList : public virtual IXmlBase {
 public:
  virtual int Count() = 0;
  // Raises "List index out of bounds" outside 0 to Count() - 1.
  virtual Ref<IXmlNode> Item(int index) = 0;
  virtual std::string GetXml() = 0;
};

using TXmlTexts = std::vector<std::string>;

class IXmlNode : public virtual IXmlBase {
 public:
  virtual Ref<IXmlNameTable> GetNameTable() = 0;
  virtual std::string GetNodeName() = 0;
  virtual int32_t GetNodeNameId() = 0;
  virtual int GetNodeType() = 0;
  virtual std::string GetText() = 0;
  virtual void SetText(std::string_view text) = 0;
  virtual Variant::Kind GetValueType() = 0;
  virtual Variant GetVarValue() = 0;
  virtual void SetVarValue(const Variant& value) = 0;
  virtual std::string GetXml() = 0;
  virtual Ref<IXmlNode> CloneNode(bool deep) = 0;

  virtual Ref<IXmlNode> GetParentNode() = 0;
  virtual Ref<IXmlDocument> GetOwnerDocument() = 0;
  virtual Ref<IXmlNodeList> GetChildNodes() = 0;
  // Inserting a node into its own subtree raises EXmlError.
  virtual void AppendChild(const Ref<IXmlNode>& node) = 0;
  virtual void InsertBefore(const Ref<IXmlNode>& node, const Ref<IXmlNode>& reference) = 0;
  virtual void ReplaceChild(const Ref<IXmlNode>& newChild, const Ref<IXmlNode>& oldChild) = 0;
  virtual int RemoveChild(const Ref<IXmlNode>& node) = 0;
  virtual Ref<IXmlElement> AppendElementById(int32_t nameId) = 0;
  virtual Ref<IXmlElement> AppendElement(std::string_view name) = 0;
  virtual Ref<IXmlNode> AppendText(std::string_view text) = 0;
  virtual Ref<IXmlNode> AppendCDATA(std::string_view text) = 0;
  virtual Ref<IXmlNode> AppendComment(std::string_view text) = 0;
  virtual Ref<IXmlNode> AppendProcessingInstructionById(int32_t targetId,
                                                        std::string_view text) = 0;
  virtual Ref<IXmlNode> AppendProcessingInstruction(std::string_view target,
                                                    std::string_view text) = 0;
  virtual std::string GetChildText(std::string_view name, std::string_view def = {}) = 0;
  virtual std::string GetChildTextById(int32_t nameId, std::string_view def = {}) = 0;
  virtual void SetChildText(std::string_view name, std::string_view text) = 0;
  virtual void SetChildTextById(int32_t nameId, std::string_view text) = 0;
  virtual Ref<IXmlNode> GetRequiredChild(std::string_view name) = 0;
  virtual Ref<IXmlNode> GetRequiredChildById(int32_t nameId) = 0;
  virtual Ref<IXmlNode> EnsureChild(std::string_view name) = 0;
  virtual Ref<IXmlNode> EnsureChildById(int32_t nameId) = 0;
  virtual void RemoveAllChildren() = 0;
  virtual Ref<IXmlNodeList> GetChildrenByName(std::string_view name) = 0;
  virtual Ref<IXmlNode> FindElement(std::string_view path) = 0;
  virtual Ref<IXmlNode> FindChildNoCase(std::string_view name) = 0;
  virtual Ref<IXmlNode> FindChildByAttrValue(std::string_view name, std::string_view attr,
                                             const Variant& value) = 0;
  virtual Ref<IXmlNode> FindChildByAttrText(std::string_view name, std::string_view attr,
                                            std::string_view text) = 0;

  virtual int GetAttrCount() = 0;
  virtual int32_t GetAttrNameId(int index) = 0;
  virtual std::string GetAttrName(int index) = 0;
  virtual void RemoveAttr(std::string_view name) = 0;
  virtual void RemoveAttrById(int32_t nameId) = 0;
  virtual void ClearAttrs() = 0;
  virtual bool HasAttr(std::string_view name) = 0;
  virtual bool HasAttrById(int32_t nameId) = 0;
  virtual Variant::Kind GetAttrType(std::string_view name) = 0;
  virtual Variant::Kind GetAttrTypeById(int32_t nameId) = 0;
  virtual Variant GetVarAttr(std::string_view name, const Variant& def = {}) = 0;
  virtual Variant GetVarAttrById(int32_t nameId, const Variant& def = {}) = 0;
  virtual void SetVarAttr(std::string_view name, const Variant& value) = 0;
  virtual void SetVarAttrById(int32_t nameId, const Variant& value) = 0;
  virtual std::string GetRequiredAttr(std::string_view name) = 0;
  virtual std::string GetRequiredAttrById(int32_t nameId) = 0;
  virtual std::string GetAttr(std::string_view name, std::string_view def = {}) = 0;
  // The attribute's text as GetAttr gives it, in one look-up; false (Text untouched)
  // when the node has no such attribute.
  virtual bool FindAttrText(std::string_view name, std::string& text) = 0;
  virtual std::string GetAttrById(int32_t nameId, std::string_view def = {}) = 0;
  virtual void SetAttr(std::string_view name, std::string_view value) = 0;
  virtual void SetAttrById(int32_t nameId, std::string_view value) = 0;
  virtual bool GetBoolAttr(std::string_view name, bool def = false) = 0;
  virtual bool GetBoolAttrById(int32_t nameId, bool def = false) = 0;
  virtual void SetBoolAttr(std::string_view name, bool value) = 0;
  virtual void SetBoolAttrById(int32_t nameId, bool value) = 0;
  virtual int32_t GetIntAttr(std::string_view name, int32_t def = 0) = 0;
  virtual int32_t GetIntAttrById(int32_t nameId, int32_t def = 0) = 0;
  virtual void SetIntAttr(std::string_view name, int32_t value) = 0;
  virtual void SetIntAttrById(int32_t nameId, int32_t value) = 0;
  virtual TDateTime GetDateTimeAttr(std::string_view name, TDateTime def = 0) = 0;
  virtual TDateTime GetDateTimeAttrById(int32_t nameId, TDateTime def = 0) = 0;
  virtual void SetDateTimeAttr(std::string_view name, TDateTime value) = 0;
  virtual void SetDateTimeAttrById(int32_t nameId, TDateTime value) = 0;
  virtual double GetFloatAttr(std::string_view name, double def = 0) = 0;
  virtual double GetFloatAttrById(int32_t nameId, double def = 0) = 0;
  virtual void SetFloatAttr(std::string_view name, double value) = 0;
  virtual void SetFloatAttrById(int32_t nameId, double value) = 0;
  virtual int32_t GetHexAttr(std::string_view name, int32_t def = 0) = 0;
  virtual int32_t GetHexAttrById(int32_t nameId, int32_t def = 0) = 0;
  virtual void SetHexAttr(std::string_view name, int32_t value, int digits = 0) = 0;
  virtual void SetHexAttrById(int32_t nameId, int32_t value, int digits = 0) = 0;
  virtual int GetEnumAttr(std::string_view name, const TXmlTexts& values, int def = 0) = 0;
  virtual int GetEnumAttrById(int32_t nameId, const TXmlTexts& values, int def = 0) = 0;
  virtual int GetRequiredEnumAttr(std::string_view name, const TXmlTexts& values) = 0;
  virtual int GetRequiredEnumAttrById(int32_t nameId, const TXmlTexts& values) = 0;

  // Paths: "@name" an attribute, "a/b" child elements, ".." the parent,
  // "name[@attr=value]" a child by attribute text.
  virtual Variant GetValue(std::string_view path) = 0;
  virtual void SetValue(std::string_view path, const Variant& value) = 0;

  virtual Ref<IXmlElement> AsElement() = 0;
  virtual Ref<IXmlNode> AsText() = 0;
  virtual Ref<IXmlNode> AsCDATASection() = 0;
  virtual Ref<IXmlNode> AsComment() = 0;
  virtual Ref<IXmlNode> AsProcessingInstruction() = 0;
};

class IXmlElement : public virtual IXmlNode {
 public:
  virtual void ReplaceTextByCDATASection(std::string_view text) = 0;
  virtual void ReplaceTextByBinaryData(const void* data, size_t length, int lineLength) = 0;
  virtual std::string GetTextAsBinaryData() = 0;
};

class IXmlDocument : public virtual IXmlNode {
 public:
  virtual Ref<IXmlElement> GetDocumentElement() = 0;
  // The binary-xml form (strings as single bytes when they all fit the code page).
  virtual std::string SaveBinaryXml() = 0;
  virtual bool GetPreserveWhiteSpace() = 0;
  virtual void SetPreserveWhiteSpace(bool value) = 0;
  virtual Ref<IXmlElement> NewDocumentElement(std::string_view version, std::string_view encoding,
                                              std::string_view name) = 0;
  virtual Ref<IXmlElement> NewDocumentElementById(std::string_view version,
                                                  std::string_view encoding, int32_t nameId) = 0;
  virtual Ref<IXmlElement> CreateElement(std::string_view name) = 0;
  virtual Ref<IXmlElement> CreateElementById(int32_t nameId) = 0;
  virtual Ref<IXmlNode> CreateText(std::string_view text) = 0;
  virtual Ref<IXmlNode> CreateCDATASection(std::string_view text) = 0;
  virtual Ref<IXmlNode> CreateComment(std::string_view text) = 0;
  virtual Ref<IXmlNode> CreateProcessingInstruction(std::string_view target,
                                                    std::string_view text) = 0;
  virtual Ref<IXmlNode> CreateProcessingInstructionById(int32_t targetId,
                                                        std::string_view text) = 0;
  // XML text, or the binary-xml form when the text begins with its magic. Syntax
  // errors raise EXmlError; nodes read before the error stay.
  virtual void LoadXML(std::string_view text) = 0;
  virtual void LoadBinaryXml(std::string_view bytes) = 0;
  virtual void LoadFromStream(std::istream& stream) = 0;
  // A data path of the resource file tree; raises when the file cannot be found.
  virtual void LoadFromFile(const std::string& path) = 0;
  // Reads a resource of the program (type "RCDATA"); nothing when it is missing or empty.
  virtual void LoadFromResource(std::string_view type, std::string_view name) = 0;
  // The compact text form as UTF-8.
  virtual void SaveToStream(std::ostream& stream) = 0;
  // Writes a plain file safely; raises when it cannot.
  virtual void SaveToFile(const std::string& path) = 0;
  virtual void SaveBinaryToStream(std::ostream& stream, uint32_t flags) = 0;
  virtual void SaveBinaryToFile(const std::string& path, uint32_t flags) = 0;
};

// ---------------------------------------------------------------------------------------
// Free functions

Ref<IXmlDocument> CreateXmlDocument(std::string_view rootName = {},
                                    std::string_view version = "1.0",
                                    std::string_view encoding = "utf-8",
                                    IXmlNameTable* nameTable = nullptr);
// A new document on the shared table, loaded from XML text (or the binary-xml form).
Ref<IXmlDocument> LoadXmlDocumentFromXml(std::string_view text);
// A buffer holding the binary-xml form or XML text (up to its first zero byte) in UTF-8,
// or in the code page when its declaration names another encoding. Malformed UTF-8 loads
// as an empty document.
Ref<IXmlDocument> LoadXmlFromBuffer(const void* bytes, size_t size);
// The whole file, a data path of the resource file tree, read as LoadXmlFromBuffer reads
// a buffer; none when it cannot be found.
Ref<IXmlDocument> LoadXmlFile(const std::string& path);

// The binary-xml form's magic.
inline constexpr std::string_view kBinaryXmlMagic = "< binary-xml >";

// The bytes of a file, a data path of the resource file tree; false when the file cannot
// be found.
bool ReadXmlFileBytes(const std::string& path, std::string& bytes);

// Whether the text is an XML name: "_" or a letter, then letters, digits, "-", ".", ":"
// or "_".
bool IsXmlName(std::string_view text);
