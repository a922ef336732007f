#include <gtest/gtest.h>

#include "tests/functions/FunctionTestSupport.h"

namespace {

Ref<TParamSpace> LoadSpace(const std::string& xml) {
  Ref<TParamSpace> space = TAbstractObject::Create<TParamSpace>();
  Ref<IHierStorageRoot> root = ParseXml(xml);
  EXPECT_TRUE(root);
  LoadObject(space, Ref<IHierStorage>(root.get()));
  return space;
}

TEST(ParamSpaceXml, ReadingRules) {
  Ref<TParamSpace> space = LoadSpace(R"(<paramspace name="s"><paramdefs>
    <paramdef name="a" col="1"/>
    <paramdef name="b" col="1" static="yes" value="2,5" outrow="3" outcol="4"/>
    <paramdef name="c" col="1" outcol="2"/>
    <paramdef name="d" col="1" row="5" value="7" outname="other"/>
    <paramdef name="e" col="2" row="0" static="-1" value="1"/>
    <paramdef name="E2" col="2" row="0" static="yes" value="9"/>
    <paramdef name="f" col="x" row="y" outrow="z"/>
    <paramdef name="neg" col="-1"/>
    <paramdef name="far" col="1" row="2000000000"/>
    <paramdef name="wide" col="99999" static="yes"/>
    <paramdef name="rowneg" col="3" row="-7" static="yes"/>
  </paramdefs></paramspace>)");
  Ref<IParamDefCollection> defs = space->GetParamDefs();
  struct Case {
    const char* name;
    int32_t col, row;
    bool isStatic;
    int32_t outCol, outRow;
    const char* outName;
    float value;
  };
  const Case cases[] = {
      {"a", 1, 0, false, 0, 0, "a", 0},      // names nothing: binds by its own name
      {"b", 1, 1, true, 0, 0, "", 2.5f},     // static: out place ignored, "," read as "."
      {"c", 1, 2, false, 2, 0, "", 0},       // only outcol: (2, 0) of the owner
      {"d", 1, 5, false, 0, 0, "other", 0},  // value of a bound cell ignored
      {"E2", 2, 0, true, 0, 0, "", 9},       // the same place again: reloaded, renamed
      {"f", 0, 0, false, 0, 0, "f", 0},      // lenient integers: bad text is the default
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<IParamDef> def = defs->GetByName(c.name);
    ASSERT_TRUE(def);
    EXPECT_EQ(def->GetCol(), c.col);
    EXPECT_EQ(def->GetRow(), c.row);
    EXPECT_EQ(def->GetStatic(), c.isStatic);
    EXPECT_EQ(def->GetOutCol(), c.outCol);
    EXPECT_EQ(def->GetOutRow(), c.outRow);
    EXPECT_EQ(def->GetOutName(), c.outName);
    EXPECT_FLOAT_EQ(def->GetValue(), c.value);
  }
  // "f": bad text gave the defaults: the next free row of column 0, and with outrow and
  // outcol both -1 it binds by its own name.
  EXPECT_FALSE(defs->GetByName("e"));
  // Places outside the limits are refused, and nothing huge is allocated.
  for (const char* name : {"neg", "far", "wide", "rowneg"})
    EXPECT_FALSE(defs->GetByName(name)) << name;
  EXPECT_EQ(defs->Count(), 6);
  EXPECT_EQ(space->GetColCount(), 3);
  EXPECT_EQ(defs->GetRowCount(1), 6);
  space->SetOwnerSpace(nullptr);
  EXPECT_EQ(space->GetCellPtr(1, 3), nullptr);
  EXPECT_EQ(space->GetCellPtr(1, 4), nullptr);
  EXPECT_FLOAT_EQ(space->GetValueByName("e2"), 9);
}

TEST(ParamSpaceXml, BindingToTheOwner) {
  Ref<TParamSpace> owner = LoadSpace(R"(<paramspace><paramdefs>
    <paramdef name="speed" col="0" static="yes" value="4"/>
    <paramdef name="x" col="2" static="yes" value="7"/>
    <paramdef name="y" col="2" static="yes" value="8"/>
  </paramdefs></paramspace>)");
  owner->SetOwnerSpace(nullptr);
  Ref<TParamSpace> child = LoadSpace(R"(<paramspace><paramdefs>
    <paramdef name="speed" col="1"/>
    <paramdef name="v" col="1" outname="x"/>
    <paramdef name="p" col="1" outcol="2" outrow="1"/>
    <paramdef name="q" col="1" outcol="2"/>
    <paramdef name="outside" col="1" outcol="7" outrow="100"/>
    <paramdef name="negative" col="1" outcol="-5" outrow="-9"/>
  </paramdefs></paramspace>)");
  child->SetOwnerSpace(owner);
  EXPECT_EQ(child->GetCellPtr(1, 0), owner->GetCellPtrByName("speed"));
  EXPECT_EQ(child->GetCellPtr(1, 1), owner->GetCellPtrByName("x"));
  EXPECT_EQ(child->GetCellPtr(1, 2), owner->GetCellPtrByName("y"));
  EXPECT_EQ(child->GetCellPtr(1, 3), owner->GetCellPtrByName("x"));
  EXPECT_EQ(child->GetCellPtr(1, 4), nullptr);
  EXPECT_EQ(child->GetCellPtr(1, 5), nullptr);
  child->SetCellValue(1, 0, 11);
  EXPECT_FLOAT_EQ(owner->GetValueByName("speed"), 11);
  child->SetCellValue(1, 4, 1);  // unbound: dropped
}

TEST(ParamSpaceXml, SavedSpaceReadsBackInDocumentOrder) {
  const std::string xml = R"(<paramspace><paramdefs>
    <paramdef name="late" col="1" row="2" static="yes" value="3"/>
    <paramdef name="early" col="1" row="0" static="yes" value="1.25"/>
    <paramdef name="linked" col="0" outname="speed"/>
    <paramdef name="byplace" col="0" outcol="2" outrow="1"/>
  </paramdefs></paramspace>)";
  std::string saved = SaveToText(Ref<IInterface>(LoadSpace(xml).get()), "paramspace");
  EXPECT_EQ(saved,
            "<paramspace><paramdefs>"
            "<paramdef name=\"late\" col=\"1\" static=\"yes\" value=\"3\"/>"
            "<paramdef name=\"early\" col=\"1\" static=\"yes\" value=\"1.25\"/>"
            "<paramdef name=\"linked\" col=\"0\" static=\"no\" outname=\"speed\"/>"
            "<paramdef name=\"byplace\" col=\"0\" static=\"no\"/>"
            "</paramdefs></paramspace>");
  Ref<TParamSpace> again = LoadSpace(saved);
  Ref<IParamDefCollection> defs = again->GetParamDefs();
  EXPECT_EQ(defs->GetByName("late")->GetRow(), 0);
  EXPECT_EQ(defs->GetByName("early")->GetRow(), 1);
  // The positional binding was not kept: it binds by its own name now.
  EXPECT_EQ(defs->GetByName("byplace")->GetOutName(), "byplace");
  EXPECT_EQ(SaveToText(Ref<IInterface>(again.get()), "paramspace"),
            "<paramspace><paramdefs>"
            "<paramdef name=\"late\" col=\"1\" static=\"yes\" value=\"3\"/>"
            "<paramdef name=\"early\" col=\"1\" static=\"yes\" value=\"1.25\"/>"
            "<paramdef name=\"linked\" col=\"0\" static=\"no\" outname=\"speed\"/>"
            "<paramdef name=\"byplace\" col=\"0\" static=\"no\" outname=\"byplace\"/>"
            "</paramdefs></paramspace>");
}

const char* kEvalXml = R"(<function type="function_eval" name="wave">
  <paramspace><paramdefs>
    <paramdef name="y" col="0" static="yes"/>
    <paramdef name="x" col="1" static="yes" value="3"/>
    <paramdef name="k" col="2" static="yes" value="0,5"/>
  </paramdefs></paramspace>
  <expression>// scaled square
y := x * x * k
</expression>
</function>)";

TEST(FunctionXml, EvalLoadsRunsAndSavesItsExpression) {
  Ref<IFunction> f = LoadFunction(kEvalXml);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->GetName(), "wave");
  f->SetOwner(nullptr);
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 4.5f);

  std::string saved = SaveToText(Ref<IInterface>(f.get()), "function");
  EXPECT_NE(saved.find("type=\"function_eval\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("<expression>// scaled square\ny := x * x * k\n</expression>"),
            std::string::npos)
      << saved;
  Ref<IFunction> again = LoadFunction(saved);
  ASSERT_TRUE(again);
  again->SetOwner(nullptr);
  again->SetInput(0, 4);
  again->Calculate();
  EXPECT_FLOAT_EQ(again->GetOutput(0), 8);
  EXPECT_EQ(SaveToText(Ref<IInterface>(again.get()), "function"), saved);

  // A syntax error computes nothing and raises nothing.
  std::string broken = kEvalXml;
  broken.replace(broken.find("x * x"), 5, "x * (x");
  Ref<IFunction> bad = LoadFunction(broken);
  ASSERT_TRUE(bad);
  EXPECT_NO_THROW(bad->SetOwner(nullptr));
  EXPECT_NO_THROW(bad->Calculate());
  EXPECT_FLOAT_EQ(bad->GetOutput(0), 0);
}

TEST(FunctionXml, EveryRegisteredTypeRoundTrips) {
  const char* types[] = {"function_complex",
                         "function_selector",
                         "function_selector_func",
                         "function_selector_const",
                         "function_sin",
                         "function_polinom2",
                         "function_sum",
                         "function_substr",
                         "function_multiply",
                         "function_division",
                         "function_arithmetic",
                         "function_eval",
                         "function_random",
                         "function_int_random",
                         "function_switch",
                         "function_interval",
                         "function_piecewise",
                         "function_linear_segment",
                         "function_montecarlo",
                         "path_bezier",
                         "path_segment",
                         "path_arc",
                         "path_segment_accelerate",
                         "path_composite",
                         "path_arbitrary"};
  for (const char* type : types) {
    SCOPED_TRACE(type);
    std::string xml = std::string("<function type=\"") + type +
                      "\" name=\"n\"><paramspace><paramdefs>"
                      "<paramdef name=\"o\" col=\"0\" static=\"yes\" value=\"1\"/>"
                      "</paramdefs></paramspace></function>";
    Ref<IFunction> f = LoadFunction(xml);
    ASSERT_TRUE(f);
    std::string saved = SaveToText(Ref<IInterface>(f.get()), "function");
    // The selector's two names share a class; it saves under the first.
    std::string expected =
        std::string(type) == "function_selector_func" ? "function_selector" : type;
    EXPECT_NE(saved.find("type=\"" + expected + "\""), std::string::npos) << saved;
    Ref<IFunction> again = LoadFunction(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(SaveToText(Ref<IInterface>(again.get()), "function"), saved);
    again->SetOwner(nullptr);
    EXPECT_NO_THROW(again->Execute());
    EXPECT_NO_THROW(again->Calculate());
  }
  EXPECT_FALSE(LoadFunction("<function type=\"function_unknown\"/>"));
  EXPECT_FALSE(LoadFunction("<function type=\"\"/>"));
}

// The preparation's "before" and "after" children run around the children's Execute
// (here the child's own preparation), and Calculate never runs a preparation. Each step
// appends a digit to "trace".
const char* kPreparedXml = R"(<function type="function_complex">
  <paramspace><paramdefs>
    <paramdef name="trace" col="0" static="yes"/>
  </paramdefs></paramspace>
  <preparation_function type="function_complex">
    <paramspace><paramdefs><paramdef name="trace" col="0"/></paramdefs></paramspace>
    <functions>
      <function type="function_eval" name="%AFTER%">
        <paramspace><paramdefs><paramdef name="trace" col="0"/></paramdefs></paramspace>
        <expression>trace := trace * 10 + 3</expression>
      </function>
      <function type="function_eval" name="%BEFORE%">
        <paramspace><paramdefs><paramdef name="trace" col="0"/></paramdefs></paramspace>
        <expression>trace := trace * 10 + 1</expression>
      </function>
    </functions>
  </preparation_function>
  <functions>
    <function type="function_eval">
      <paramspace><paramdefs><paramdef name="t" col="0" outname="trace"/></paramdefs></paramspace>
      <preparation_function type="function_eval">
        <paramspace><paramdefs><paramdef name="t" col="0"/></paramdefs></paramspace>
        <expression>t := t * 10 + 2</expression>
      </preparation_function>
      <expression>t := t * 10 + 4</expression>
    </function>
  </functions>
</function>)";

TEST(FunctionXml, PreparationLinks) {
  struct Case {
    const char* before;
    const char* after;
    float executed;
  };
  const Case cases[] = {
      {"before", "after", 123},
      {"BEFORE", "After", 123},  // names match without case
      {"one", "two", 312},       // neither: the whole preparation runs before
  };
  for (const Case& c : cases) {
    std::string xml = kPreparedXml;
    xml.replace(xml.find("%AFTER%"), 7, c.after);
    xml.replace(xml.find("%BEFORE%"), 8, c.before);
    Ref<IFunction> f = LoadFunction(xml);
    ASSERT_TRUE(f);
    f->SetOwner(nullptr);
    f->Execute();
    EXPECT_FLOAT_EQ(f->GetParamValue("trace"), c.executed) << c.before;
    f->SetOutput(0, 0);
    f->Calculate();  // the child only, without its preparation
    EXPECT_FLOAT_EQ(f->GetOutput(0), 4) << c.before;
    // Binding again resets the static cells and finds the links again.
    f->SetOwner(nullptr);
    EXPECT_FLOAT_EQ(f->GetOutput(0), 0);
    f->Execute();
    EXPECT_FLOAT_EQ(f->GetParamValue("trace"), c.executed) << c.before;
    std::string saved = SaveToText(Ref<IInterface>(f.get()), "function");
    EXPECT_NE(saved.find("<preparation_function type=\"function_complex\">"), std::string::npos);
  }
}

TEST(FunctionXml, ChildrenShareTheParentsCells) {
  Ref<IFunction> f = LoadFunction(R"(<function type="function_complex">
    <paramspace><paramdefs>
      <paramdef name="total" col="0" static="yes"/>
      <paramdef name="a" col="1" static="yes" value="2"/>
      <paramdef name="b" col="1" static="yes" value="5"/>
    </paramdefs></paramspace>
    <functions>
      <function type="function_sum" name="adder"><paramspace><paramdefs>
        <paramdef name="sum" col="0" outname="total"/>
        <paramdef name="a" col="1"/>
        <paramdef name="second" col="1" outcol="1" outrow="1"/>
      </paramdefs></paramspace></function>
      <function type="no_such_type"/>
      <function type="function_multiply"><paramspace><paramdefs>
        <paramdef name="total" col="0"/>
        <paramdef name="again" col="1" outname="total"/>
        <paramdef name="two" col="1" static="yes" value="2"/>
      </paramdefs></paramspace></function>
    </functions>
  </function>)");
  ASSERT_TRUE(f);
  ASSERT_EQ(f->GetFunctions()->Count(), 2);  // the unknown type is left out
  f->SetOwner(nullptr);
  f->Calculate();
  // 2 + 5, then doubled in place by the second child.
  EXPECT_FLOAT_EQ(f->GetOutput(0), 7 * 2);
  Ref<IFunction> adder = f->GetFunctions()->GetByName("ADDER");
  ASSERT_TRUE(adder);
  EXPECT_EQ(adder->GetParamName(0, 0), "total");
  EXPECT_EQ(adder->GetParamDefName(0, 0), "sum");
  EXPECT_EQ(adder->GetParamName(1, 1), "second");
  EXPECT_EQ(adder->GetParamName(3, 3), "");
}

TEST(FunctionXml, PathLoopAttribute) {
  const std::string xml = R"(<function type="path_segment" loop="yes"><paramspace><paramdefs>
    <paramdef name="x" col="0" static="yes"/><paramdef name="y" col="0" static="yes"/>
    <paramdef name="step" col="1" static="yes"/>
    <paramdef name="x1" col="2" static="yes"/><paramdef name="y1" col="2" static="yes"/>
    <paramdef name="x2" col="2" static="yes" value="3"/><paramdef name="y2" col="2" static="yes" value="4"/>
    <paramdef name="duration" col="2" static="yes" value="10"/>
    <paramdef name="length" col="2" static="yes"/>
  </paramdefs></paramspace></function>)";
  Ref<IPathFunction> path = Supports<IPathFunction>(LoadFunction(xml));
  ASSERT_TRUE(path);
  path->SetOwner(nullptr);
  path->Execute();
  EXPECT_FLOAT_EQ(path->GetStoredLength(), 5);
  path->SetStep(25);
  EXPECT_FLOAT_EQ(path->GetX(), 1.5f);
  std::string saved = SaveToText(Ref<IInterface>(path.get()), "function");
  EXPECT_NE(saved.find("loop=\"yes\""), std::string::npos);
  auto* segment = dynamic_cast<TAbstractPathFunction*>(path.get());
  segment->SetLoop(false);
  EXPECT_EQ(SaveToText(Ref<IInterface>(path.get()), "function").find("loop"), std::string::npos);
}

}  // namespace
