// A bounded queue of jobs run in order on one worker thread: the caller
// waits only while the queue is full. Once a job fails, the rest are skipped
// and no more are taken, so the caller learns of it at its next Push.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace Ryx_Capture
{
    template <typename Job>
    class Job_Queue
    {
    public:
        // run: does one job; false when it failed.
        Job_Queue(std::size_t limit, std::function<bool(Job&)> run) : m_limit(limit), m_run(std::move(run)) {}
        ~Job_Queue() { Stop(); }
        Job_Queue(const Job_Queue&) = delete;
        Job_Queue& operator=(const Job_Queue&) = delete;

        void Start()
        {
            m_worker = std::jthread([this](std::stop_token stop) { Work(stop); });
        }

        // False once a job has failed.
        bool Push(Job job)
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_space.wait(lock, [this] { return m_jobs.size() < m_limit || m_failed; });
            if (m_failed)
                return false;
            m_jobs.push_back(std::move(job));
            m_ready.notify_one();
            return true;
        }

        // Until every job pushed so far has run (or one has failed).
        void Wait_Until_Idle()
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_space.wait(lock, [this] { return (m_jobs.empty() && !m_busy) || m_failed; });
        }

        // Runs what is queued, then ends the worker.
        void Stop()
        {
            if (!m_worker.joinable())
                return;
            m_worker.request_stop();
            m_worker.join();
        }

    private:
        void Work(std::stop_token stop)
        {
            for (;;)
            {
                Job job;
                bool skip = false;
                {
                    std::unique_lock<std::mutex> lock(m_mutex);
                    if (!m_ready.wait(lock, stop, [this] { return !m_jobs.empty(); }))
                        return;  // stopped with nothing left to do
                    job = std::move(m_jobs.front());
                    m_jobs.pop_front();
                    m_busy = true;
                    skip = m_failed;
                    m_space.notify_all();
                }
                const bool ok = skip || m_run(job);
                std::lock_guard<std::mutex> lock(m_mutex);
                m_busy = false;
                m_failed = m_failed || !ok;
                m_space.notify_all();
            }
        }

        const std::size_t m_limit;
        const std::function<bool(Job&)> m_run;
        std::mutex m_mutex;
        std::condition_variable_any m_ready;
        std::condition_variable m_space;
        std::deque<Job> m_jobs;
        bool m_busy = false;
        bool m_failed = false;
        std::jthread m_worker;  // last: it stops and joins before the rest goes
    };
}
