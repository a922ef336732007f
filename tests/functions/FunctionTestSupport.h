#pragma once
// Building functions for the tests: by registered type name, from XML text, or with
// static cells given column by column.
#include <string>
#include <vector>

#include "foundation/XMLStorage.h"
#include "functions/FunctionClasses.h"
#include "functions/FunctionRegistration.h"
#include "functions/PathFunctionClasses.h"

struct TCellValue {
  int32_t Col;
  int32_t Row;
  float Value;
};

inline Ref<IFunction> NewFunction(const std::string& type) {
  RegisterFunctionsClasses();
  return Supports<IFunction>(CreateRegisteredObject(type));
}

// Column c of Columns becomes static cells (c, 0), (c, 1), ...
inline Ref<IFunction> NewFunction(const std::string& type,
                                  const std::vector<std::vector<float>>& columns) {
  Ref<IFunction> f = NewFunction(type);
  for (size_t c = 0; c < columns.size(); ++c)
    for (size_t r = 0; r < columns[c].size(); ++r)
      f->GetParamSpace()->AddParamDef("c" + std::to_string(c) + "_" + std::to_string(r), int32_t(c),
                                      int32_t(r), true, {}, columns[c][r]);
  return f;
}

inline Ref<IFunction> NewFunctionWithCells(const std::string& type,
                                           const std::vector<TCellValue>& cells) {
  Ref<IFunction> f = NewFunction(type);
  for (const TCellValue& cell : cells)
    f->GetParamSpace()->AddParamDef("c" + std::to_string(cell.Col) + "_" + std::to_string(cell.Row),
                                    cell.Col, cell.Row, true, {}, cell.Value);
  return f;
}

inline Ref<IHierStorageRoot> ParseXml(const std::string& xml) {
  return LoadXmlStorageFromText(xml);
}

// The function of the document's root element, created by its "type".
inline Ref<IFunction> LoadFunction(const std::string& xml) {
  RegisterFunctionsClasses();
  Ref<IHierStorageRoot> root = ParseXml(xml);
  if (!root) return nullptr;
  return Supports<IFunction>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
}

// The object saved as the root element ElementName.
inline std::string SaveToText(const Ref<IInterface>& object, const std::string& elementName) {
  Ref<IHierStorageRoot> root = CreateXmlStorage(elementName);
  SaveObject(object, Ref<IHierStorage>(root.get()));
  return root->GetXmlText();
}
