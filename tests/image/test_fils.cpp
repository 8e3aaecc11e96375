#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <thread>
#include <vector>

#include "image/fils.h"

namespace {

cpu_set_t Permis()
{
    cpu_set_t c;
    CPU_ZERO(&c);
    sched_getaffinity(0, sizeof c, &c);
    return c;
}

// A helper thread runs its work once, and then may run wherever its creator
// may: a helper left barred from its creator's processor would make a pool
// of more threads than processors share too few of them.
TEST(FilAide, RunsOnceAndIsAllowedBackEverywhere)
{
    const cpu_set_t avant = Permis();
    struct Cas {
        const char* nom;
        bool un_seul;  // the creator pinned to one processor: nowhere else to go
    };
    for (const Cas& c : {Cas{"every processor", false}, Cas{"one processor", true}}) {
        SCOPED_TRACE(c.nom);
        if (c.un_seul) {
            cpu_set_t un;
            CPU_ZERO(&un);
            CPU_SET(sched_getcpu(), &un);
            ASSERT_EQ(sched_setaffinity(0, sizeof un, &un), 0);
        }
        const cpu_set_t createur = Permis();
        std::atomic<int> appels{0};
        std::vector<cpu_set_t> vus(4);
        std::vector<std::thread> fils;
        for (int i = 0; i < 3; i++)
            fils.push_back(Fil_aide([&, i] {
                appels++;
                sched_getaffinity(0, sizeof vus[i], &vus[i]);
            }));
        {
            std::jthread j = Fil_aide<std::jthread>([&] {
                appels++;
                sched_getaffinity(0, sizeof vus[3], &vus[3]);
            });
        }
        for (std::thread& t : fils) t.join();
        EXPECT_EQ(appels.load(), 4);
        for (const cpu_set_t& v : vus) EXPECT_TRUE(CPU_EQUAL(&v, &createur));
        ASSERT_EQ(sched_setaffinity(0, sizeof avant, &avant), 0);
    }
}

}  // namespace
