#pragma once
// First-in first-out queue of events on a ring that only grows: once it has reached
// the size a session needs, pushing and popping allocate nothing.

#include <cstddef>
#include <vector>

#include "platform/Events.h"

namespace platform {

class EventQueue {
 public:
  EventQueue() : ring_(64) {}

  void Push(const Event& e);
  // The oldest event, removed; false when the queue is empty.
  bool Pop(Event& e);
  bool Empty() const { return count_ == 0; }
  size_t Count() const { return count_; }
  void Clear() { head_ = count_ = 0; }

 private:
  std::vector<Event> ring_;
  size_t head_ = 0;
  size_t count_ = 0;
};

}  // namespace platform
