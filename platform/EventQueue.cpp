#include "platform/EventQueue.h"

namespace platform {

void EventQueue::Push(const Event& e) {
  if (count_ == ring_.size()) {
    // Unroll the ring into a vector twice the size, oldest first.
    std::vector<Event> grown(ring_.size() * 2);
    for (size_t i = 0; i < count_; ++i) grown[i] = ring_[(head_ + i) % ring_.size()];
    ring_.swap(grown);
    head_ = 0;
  }
  ring_[(head_ + count_) % ring_.size()] = e;
  ++count_;
}

bool EventQueue::Pop(Event& e) {
  if (count_ == 0) return false;
  e = ring_[head_];
  head_ = (head_ + 1) % ring_.size();
  --count_;
  return true;
}

}  // namespace platform
