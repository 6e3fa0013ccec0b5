// The gate between the Java program and the threads that call into it
// beside main: nobody is lost for arriving early, everybody gets in in
// arrival order, nobody gets in once the program shuts down, and the
// teardown outwaits every thread but one the JVM has frozen inside Java.

#include "jvm/JvmGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

JavaVM* const someVm = reinterpret_cast<JavaVM*>(0x1000);

// Polls for a condition another thread brings about; false after 10 s.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 10000; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// A thread started at the gate that runs `body` and then leaves, as the
// forwarding and stop threads do.
struct User : GateUser {
    JvmGate* gate = nullptr;
    std::function<void(User&)> body;
    std::atomic<bool> done{false};
};

unsigned runUser(void* parameter)
{
    User& user = *static_cast<User*>(static_cast<GateUser*>(parameter));
    user.body(user);
    user.done = true;
    user.gate->leave();
    return 0;
}

// The users of one test, kept until it ends.
class Users {
public:
    explicit Users(JvmGate& gate) : gate_(gate) {}
    ~Users() { EXPECT_TRUE(eventually([&] { return allDone(); })); }

    User& start(std::function<void(User&)> body)
    {
        auto user = std::make_unique<User>();
        user->gate = &gate_;
        user->body = std::move(body);
        EXPECT_TRUE(gate_.startUser(runUser, user.get()));
        all_.push_back(std::move(user));
        return *all_.back();
    }
    bool allDone() const
    {
        for (const auto& user : all_) {
            if (!user->done) {
                return false;
            }
        }
        return true;
    }

private:
    JvmGate& gate_;
    std::vector<std::unique_ptr<User>> all_;
};

struct Arrivals {
    std::mutex lock;
    std::vector<std::uint64_t> order;
    std::atomic<int> gotVm{0};
    std::atomic<int> atGate{0}; // users about to wait for their turn

    // The body of an ordinary user: in when its turn comes, out at once.
    std::function<void(User&)> visit()
    {
        return [this](User& user) {
            ++atGate;
            if (JavaVM* vm = user.gate->awaitTurn(user.ticket)) {
                {
                    std::lock_guard<std::mutex> held(lock);
                    order.push_back(user.ticket);
                }
                gotVm += vm == someVm ? 1 : 0;
                user.gate->passTurn();
                user.gate->leftJava();
            }
        };
    }
    std::vector<std::uint64_t> seen()
    {
        std::lock_guard<std::mutex> held(lock);
        return order;
    }
};

TEST(JvmGate, EarlyUsersWaitForTheProgramAndGetInInArrivalOrder)
{
    JvmGate gate;
    Arrivals arrivals;
    {
        Users users(gate);
        for (int i = 0; i < 6; ++i) {
            users.start(arrivals.visit());
        }
        // Every user at the gate, then a while for one to slip through.
        EXPECT_TRUE(eventually([&] { return arrivals.atGate.load() == 6; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(arrivals.seen().empty()) << "nobody may call into Java before main starts";
        gate.open(someVm);
    }
    EXPECT_EQ(arrivals.seen(), (std::vector<std::uint64_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(arrivals.gotVm, 6);
    gate.close();
    gate.drain();
}

TEST(JvmGate, NoProgramWakesEveryWaiterWithNothingAndStartsNoThread)
{
    JvmGate gate;
    Arrivals arrivals;
    {
        Users users(gate);
        for (int i = 0; i < 4; ++i) {
            users.start(arrivals.visit());
        }
        gate.close(); // creation failed, or the main class was missing
        gate.drain();
        EXPECT_TRUE(users.allDone()) << "the teardown returned before everyone had left";
    }
    EXPECT_TRUE(arrivals.seen().empty());
    // Closed is final: the program cannot start after all, and the teardown,
    // which has begun, would not wait for a thread started now.
    gate.open(someVm);
    User late;
    EXPECT_FALSE(gate.startUser(runUser, &late));
}

TEST(JvmGate, OnceTheProgramShutsDownNobodyGetsInAndNoThreadStarts)
{
    JvmGate gate;
    gate.open(someVm);
    Arrivals arrivals;
    std::atomic<bool> inside{false};
    std::atomic<bool> foundHooksRunning{false};
    {
        Users users(gate);
        // In Java with its turn, when it finds the shutdown hooks running.
        users.start([&](User& user) {
            ASSERT_EQ(user.gate->awaitTurn(user.ticket), someVm);
            inside = true;
            ASSERT_TRUE(eventually([&] { return foundHooksRunning.load(); }));
            user.gate->markEnding();
            user.gate->passTurn();
            user.gate->leftJava();
        });
        ASSERT_TRUE(eventually([&] { return inside.load(); }));
        User& behind = users.start(arrivals.visit()); // waits for that turn
        foundHooksRunning = true;
        ASSERT_TRUE(eventually([&] { return behind.done.load(); })) << "a waiter must not wait for nobody";
    }
    EXPECT_TRUE(arrivals.seen().empty());
    User late;
    EXPECT_FALSE(gate.startUser(runUser, &late));
    gate.close();
    gate.drain();
}

TEST(JvmGate, TeardownOutwaitsEveryoneButAUserFrozenInsideJava)
{
    JvmGate gate;
    gate.open(someVm);
    std::atomic<bool> release{false};
    std::atomic<bool> thaw{false};
    std::atomic<bool> frozenInside{false};
    std::atomic<bool> leavingOut{false};
    Users users(gate);
    // Out of Java, but still on its way out of the gate.
    users.start([&](User& user) {
        ASSERT_EQ(user.gate->awaitTurn(user.ticket), someVm);
        user.gate->passTurn();
        user.gate->leftJava();
        leavingOut = true;
        ASSERT_TRUE(eventually([&] { return release.load(); }));
    });
    ASSERT_TRUE(eventually([&] { return leavingOut.load(); }));
    // Inside Java when the JVM is destroyed, its turn not yet passed:
    // frozen for good (it never comes back while the teardown runs).
    User& frozen = users.start([&](User& user) {
        ASSERT_EQ(user.gate->awaitTurn(user.ticket), someVm);
        frozenInside = true;
        ASSERT_TRUE(eventually([&] { return thaw.load(); }));
        user.gate->passTurn();
        user.gate->leftJava();
    });
    ASSERT_TRUE(eventually([&] { return frozenInside.load(); }));
    // Waiting at the gate, behind the frozen one, when it closes: woken with
    // nothing.
    Arrivals arrivals;
    users.start(arrivals.visit());

    ASSERT_TRUE(eventually([&] { return arrivals.atGate.load() == 1; }));

    std::atomic<bool> drained{false};
    std::atomic<bool> tearingDown{false};
    std::thread teardown([&] {
        tearingDown = true;
        gate.close();
        gate.drain();
        drained = true;
    });
    // The teardown under way, then a while for it to finish too early.
    EXPECT_TRUE(eventually([&] { return tearingDown.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(drained) << "teardown must wait for the threads outside Java";
    release = true; // the leaving one goes; the frozen one stays inside
    ASSERT_TRUE(eventually([&] { return drained.load(); })) << "teardown waits for the frozen user";
    EXPECT_FALSE(frozen.done);
    teardown.join();
    EXPECT_TRUE(arrivals.seen().empty());
    thaw = true; // only so that this test's threads end
}

} // namespace
