#include "foundation/GlobalReplaceableObjectParams.h"

#include "foundation/XMLStorage.h"

namespace {

// One node seen through the replacement values of a guid. Each overlaid node has its own
// overlay, so a child that carries the same guid never redirects its parent's reads.
class TReplaceableObjectOverlay : public TInterfacedObject, public IXMLStorageSlave {
 public:
  TReplaceableObjectOverlay(Ref<IReplaceableObjectParamCollection> params, Ref<IHierStorage> node)
      : params_(std::move(params)), node_(std::move(node)) {}

  // The overlay answers to the guid's name.
  std::string GetName() override { return params_->GetName(); }

  Variant GetAttr(std::string_view name, const Variant& def) override {
    std::string key(name);
    Ref<IParam> param = params_->FindParam(Variant(key));
    if (!param) return node_->GetAttr(name, def);
    std::string replacement = param->GetValue().ToString();
    // A value the node holds already changes nothing any more.
    if (node_->GetAttr(name, def).ToString() == replacement) params_->Delete(Variant(key));
    return Variant::ByteString(replacement);
  }

  // A replaced value compares itself with the default, so only GetAttr answers for it.
  TAttrLookup FindAttr(std::string_view name, std::string& text) override {
    if (params_->FindParam(Variant(std::string(name)))) return TAttrLookup::Ask;
    return node_->FindAttr(name, text);
  }

  int GetAttrCount() override { return node_->GetAttrCount(); }
  std::string GetAttrName(int index) override { return node_->GetAttrName(index); }
  Variant GetAttrByIndex(int index, const Variant& def) override {
    return node_->GetAttrByIndex(index, def);
  }
  void SetAttrByIndex(int index, const Variant& value) override {
    node_->SetAttrByIndex(index, value);
  }
  void SetAttr(std::string_view name, const Variant& value) override {
    node_->SetAttr(name, value);
  }
  void RemoveAttr(std::string_view name) override { node_->RemoveAttr(name); }
  Ref<IHierStorage> AddChild(std::string_view name) override { return node_->AddChild(name); }
  int GetChildCount(std::string_view name) override { return node_->GetChildCount(name); }
  Ref<IHierStorage> GetChild(std::string_view name, int index) override {
    return node_->GetChild(name, index);
  }
  Ref<IHierStorage> GetChildByName(std::string_view name) override {
    return node_->GetChildByName(name);
  }
  Variant GetText() override { return node_->GetText(); }
  void SetText(const Variant& value) override { node_->SetText(value); }
  Variant GetChildText(std::string_view name) override { return node_->GetChildText(name); }
  void SetChildText(std::string_view name, const Variant& value) override {
    node_->SetChildText(name, value);
  }
  bool AppendStorage(const Ref<IHierStorage>& other) override {
    return node_->AppendStorage(other);
  }
  void RemoveChild(const Ref<IHierStorage>& child) override { node_->RemoveChild(child); }
  Variant GetXml() override { return node_->GetXml(); }
  Variant GetContent() override { return node_->GetContent(); }
  void SetContent(const Variant& value) override { node_->SetContent(value); }
  Variant GetChildContent(std::string_view name) override { return node_->GetChildContent(name); }
  void SetChildContent(std::string_view name, const Variant& value) override {
    node_->SetChildContent(name, value);
  }
  Ref<IHierStorage> FindPath(std::string_view path, std::string_view container) override {
    return node_->FindPath(path, container);
  }

  // The wrapped node stands behind the overlay for everything that needs the XML node.
  void Attach(const Ref<IXmlNode>& node, const Ref<IXmlDocument>& document) override {
    if (Ref<IXMLStorageSlave> slave = Supports<IXMLStorageSlave>(node_))
      slave->Attach(node, document);
  }
  void Detach() override {
    if (Ref<IXMLStorageSlave> slave = Supports<IXMLStorageSlave>(node_)) slave->Detach();
  }
  Ref<IXmlNode> GetNode() override {
    Ref<IXMLStorageSlave> slave = Supports<IXMLStorageSlave>(node_);
    return slave ? slave->GetNode() : nullptr;
  }

 private:
  Ref<IReplaceableObjectParamCollection> params_;
  Ref<IHierStorage> node_;
};

}  // namespace

void TGlobalReplaceableObjectParams::Init() {
  TStaticCreationPersistItemCollection::Init();
  itemClass_ = ClassOf<TReplaceableObjectParamCollection>();
  itemElementName_ = "params";
  elementName_ = "global_replaceable_object_params";
}

Ref<IReplaceableObjectParamCollection> TGlobalReplaceableObjectParams::FindParams(
    const Variant& address) {
  return items_->GetAs<IReplaceableObjectParamCollection>(address);
}

void TGlobalReplaceableObjectParams::AddParams(
    const Ref<IReplaceableObjectParamCollection>& params) {
  if (params) items_->Add(params, params->GetName());
}

Ref<IReplaceableObjectParamCollection> TGlobalReplaceableObjectParams::GetParams(
    const std::string& guid, bool create) {
  if (guid.empty()) return nullptr;
  Ref<IReplaceableObjectParamCollection> params = FindParams(Variant(guid));
  if (params || !create) return params;
  params = Ref<IReplaceableObjectParamCollection>(
      TAbstractObject::Create<TReplaceableObjectParamCollection>().get());
  params->SetName(guid);
  AddParams(params);
  return params;
}

Ref<IHierStorage> TGlobalReplaceableObjectParams::Overlay(const std::string& guid,
                                                          const Ref<IHierStorage>& node) {
  if (!node || guid.empty()) return node;
  Ref<IReplaceableObjectParamCollection> params = FindParams(Variant(guid));
  if (!params) return node;
  return Ref<IHierStorage>(new TReplaceableObjectOverlay(params, node));
}

void TGlobalReplaceableObjectParams::ItemLoaded(const Ref<IInterface>& item) {
  AddParams(Supports<IReplaceableObjectParamCollection>(item));
}

const Ref<IGlobalReplaceableObjectParams>& GlobalReplaceableObjectParams() {
  static const Ref<IGlobalReplaceableObjectParams> table(
      TAbstractObject::Create<TGlobalReplaceableObjectParams>().get());
  return table;
}

Ref<IHierStorage> ResolveObjectGuid(const std::string& guid, const Ref<IHierStorage>& node) {
  const Ref<IGlobalReplaceableObjectParams>& table = GlobalReplaceableObjectParams();
  return table ? table->Overlay(guid, node) : node;
}
