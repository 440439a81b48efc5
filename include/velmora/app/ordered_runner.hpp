// The one thread pool of every front end: pieces of work (blocks of lines, ranges of an array) made
// on the calling thread, worked on by worker threads in any order, and taken on the calling thread
// strictly in the order they were made, so that what is written is the same bytes whatever the
// number of threads. Pieces go through a ring of slots: memory stays bounded by a few pieces per
// worker, whatever the size of the input.
#pragma once

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace velmora {

enum class FillStatus {
  kPiece,  // the slot holds the next piece
  kEnd,    // no more pieces: the run ends once every piece made is taken
};

enum class RunEnd {
  kCompleted,    // every piece made was taken
  kStopped,      // take said stop; the pieces after it were not taken
  kInterrupted,  // keepGoing said stop (asked while waiting for a worker, or between pieces)
};

// What a run asks of its front end, besides the work. Every call is on the calling thread.
template <typename Piece>
struct RunnerCalls {
  std::function<FillStatus(Piece&)> fill;  // makes the next piece in a free slot
  std::function<bool(Piece&)> take;        // takes a worked piece, in order; false stops the run
  // Before each fill: true makes the runner first take every piece made so far (a slow input should
  // not hold back results already worked).
  std::function<bool()> drainFirst = [] { return false; };
  // While waiting for a worker, at least every kPollInterval: false interrupts the run (Ctrl-C).
  std::function<bool()> keepGoing = [] { return true; };
};

// Whether this build can start threads at all: a WebAssembly build without them works every piece on
// the calling thread.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool kThreadsAvailable = false;
#else
inline constexpr bool kThreadsAvailable = true;
#endif

// Worker threads when none are asked for: every processor this process may run on, which a
// container or taskset may limit below the machine's.
inline unsigned defaultThreadCount() {
  if constexpr (!kThreadsAvailable) return 1;
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
    return static_cast<unsigned>(std::max(1, CPU_COUNT(&allowed)));
  return std::max(1U, std::thread::hardware_concurrency());
}

template <typename Piece>
class OrderedRunner {
 public:
  static constexpr unsigned kMaxWorkers = 64;     // more workers than this only cost memory
  static constexpr unsigned kSlotsPerWorker = 2;  // one being worked, one made ahead
  static constexpr std::chrono::milliseconds kPollInterval{100};

  // work(piece) runs on a worker. workers <= 1 works every piece on the calling thread; more start
  // that many (at most kMaxWorkers), and when no thread can be started the calling thread works
  // alone. An exception from work stops the run and is thrown again by run.
  OrderedRunner(unsigned workers, std::function<void(Piece&)> work) : work_(std::move(work)) {
    workers = std::min(workers, kMaxWorkers);
    if (workers <= 1 || !kThreadsAvailable) return;
    slots_.resize(workers * kSlotsPerWorker);
    threads_.reserve(workers);
    try {
      for (unsigned k = 0; k < workers; ++k) threads_.emplace_back([this] { serve(); });
    } catch (const std::system_error&) {
      // The workers that did start serve the run; with none the calling thread works alone.
    }
    if (threads_.empty()) slots_.clear();
  }

  // Pieces still queued (after an exception from fill or take) are skipped, not worked.
  ~OrderedRunner() {
    {
      const std::lock_guard lock(mutex_);
      closing_ = true;
      stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

  OrderedRunner(const OrderedRunner&) = delete;
  OrderedRunner& operator=(const OrderedRunner&) = delete;

  // An exception from fill or take, or from a piece's work, ends the run (the pieces still queued
  // are let finish, unworked) and reaches the caller.
  RunEnd run(const RunnerCalls<Piece>& calls) {
    if (threads_.empty()) return runHere(calls);
    std::size_t nextFill = 0;  // sequence number of the next piece to make
    std::size_t nextTake = 0;  // sequence number of the next piece to take
    try {
      return runPool(calls, nextFill, nextTake);
    } catch (...) {
      finish(nextTake, nextFill, RunEnd::kStopped);
      throw;
    }
  }

 private:
  RunEnd runPool(const RunnerCalls<Piece>& calls, std::size_t& nextFill, std::size_t& nextTake) {
    bool ended = false;
    for (;;) {
      // Take every worked piece at the head of the ring, in order.
      while (nextTake < nextFill && state(nextTake) == State::kDone) {
        rethrowFailure();
        const bool going = calls.take(slotOf(nextTake).piece);
        setState(slotOf(nextTake), State::kFree);
        ++nextTake;
        if (!going) return finish(nextTake, nextFill, RunEnd::kStopped);
      }
      if (ended && nextTake == nextFill) return RunEnd::kCompleted;
      const bool room = nextFill - nextTake < slots_.size();
      if (!ended && room && !(nextTake < nextFill && calls.drainFirst())) {
        Slot& slot = slotOf(nextFill);  // free: every piece before it in this slot was taken
        if (calls.fill(slot.piece) == FillStatus::kPiece) {
          queue(nextFill);
          ++nextFill;
        } else {
          ended = true;
        }
        continue;
      }
      if (!waitForDone(nextTake, calls)) return finish(nextTake, nextFill, RunEnd::kInterrupted);
    }
  }

  enum class State { kFree, kQueued, kDone };

  struct Slot {
    Piece piece{};
    State state = State::kFree;
  };

  // Without workers, keepGoing is asked between pieces, at most every kPollInterval.
  RunEnd runHere(const RunnerCalls<Piece>& calls) {
    Piece piece{};
    auto nextPoll = std::chrono::steady_clock::now() + kPollInterval;
    while (calls.fill(piece) == FillStatus::kPiece) {
      work_(piece);
      if (!calls.take(piece)) return RunEnd::kStopped;
      if (std::chrono::steady_clock::now() >= nextPoll) {
        if (!calls.keepGoing()) return RunEnd::kInterrupted;
        nextPoll = std::chrono::steady_clock::now() + kPollInterval;
      }
    }
    return RunEnd::kCompleted;
  }

  Slot& slotOf(std::size_t sequence) { return slots_[sequence % slots_.size()]; }

  State state(std::size_t sequence) {
    const std::lock_guard lock(mutex_);
    return slotOf(sequence).state;
  }

  void setState(Slot& slot, State state) {
    const std::lock_guard lock(mutex_);
    slot.state = state;
  }

  void queue(std::size_t sequence) {
    {
      const std::lock_guard lock(mutex_);
      slotOf(sequence).state = State::kQueued;
      pending_.push_back(sequence);
    }
    queued_.notify_one();
  }

  // False when keepGoing said stop.
  bool waitForDone(std::size_t sequence, const RunnerCalls<Piece>& calls) {
    std::unique_lock lock(mutex_);
    while (!done_.wait_for(lock, kPollInterval, [&] { return slotOf(sequence).state == State::kDone; })) {
      lock.unlock();
      if (!calls.keepGoing()) return false;
      lock.lock();
    }
    return true;
  }

  // A failed piece ends the run: its exception goes to run's caller (run lets the pieces still
  // queued finish, unworked).
  void rethrowFailure() {
    std::exception_ptr failure;
    {
      const std::lock_guard lock(mutex_);
      failure = failure_;
    }
    if (failure) std::rethrow_exception(failure);
  }

  // No worker touches a slot once the run has returned: the pieces still queued are let finish
  // (unworked once stopping), and the ring is left free for another run.
  RunEnd finish(std::size_t nextTake, std::size_t nextFill, RunEnd end) {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    for (std::size_t sequence = nextTake; sequence < nextFill; ++sequence) {
      std::unique_lock lock(mutex_);
      done_.wait(lock, [&] { return slotOf(sequence).state == State::kDone; });
    }
    const std::lock_guard lock(mutex_);
    for (Slot& slot : slots_) slot.state = State::kFree;
    stopping_ = false;
    failure_ = nullptr;
    return end;
  }

  void serve() {
    for (;;) {
      std::size_t sequence = 0;
      bool skip = false;
      {
        std::unique_lock lock(mutex_);
        queued_.wait(lock, [&] { return closing_ || !pending_.empty(); });
        if (pending_.empty()) return;
        sequence = pending_.front();
        pending_.pop_front();
        skip = stopping_ || failure_ != nullptr;
      }
      Slot& slot = slotOf(sequence);
      std::exception_ptr failure;
      if (!skip) {
        try {
          work_(slot.piece);
        } catch (...) {
          failure = std::current_exception();
        }
      }
      {
        const std::lock_guard lock(mutex_);
        if (failure && !failure_) failure_ = failure;
        slot.state = State::kDone;
      }
      done_.notify_all();
    }
  }

  std::function<void(Piece&)> work_;
  std::vector<Slot> slots_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable queued_;  // a piece was queued, or the runner is closing
  std::condition_variable done_;    // a piece was worked
  std::deque<std::size_t> pending_;
  bool stopping_ = false;
  bool closing_ = false;
  std::exception_ptr failure_;
};

}  // namespace velmora
