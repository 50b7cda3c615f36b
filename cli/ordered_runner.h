#pragma once
// Runs numbered pieces of work on several threads and hands their results
// on in the order of their numbers, each as soon as it and every one before
// it are done. Results that wait for an earlier one are held in a window of
// fixed size, so memory stays bounded however many pieces there are.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace korrivan::cli {

template <typename Result>
class OrderedRunner {
public:
  using Work = std::function<Result(std::size_t)>;         // must not throw
  using Emit = std::function<void(std::size_t, Result&)>;  // on the calling thread, in order
  using Idle = std::function<void()>;                      // while the caller waits

  // `jobs` threads; at most `window` results held (at least `jobs`).
  OrderedRunner(unsigned jobs, std::size_t window) : jobs_(jobs ? jobs : 1), window_(window < jobs_ ? jobs_ : window) {}

  // Once set, no further piece is started; those started are finished and
  // handed on. Any thread may set it.
  void stop() { stop_.store(true); }
  bool stopped() const { return stop_.load(); }
  // Pieces finished so far, in any order.
  std::size_t finished() const { return finished_.load(); }

  // Runs pieces 0 .. count-1; returns how many were started (and handed on).
  std::size_t run(std::size_t count, const Work& work, const Emit& emit, const Idle& idle,
                  std::chrono::milliseconds tick = std::chrono::milliseconds(100)) {
    slots_.assign(window_, std::nullopt);
    count_ = count;
    std::vector<std::thread> threads;
    const std::size_t threadCount = count < jobs_ ? count : jobs_;
    for (std::size_t t = 0; t < threadCount; ++t) threads.emplace_back([this, &work] { workLoop(work); });
    auto lastIdle = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
      while (!slots_[emitted_ % window_] && !allHandedOn()) {
        ready_.wait_for(lock, tick);
        if (std::chrono::steady_clock::now() - lastIdle >= tick) {
          lock.unlock();
          idle();
          lock.lock();
          lastIdle = std::chrono::steady_clock::now();
        }
      }
      if (allHandedOn()) break;
      Result result = std::move(*slots_[emitted_ % window_]);
      slots_[emitted_ % window_].reset();
      const std::size_t index = emitted_;
      lock.unlock();
      emit(index, result);
      lock.lock();
      ++emitted_;
      room_.notify_all();
    }
    done_ = true;
    room_.notify_all();
    lock.unlock();
    for (std::thread& t : threads) t.join();
    return emitted_;
  }

private:
  // Every piece started has been handed on, and no more will start.
  bool allHandedOn() const { return emitted_ == next_ && (stop_.load() || next_ >= count_); }

  void workLoop(const Work& work) {
    for (;;) {
      std::size_t index;
      {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return done_ || stop_.load() || next_ >= count_ || next_ < emitted_ + window_; });
        if (done_ || stop_.load() || next_ >= count_) return;
        index = next_++;
      }
      Result result = work(index);
      {
        std::lock_guard lock(mutex_);
        slots_[index % window_].emplace(std::move(result));
      }
      finished_.fetch_add(1);
      ready_.notify_one();
    }
  }

  const std::size_t jobs_;
  const std::size_t window_;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> finished_{0};
  std::mutex mutex_;
  std::condition_variable ready_;  // a result is in its slot
  std::condition_variable room_;   // the window moved on, or the run ends
  std::vector<std::optional<Result>> slots_;
  std::size_t count_ = 0;
  std::size_t next_ = 0;     // the next piece to start
  std::size_t emitted_ = 0;  // the next piece to hand on
  bool done_ = false;
};

}  // namespace korrivan::cli
