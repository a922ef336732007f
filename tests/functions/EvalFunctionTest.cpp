#include <gtest/gtest.h>

#include "functions/FunctionClasses.h"

namespace {

// A top-level expression function over static cells x (input), y and t (outputs).
Ref<TEvalFunction> NewEval(const std::string& text) {
  Ref<TEvalFunction> f = TAbstractObject::Create<TEvalFunction>();
  Ref<IParamSpace> space = f->GetParamSpace();
  space->AddParamDef("y", 0, 0, true, {}, 0);
  space->AddParamDef("T", 0, 1, true, {}, 0);
  space->AddParamDef("x", 1, 0, true, {}, 3);
  f->SetExpression(text);
  return f;
}

TEST(EvalFunction, LinesWriteIntoTheCells) {
  Ref<TEvalFunction> f = NewEval("// doubles x\nt := x * 2\ny := t + 1");
  f->SetOwner(nullptr);
  ASSERT_TRUE(f->IsCompiled()) << f->GetLastError();
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 7);
  EXPECT_FLOAT_EQ(f->GetOutput(1), 6);
  f->SetInput(0, 10);
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 21);
  EXPECT_EQ(f->GetParamName(0, 1), "T");
  EXPECT_EQ(f->GetInputCount(), 1);
  EXPECT_EQ(f->GetOutputCount(), 2);
}

TEST(EvalFunction, CompileFailuresComputeNothingAndRaiseNothing) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"y := x y", "Error in math expression: x two space limited variables/constants"},
      {"y := (x", "Unequal brackets"},
      {"y := x / 0", ""},  // compiles; fails when evaluated
      {"y := 1 / 0", "Floating point division by zero"},
  };
  for (const Case& c : cases) {
    Ref<TEvalFunction> f = NewEval(c.text);
    f->SetOutput(0, 0);
    EXPECT_NO_THROW(f->SetOwner(nullptr));
    EXPECT_EQ(f->GetLastError(), c.error) << c.text;
    EXPECT_NO_THROW(f->Calculate());
    EXPECT_FLOAT_EQ(f->GetOutput(0), 0) << c.text;
    EXPECT_FALSE(f->IsCompiled()) << c.text;
  }
}

TEST(EvalFunction, RunTimeFailureDisablesUntilBoundAgain) {
  Ref<TEvalFunction> f = NewEval("y := y + 1\nt := 1 / x");
  f->SetOwner(nullptr);
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 1);
  f->SetInput(0, 0);
  f->Calculate();  // the first line ran, the second failed
  EXPECT_FALSE(f->IsCompiled());
  EXPECT_EQ(f->GetLastError(), "Floating point division by zero");
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 2);  // disabled: nothing more
  f->SetOwner(nullptr);                 // static cells back to their loaded values
  EXPECT_TRUE(f->IsCompiled());
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 1);
}

TEST(EvalFunction, CellNamedLikeAFunctionCompilesNothing) {
  Ref<TEvalFunction> f = NewEval("y := 5");
  f->GetParamSpace()->AddParamDef("max", 2, 0, true, {}, 1);
  f->SetOwner(nullptr);
  EXPECT_FALSE(f->IsCompiled());
  EXPECT_EQ(f->GetLastError(),
            "Error in math expression: Cannot replace variable/function NFuntionArg doesn't "
            "match");
  // A cell named "pi" hides the constant.
  Ref<TEvalFunction> g = NewEval("y := pi * 2");
  g->GetParamSpace()->AddParamDef("pi", 2, 0, true, {}, 10);
  g->SetOwner(nullptr);
  g->Calculate();
  EXPECT_FLOAT_EQ(g->GetOutput(0), 20);
}

TEST(EvalFunction, UnboundCellFailsOnlyTheProgramThatReadsIt) {
  // "free" is not static and there is no owner: its cell is null.
  Ref<TEvalFunction> f = NewEval("y := free + 1");
  f->GetParamSpace()->AddParamDef("free", 2, 0, false, "free", 0);
  f->SetOwner(nullptr);
  EXPECT_FALSE(f->IsCompiled());
  EXPECT_EQ(f->GetLastError(), "Error in math expression: free is an unbound variable");
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 0);

  f->SetExpression("y := x + 1");
  f->SetOwner(nullptr);
  EXPECT_TRUE(f->IsCompiled());
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 4);
}

TEST(EvalFunction, ChildWritesThroughToItsOwnersCells) {
  Ref<TEvalFunction> parent = NewEval("");
  parent->SetOwner(nullptr);
  Ref<TEvalFunction> child = TAbstractObject::Create<TEvalFunction>();
  child->GetParamSpace()->AddParamDef("a", 0, 0, false, "y", 0);
  child->GetParamSpace()->AddParamDef("b", 1, 0, false, "x", 0);
  child->SetExpression("a := b * b");
  child->SetOwner(parent.get());
  child->Calculate();
  EXPECT_FLOAT_EQ(parent->GetOutput(0), 9);
  child->Clear();
  EXPECT_FALSE(child->IsCompiled());
  child->Calculate();  // unbound: nothing is read or written
  EXPECT_FLOAT_EQ(parent->GetOutput(0), 9);
}

TEST(EvalFunction, PreparationRunsOnlyInExecute) {
  Ref<TEvalFunction> f = NewEval("y := y + 1");
  Ref<TEvalFunction> prep = TAbstractObject::Create<TEvalFunction>();
  prep->GetParamSpace()->AddParamDef("t", 0, 0, false, "t", 0);
  prep->SetExpression("t := t + 100");
  f->SetPreparationFunction(prep);
  f->SetOwner(nullptr);
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(1), 0);
  f->Execute();
  EXPECT_FLOAT_EQ(f->GetOutput(1), 100);
  EXPECT_FLOAT_EQ(f->GetOutput(0), 1);
}

}  // namespace
