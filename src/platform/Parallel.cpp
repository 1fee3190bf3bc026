#include "Parallel.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace polyvane::detail {

namespace {

// Threads that wait between jobs and take a job's parts one at a time, as many as any job asked for
// (up to kMaxThreads); a job of more parts has some of them run in turn.
class WaitingThreads {
  public:
    // Never destroyed: its threads wait on it until the process ends.
    static WaitingThreads& Instance() {
        static WaitingThreads* const threads = new WaitingThreads;
        return *threads;
    }

    bool Run(unsigned parts, PartFunction part, const void* work) {
        const std::unique_lock job(m_job, std::try_to_lock);
        if (!job.owns_lock() || !Grow(std::min(parts - 1, kMaxThreads)))
            return false;
        {
            const std::lock_guard lock(m_mutex);
            m_part = part;
            m_work = work;
            m_parts = parts;
            m_next.store(1, std::memory_order_relaxed);
            m_running = m_threads.size();
            ++m_generation;
        }
        m_wake.notify_all();
        try {
            part(work, 0);
            TakeParts();
        } catch (...) {
            WaitForAll();
            throw;
        }
        WaitForAll();
        return true;
    }

  private:
    static constexpr unsigned kMaxThreads = 16;

    // At least `count` threads waiting; false when not even one can be had.
    bool Grow(unsigned count) {
        while (m_threads.size() < count) {
            try {
                std::uint64_t generation = 0;
                {
                    const std::lock_guard lock(m_mutex);
                    generation = m_generation;
                }
                m_threads.emplace_back([this, generation] { Wait(generation); });
            } catch (const std::system_error&) {
                break;
            }
        }
        return !m_threads.empty();
    }

    void TakeParts() {
        for (unsigned p = m_next.fetch_add(1, std::memory_order_relaxed); p < m_parts;
             p = m_next.fetch_add(1, std::memory_order_relaxed))
            m_part(m_work, p);
    }

    void WaitForAll() {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_running == 0; });
    }

    // A waiting thread's life: each new job's parts as long as any are left.
    [[noreturn]] void Wait(std::uint64_t seen) {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return m_generation != seen; });
                seen = m_generation;
            }
            TakeParts();
            const std::lock_guard lock(m_mutex);
            if (--m_running == 0)
                m_done.notify_one();
        }
    }

    std::mutex m_job; // held by the job running
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::uint64_t m_generation = 0;
    std::size_t m_running = 0; // threads not yet through the job's parts
    PartFunction m_part = nullptr;
    const void* m_work = nullptr;
    unsigned m_parts = 0;
    std::atomic<unsigned> m_next{0};
    std::vector<std::thread> m_threads; // never joined: they wait until the process ends
};

} // namespace

bool RunOnWaitingThreads(unsigned parts, PartFunction part, const void* work) {
    return WaitingThreads::Instance().Run(parts, part, work);
}

} // namespace polyvane::detail
