#include <gtest/gtest.h>

#include "foundation/GeneralClasses.h"

namespace {

int liveObjects = 0;

struct ICounter : virtual IInterface {
  virtual int Value() const = 0;
};

class TCounter : public TAbstractObject, public ICounter {
 public:
  TCounter() { ++liveObjects; }
  ~TCounter() override { --liveObjects; }
  int Value() const override { return value_; }

 private:
  int value_ = 7;
};

TEST(ObjectModel, LastReferenceFreesTheObject) {
  {
    Ref<TCounter> a = TAbstractObject::Create<TCounter>();
    Ref<ICounter> b = Supports<ICounter>(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Value(), 7);
    EXPECT_EQ(a->RefCount(), 2);
    a.reset();
    EXPECT_EQ(liveObjects, 1);
  }
  EXPECT_EQ(liveObjects, 0);
}

TEST(ObjectModel, SupportsGivesNothingForAnotherInterface) {
  struct IOther : virtual IInterface {};
  Ref<TCounter> a = TAbstractObject::Create<TCounter>();
  EXPECT_FALSE(Supports<IOther>(a));
}

// Interfaces reached across virtual bases that sit at different places in different
// complete classes, so a remembered cast must tell the classes and the subobjects apart.
struct IShape : virtual IInterface {};
struct IPaint : virtual IInterface {};
struct ISound : virtual IInterface {};
struct TBase : TAbstractObject, IShape {
  TBase();
  IPaint* paintSeenWhileBuilt = nullptr;
};
struct TPainted : TBase, IPaint {
  int fill[5] = {};
};
struct TNoisyPainted : ISound, TPainted {};
struct TSilent : TBase {
  double pad[3] = {};
};
TBase::TBase() {
  // Being built, the object is only a TBase: the cast must fail as dynamic_cast does.
  paintSeenWhileBuilt = InterfaceCast<IPaint>(static_cast<IShape*>(this));
}

TEST(ObjectModel, InterfaceCastAnswersAsDynamicCastEveryTime) {
  Ref<TPainted> painted = TAbstractObject::Create<TPainted>();
  Ref<TNoisyPainted> noisy = TAbstractObject::Create<TNoisyPainted>();
  Ref<TSilent> silent = TAbstractObject::Create<TSilent>();
  EXPECT_EQ(painted->paintSeenWhileBuilt, nullptr);
  EXPECT_EQ(noisy->paintSeenWhileBuilt, nullptr);
  for (int round = 0; round < 3; ++round) {  // the first answer is worked out, then recalled
    for (TBase* object : {static_cast<TBase*>(painted.get()), static_cast<TBase*>(noisy.get()),
                          static_cast<TBase*>(silent.get())}) {
      IShape* shape = object;
      IInterface* root = shape;
      EXPECT_EQ(InterfaceCast<IPaint>(shape), dynamic_cast<IPaint*>(shape));
      EXPECT_EQ(InterfaceCast<IPaint>(root), dynamic_cast<IPaint*>(root));
      EXPECT_EQ(InterfaceCast<ISound>(root), dynamic_cast<ISound*>(root));
      EXPECT_EQ(InterfaceCast<TPainted>(root), dynamic_cast<TPainted*>(root));
      EXPECT_EQ(InterfaceCast<TBase>(root), object);
      EXPECT_EQ(InterfaceCast<IShape>(root), shape);
    }
    EXPECT_TRUE(InterfaceCast<IPaint>(static_cast<IInterface*>(static_cast<IShape*>(noisy.get()))));
    EXPECT_FALSE(InterfaceCast<IPaint>(static_cast<IInterface*>(static_cast<IShape*>(silent.get()))));
    EXPECT_EQ(InterfaceCast<IPaint>(static_cast<IInterface*>(nullptr)), nullptr);
  }
}

}  // namespace
