#include <gtest/gtest.h>

#include "functions/ParamSpaces.h"

namespace {

Ref<TParamSpace> NewSpace() {
  return TAbstractObject::Create<TParamSpace>();
}

TEST(ParamSpaces, IndexCountsColumnsAndRows) {
  Ref<TParamSpace> space = NewSpace();
  EXPECT_EQ(space->GetColCount(), 0);
  EXPECT_EQ(space->GetParamDefs()->GetRowCount(3), 0);
  space->AddParamDef("a", 1, 0, true, {}, 1);
  space->AddParamDef("b", 1, 1, true, {}, 2);
  space->AddParamDef("c", 1, 5, true, {}, 3);
  space->AddParamDef("out", 0, 0, true, {}, 0);
  Ref<IParamDefCollection> defs = space->GetParamDefs();
  EXPECT_EQ(defs->GetColCount(), 2);
  EXPECT_EQ(defs->GetRowCount(1), 6);
  EXPECT_EQ(defs->FindAt(1, 5)->GetName(), "c");
  EXPECT_FALSE(defs->FindAt(1, 3));
  EXPECT_FALSE(defs->FindAt(-1, 0));
  EXPECT_FALSE(defs->FindAt(7, 0));
  // Keys are names without regard to case, and unique.
  EXPECT_FALSE(defs->Add(Ref<IParamDef>(space->AddParamDef("A", 2, 0, true, {}, 0))));
  EXPECT_EQ(defs->Count(), 4);
  EXPECT_EQ(defs->GetByName("C")->GetRow(), 5);

  space->SetOwnerSpace(nullptr);
  EXPECT_EQ(space->GetRowCount(1), 6);
  EXPECT_EQ(space->GetCellPtr(1, 3), nullptr);  // no definition there
  EXPECT_FLOAT_EQ(space->GetValueByName("b"), 2);
  EXPECT_FLOAT_EQ(space->GetValueByName("missing"), 0);
  EXPECT_EQ(space->GetCellPtrByName("missing"), nullptr);
  space->SetValueByName("missing", 5);  // ignored
  // Unbound cells are never touched.
  space->SetCellValue(1, 3, 9);
  EXPECT_FLOAT_EQ(space->GetCellValue(1, 3), 0);
  EXPECT_FLOAT_EQ(space->GetCellValue(9, 9), 0);
}

TEST(ParamSpaces, BindingByNameAndPosition) {
  Ref<TParamSpace> owner = NewSpace();
  owner->AddParamDef("speed", 0, 0, true, {}, 4);
  owner->AddParamDef("pos", 2, 0, true, {}, 7);
  owner->SetOwnerSpace(nullptr);

  Ref<TParamSpace> child = NewSpace();
  Ref<IParamDef> byOwnName = child->AddParamDef("speed", 1, 0, false, {}, 0);
  Ref<IParamDef> byOutName = child->AddParamDef("v", 1, 1, false, "speed", 0);
  Ref<IParamDef> byPlace = child->AddParamDef("p", 1, 2, false, {}, 0);
  byPlace->SetOutCol(2);
  Ref<IParamDef> lost = child->AddParamDef("lost", 1, 3, false, "nothing", 0);
  (void)byOwnName;
  (void)byOutName;
  (void)lost;
  // Without an owner the bound cells are null.
  child->SetOwnerSpace(nullptr);
  EXPECT_EQ(child->GetCellPtr(1, 1), nullptr);

  // Definitions that name nothing bind by their own name (the loader sets OutName so);
  // here the name is given as OutName explicitly.
  child->GetParamDefs()->GetByName("speed")->SetOutName("speed");
  child->SetOwnerSpace(owner);
  EXPECT_EQ(child->GetCellPtr(1, 0), owner->GetCellPtr(0, 0));
  EXPECT_EQ(child->GetCellPtr(1, 1), owner->GetCellPtr(0, 0));
  EXPECT_EQ(child->GetCellPtr(1, 2), owner->GetCellPtr(2, 0));
  EXPECT_EQ(child->GetCellPtr(1, 3), nullptr);
  child->SetCellValue(1, 1, 9);
  EXPECT_FLOAT_EQ(owner->GetValueByName("speed"), 9);
  child->ReleaseOwnerSpace();
  EXPECT_EQ(child->GetRowCount(1), 0);
  EXPECT_FLOAT_EQ(owner->GetValueByName("speed"), 9);  // the owner's cells stay
}

TEST(ParamSpaces, RebindingResetsStaticCells) {
  Ref<TParamSpace> space = NewSpace();
  space->AddParamDef("a", 0, 0, true, {}, 1.5f);
  space->SetOwnerSpace(nullptr);
  space->SetValueByName("a", 8);
  space->SetOwnerSpace(nullptr);
  EXPECT_FLOAT_EQ(space->GetValueByName("a"), 1.5f);
}

TEST(ParamSpaces, MatrixCopiesShareBoundCellsOnly) {
  Ref<TParamSpace> owner = NewSpace();
  owner->AddParamDef("shared", 0, 0, true, {}, 1);
  owner->SetOwnerSpace(nullptr);
  Ref<TParamSpace> space = NewSpace();
  space->AddParamDef("own", 0, 0, true, {}, 2);
  space->AddParamDef("link", 0, 1, false, "shared", 0);
  space->SetOwnerSpace(owner);
  space->SetValueByName("own", 5);

  TFloatMatrix copy;
  space->CreateMatrixCopy(copy);
  ASSERT_EQ(copy.size(), 1u);
  ASSERT_EQ(copy[0].size(), 2u);
  EXPECT_FLOAT_EQ(*copy[0][0], 5);  // the current value, not the loaded one
  *copy[0][0] = 6;
  EXPECT_FLOAT_EQ(space->GetValueByName("own"), 5);
  *copy[0][1] = 3;
  EXPECT_FLOAT_EQ(owner->GetValueByName("shared"), 3);
  space->DisposeMatrix(copy);
  EXPECT_TRUE(copy.empty());
}

}  // namespace
