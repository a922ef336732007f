#pragma once
// A dynamic_cast that remembers. The object model's classes inherit many interfaces
// virtually, and a cast across such a hierarchy walks the class graph each time: a few
// thousand instructions, paid at every interface query. The outcome for one source
// subobject (known by its vtable pointer, which differs for every complete class, every
// place of a base within it and every construction stage) and one pair of static types
// never changes, so it is kept in a small per-thread table as the distance from source
// to target.

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace interface_cast_detail {

struct Slot {
  const void* vtable = nullptr;
  const void* types = nullptr;  // which pair of static types
  std::ptrdiff_t distance = 0;
  bool found = false;
};

inline constexpr size_t kSlots = 1024;
inline thread_local std::array<Slot, kSlots> slots{};

template <class T, class U>
inline constexpr char kTypes = 0;

inline size_t SlotOf(const void* vtable, const void* types) {
  uint64_t key = uint64_t(reinterpret_cast<uintptr_t>(vtable)) ^
                 uint64_t(reinterpret_cast<uintptr_t>(types)) * 0x9E3779B97F4A7C15ull;
  key *= 0xFF51AFD7ED558CCDull;
  return size_t(key >> 54) & (kSlots - 1);
}

}  // namespace interface_cast_detail

// dynamic_cast<T*>(object), for polymorphic U.
template <class T, class U>
T* InterfaceCast(U* object) {
  static_assert(std::is_polymorphic_v<U> && !std::is_const_v<U>);
  if constexpr (std::is_convertible_v<U*, T*>) {
    return object;
  } else {
#if defined(__GXX_ABI_VERSION)
    using namespace interface_cast_detail;
    if (!object) return nullptr;
    // Every polymorphic subobject begins with its vtable pointer.
    const void* vtable = *reinterpret_cast<const void* const*>(object);
    const void* types = &kTypes<T, U>;
    Slot& slot = slots[SlotOf(vtable, types)];
    if (slot.vtable == vtable && slot.types == types)
      return slot.found ? reinterpret_cast<T*>(reinterpret_cast<char*>(object) + slot.distance)
                        : nullptr;
    T* target = dynamic_cast<T*>(object);
    slot.vtable = vtable;
    slot.types = types;
    slot.found = target != nullptr;
    slot.distance = target ? reinterpret_cast<char*>(target) - reinterpret_cast<char*>(object) : 0;
    return target;
#else
    return dynamic_cast<T*>(object);
#endif
  }
}
