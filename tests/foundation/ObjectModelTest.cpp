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

}  // namespace
