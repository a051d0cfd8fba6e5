// The main of every test executable: GoogleTest plus a watchdog that ends the process when one
// test runs too long, so that a stray modal window fails the run instead of hanging it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <mutex>
#include <thread>

namespace {

class Watchdog : public testing::EmptyTestEventListener {
public:
    explicit Watchdog(std::chrono::seconds limit) : m_limit(limit), m_thread([this] { Run(); }) {}
    ~Watchdog() override {
        m_stop = true;
        m_thread.join();
    }

    void OnTestStart(const testing::TestInfo& info) override {
        {
            std::lock_guard<std::mutex> lock(m_nameLock);
            m_name = std::string(info.test_suite_name()) + "." + info.name();
        }
        m_deadline = Now() + m_limit.count() * 1000;
    }
    void OnTestEnd(const testing::TestInfo&) override { m_deadline = 0; }

private:
    static long long Now() { return static_cast<long long>(::GetTickCount64()); }

    void Run() {
        while (!m_stop) {
            const long long deadline = m_deadline;
            if (deadline != 0 && Now() > deadline) {
                std::lock_guard<std::mutex> lock(m_nameLock);
                std::fprintf(stderr, "\n[  TIMEOUT ] %s ran longer than %lld s\n", m_name.c_str(),
                             static_cast<long long>(m_limit.count()));
                std::fflush(stderr);
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

    std::chrono::seconds m_limit;
    std::atomic<long long> m_deadline{0};
    std::atomic<bool> m_stop{false};
    std::mutex m_nameLock;
    std::string m_name;
    std::thread m_thread;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const char* limitText = std::getenv("QUILLET_TEST_TIMEOUT");
    const int limit = limitText != nullptr ? std::atoi(limitText) : 60;
    // Owned by GoogleTest's listener list once appended.
    testing::UnitTest::GetInstance()->listeners().Append(new Watchdog(std::chrono::seconds(limit > 0 ? limit : 60)));
    return RUN_ALL_TESTS();
}
