#include "core/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace varnel {

namespace {

// The objective at N = 10000 takes some tens of microseconds and the minimiser asks for the next
// one at once, so a thread spins this long for new work (or for its helpers) before it sleeps.
constexpr auto kSpinTime = std::chrono::microseconds(100);
constexpr unsigned kMaxThreads = 8;

// True on a thread while it runs a part: a run started from inside a part runs on that thread.
thread_local bool runningPart = false;

void Relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Waits until value differs from old: spins for kSpinTime, then sleeps on the atomic.
template <typename T>
T WaitForChange(const std::atomic<T>& value, T old) {
    const auto spinUntil = std::chrono::steady_clock::now() + kSpinTime;
    for (;;) {
        const T now = value.load(std::memory_order_acquire);
        if (now != old) return now;
        if (std::chrono::steady_clock::now() < spinUntil) {
            Relax();
        } else {
            value.wait(old, std::memory_order_acquire);
        }
    }
}

// The exception of the lowest-numbered part of a run that threw, kept for the caller: the parts
// are claimed in order, so every part below it has run, whatever the timing.
class FirstFailure {
public:
    void Record(int part, std::exception_ptr error) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!error_ || part < part_) {
            error_ = std::move(error);
            part_ = part;
        }
    }
    void RethrowAndClear() {
        std::exception_ptr error;
        std::swap(error, error_);
        if (error) std::rethrow_exception(error);
    }

private:
    std::mutex mutex_;
    std::exception_ptr error_;
    int part_ = 0;
};

// Marks the thread as running a part for the life of the guard, however the part ends.
class RunningPartGuard {
public:
    RunningPartGuard() : outer_(runningPart) { runningPart = true; }
    ~RunningPartGuard() { runningPart = outer_; }
    RunningPartGuard(const RunningPartGuard&) = delete;
    RunningPartGuard& operator=(const RunningPartGuard&) = delete;

private:
    bool outer_;
};

// A fixed set of workers and the caller claim the parts of a run one by one from one atomic word,
// (run number << 32) | (parts << 16) | next part, so a worker that is late or descheduled
// leaves its share to the others, and a worker still busy with an old run cannot claim a part
// of a new one.
class WorkerPool {
public:
    WorkerPool() {
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
        for (unsigned i = 1; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    }
    ~WorkerPool() {
        stop_.store(true, std::memory_order_relaxed);
        word_.fetch_add(std::uint64_t{1} << 32, std::memory_order_release);
        word_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Width() const { return int(workers_.size()) + 1; }

    void Run(int parts, const std::function<void(int)>& task) {
        // A run inside a part, or while another thread's run holds the pool, goes one part
        // after another on the calling thread.
        std::unique_lock<std::mutex> owner(runMutex_, std::defer_lock);
        if (workers_.empty() || parts <= 1 || parts > kMaxParts || runningPart ||
            !owner.try_lock()) {
            for (int part = 0; part < parts; ++part) {
                const RunningPartGuard guard;
                task(part);
            }
            return;
        }
        task_ = &task;
        done_.store(0, std::memory_order_relaxed);
        const std::uint64_t run = (word_.load(std::memory_order_relaxed) >> 32) + 1;
        word_.store(run << 32 | std::uint64_t(parts) << 16, std::memory_order_release);
        word_.notify_all();
        ClaimParts(run);
        for (int done; (done = done_.load(std::memory_order_acquire)) != parts;) {
            WaitForChange(done_, done);
        }
        failure_.RethrowAndClear();
    }

private:
    static constexpr int kMaxParts = 0xFFFF;

    // Runs parts of the given run until none is left to claim.
    void ClaimParts(std::uint64_t run) {
        std::uint64_t word = word_.load(std::memory_order_acquire);
        for (;;) {
            const int parts = int(word >> 16 & 0xFFFF), next = int(word & 0xFFFF);
            if (word >> 32 != run || next >= parts) return;
            if (!word_.compare_exchange_weak(word, word + 1, std::memory_order_acq_rel)) continue;
            const int finished = RunPart(next) ? 1 : 1 + SkipRest(run);
            if (done_.fetch_add(finished, std::memory_order_acq_rel) + finished == parts) {
                done_.notify_one();
            }
            word = word_.load(std::memory_order_acquire);
        }
    }

    // Runs one part; false when it threw, its exception kept for the caller. An exception
    // escaping a worker's thread would end the process.
    bool RunPart(int part) {
        const RunningPartGuard guard;
        try {
            (*task_)(part);
            return true;
        } catch (...) {
            failure_.Record(part, std::current_exception());
            return false;
        }
    }

    // Claims every part of the run not yet started, so that none starts after a failure;
    // returns how many.
    int SkipRest(std::uint64_t run) {
        std::uint64_t word = word_.load(std::memory_order_acquire);
        for (;;) {
            const int parts = int(word >> 16 & 0xFFFF), next = int(word & 0xFFFF);
            if (word >> 32 != run || next >= parts) return 0;
            const std::uint64_t all = word - std::uint64_t(next) + std::uint64_t(parts);
            if (word_.compare_exchange_weak(word, all, std::memory_order_acq_rel)) {
                return parts - next;
            }
        }
    }

    void Work() {
        std::uint64_t seenRun = 0;
        for (;;) {
            std::uint64_t word = word_.load(std::memory_order_acquire);
            while (word >> 32 == seenRun) word = WaitForChange(word_, word);
            seenRun = word >> 32;
            if (stop_.load(std::memory_order_relaxed)) return;
            ClaimParts(seenRun);
        }
    }

    std::vector<std::thread> workers_;
    std::atomic<std::uint64_t> word_{0};
    std::atomic<int> done_{0};
    std::atomic<bool> stop_{false};
    std::mutex runMutex_;
    const std::function<void(int)>* task_ = nullptr;
    FirstFailure failure_;
};

WorkerPool& Pool() {
    static WorkerPool pool;
    return pool;
}

}  // namespace

void RunInParallel(int parts, const std::function<void(int part)>& task) {
    Pool().Run(parts, task);
}

int ParallelWidth() { return Pool().Width(); }

void RunRangesInParallel(int count, int grain,
                         const std::function<void(int begin, int end)>& task) {
    if (count <= grain) {
        if (count > 0) task(0, count);
        return;
    }
    RunInParallel((count + grain - 1) / grain, [&](int part) {
        const int begin = part * grain;
        task(begin, std::min(count, begin + grain));
    });
}

}  // namespace varnel
