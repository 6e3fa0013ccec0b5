// The gate between the Java program and the threads that call into it
// beside main: nobody is lost for arriving early, everybody gets in in
// arrival order, and the teardown outwaits them all.

#include "jvm/JvmGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

JavaVM* const someVm = reinterpret_cast<JavaVM*>(0x1000);

struct Arrivals {
    std::mutex lock;
    std::vector<std::uint64_t> order;
    void record(std::uint64_t ticket)
    {
        std::lock_guard<std::mutex> held(lock);
        order.push_back(ticket);
    }
};

// A user as the forwarding and stop threads are: waits, takes its turn,
// passes it, leaves.
void user(JvmGate& gate, std::uint64_t ticket, Arrivals& arrivals, std::atomic<int>& gotVm)
{
    if (JavaVM* vm = gate.awaitTurn(ticket)) {
        arrivals.record(ticket);
        gotVm += vm == someVm ? 1 : 0;
        gate.passTurn();
    }
    gate.leave();
}

TEST(JvmGate, EarlyUsersWaitForTheProgramAndGetInInArrivalOrder)
{
    JvmGate gate;
    Arrivals arrivals;
    std::atomic<int> gotVm{0};
    std::vector<std::uint64_t> tickets;
    for (int i = 0; i < 6; ++i) {
        tickets.push_back(gate.admit());
    }
    // Started last-come first, so only the gate can restore the order.
    std::vector<std::thread> threads;
    for (auto t = tickets.rbegin(); t != tickets.rend(); ++t) {
        threads.emplace_back(user, std::ref(gate), *t, std::ref(arrivals), std::ref(gotVm));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    {
        std::lock_guard<std::mutex> held(arrivals.lock);
        EXPECT_TRUE(arrivals.order.empty()) << "nobody may call into Java before main starts";
    }
    gate.open(someVm);
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(arrivals.order, (std::vector<std::uint64_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(gotVm, 6);
    gate.close();
    gate.drain();
}

TEST(JvmGate, NoProgramWakesEveryWaiterWithNothing)
{
    JvmGate gate;
    Arrivals arrivals;
    std::atomic<int> gotVm{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back(user, std::ref(gate), gate.admit(), std::ref(arrivals), std::ref(gotVm));
    }
    gate.close(); // creation failed, or the main class was missing
    gate.drain();
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_TRUE(arrivals.order.empty());
    // Closed is final: the program cannot start after all.
    gate.open(someVm);
    EXPECT_EQ(gate.awaitTurn(gate.admit()), nullptr);
    gate.leave();
}

TEST(JvmGate, AWithdrawnTicketHoldsNobodyUp)
{
    JvmGate gate;
    gate.open(someVm);
    EXPECT_EQ(gate.admit(), 0u);
    EXPECT_EQ(gate.admit(), 1u);
    gate.withdraw(); // that thread never started
    const std::uint64_t next = gate.admit();
    EXPECT_EQ(next, 1u);

    Arrivals arrivals;
    std::atomic<int> gotVm{0};
    std::thread second(user, std::ref(gate), next, std::ref(arrivals), std::ref(gotVm));
    std::thread first(user, std::ref(gate), 0, std::ref(arrivals), std::ref(gotVm));
    first.join();
    second.join();
    EXPECT_EQ(arrivals.order, (std::vector<std::uint64_t>{0, 1}));
    gate.close();
    gate.drain();
}

TEST(JvmGate, TeardownOutwaitsAUserStillInJava)
{
    JvmGate gate;
    gate.open(someVm);
    const std::uint64_t ticket = gate.admit();
    std::atomic<bool> release{false};
    std::atomic<bool> inside{false};
    std::thread inJava([&] {
        if (gate.awaitTurn(ticket) != nullptr) {
            inside = true;
            gate.passTurn();
            while (!release) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        gate.leave();
    });
    while (!inside) { // the teardown comes while it is inside, not before it got in
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::atomic<bool> drained{false};
    std::thread teardown([&] {
        gate.close();
        gate.drain();
        drained = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(drained) << "teardown must wait for the thread inside";
    release = true;
    inJava.join();
    teardown.join();
    EXPECT_TRUE(drained);
}

} // namespace
