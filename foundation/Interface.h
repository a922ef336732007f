#pragma once
// The object model every subsystem speaks: reference-counted interfaces held through
// one intrusive smart pointer, and a query for another interface of the same object.

#include <cstddef>
#include <utility>

#include "foundation/InterfaceCast.h"

// Root of every interface. Interfaces inherit it virtually, so an object that
// implements several of them still has one reference count.
class IInterface {
 public:
  virtual int AddRef() = 0;
  virtual int Release() = 0;
  virtual ~IInterface() = default;
};

// Intrusive smart pointer: holds one reference for as long as it points at an object.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  Ref(T* object) : object_(object) {
    if (object_) object_->AddRef();
  }
  Ref(const Ref& other) : Ref(other.object_) {}
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  template <class U>
  Ref(const Ref<U>& other) : Ref(other.get()) {}
  template <class U>
  Ref(Ref<U>&& other) noexcept : object_(other.Detach()) {}
  ~Ref() { reset(); }

  Ref& operator=(const Ref& other) {
    Ref(other).swap(*this);
    return *this;
  }
  Ref& operator=(Ref&& other) noexcept {
    Ref(std::move(other)).swap(*this);
    return *this;
  }

  void reset() {
    if (T* old = std::exchange(object_, nullptr)) old->Release();
  }
  void swap(Ref& other) noexcept { std::swap(object_, other.object_); }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(object_, nullptr); }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

  friend bool operator==(const Ref& a, const Ref& b) { return a.object_ == b.object_; }
  friend bool operator==(const Ref& a, std::nullptr_t) { return a.object_ == nullptr; }

 private:
  T* object_ = nullptr;
};

// The object's interface T, or nothing when it does not implement T.
template <class T, class U>
Ref<T> Supports(U* object) {
  return Ref<T>(InterfaceCast<T>(object));
}
template <class T, class U>
Ref<T> Supports(const Ref<U>& object) {
  return Ref<T>(InterfaceCast<T>(object.get()));
}

// Plain reference counting for every class of the system (one thread, so a plain int).
// Objects start with no reference; the first Ref takes one, the last Release frees.
class TInterfacedObject : public virtual IInterface {
 public:
  TInterfacedObject() = default;
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;

  int AddRef() override { return ++refCount_; }
  int Release() override {
    int count = --refCount_;
    if (count == 0) delete this;
    return count;
  }
  int RefCount() const { return refCount_; }

 private:
  int refCount_ = 0;
};
