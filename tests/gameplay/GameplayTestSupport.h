#pragma once
// Small helpers of the gameplay tests: records read from XML text and written back, and
// the attributes of a written element as one line.

#include <gtest/gtest.h>

#include <string>

#include "foundation/XMLStorage.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Declarations.h"

namespace gameplay_test {

// A T loaded from the root element of Xml (the game's declarations in force).
template <class T>
Ref<T> LoadRecord(const std::string& xml) {
  Tv2DeclarationsInit();
  Ref<T> record = TAbstractObject::Create<T>();
  std::string problem;
  Ref<IHierStorageRoot> storage = ParseDataText(xml, problem);
  EXPECT_TRUE(storage) << problem << " in " << xml;
  if (storage) storage->LoadObject(record.get());
  return record;
}

// The object saved into a new document with root element Root.
inline Ref<IHierStorage> Saved(IPersistObject& object, const std::string& root) {
  Tv2DeclarationsInit();
  Ref<IHierStorageRoot> storage = CreateXmlStorage(root);
  storage->SaveObject(&object);
  return Ref<IHierStorage>(storage.get());
}

// "name=value name=value" in the order of the element's attributes.
inline std::string Attributes(const Ref<IHierStorage>& node) {
  std::string text;
  if (!node) return "(none)";
  for (int i = 0; i < node->GetAttrCount(); ++i) {
    if (!text.empty()) text += ' ';
    text += node->GetAttrName(i) + "=" + node->GetAttrByIndex(i).ToString();
  }
  return text;
}

}  // namespace gameplay_test
