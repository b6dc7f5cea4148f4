#pragma once
// A counting semaphore with a maximum count, as the kernel's: a release
// beyond the maximum is refused and leaves the count as it was.  It can
// also say how many threads wait on it, so a test can see that a writer is
// blocked without timing anything.
#include <condition_variable>
#include <mutex>

namespace kb {

class CountingSemaphore {
 public:
  CountingSemaphore(int initial, int maximum) : count_(initial), maximum_(maximum) {}
  CountingSemaphore(const CountingSemaphore&) = delete;
  CountingSemaphore& operator=(const CountingSemaphore&) = delete;

  // Waits without limit until the count is above 0, then takes one.
  void Acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiters_;
    available_.wait(lock, [this] { return count_ > 0; });
    --waiters_;
    --count_;
  }

  // Gives one back; false (and no change) when the count is at its maximum.
  bool Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (count_ >= maximum_) return false;
      ++count_;
    }
    available_.notify_one();
    return true;
  }

  int Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }

  // Threads blocked in Acquire.
  int Waiters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiters_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable available_;
  int count_;
  int maximum_;
  int waiters_ = 0;
};

}  // namespace kb
