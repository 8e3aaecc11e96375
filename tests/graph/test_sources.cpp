// The thread pool behind the graph builders: every source worked out once,
// a failing thread leaving the rest to the builder, and the thread count
// following the setting, the environment and the drawing's size.
#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <set>
#include <vector>

#include "graph/sources.h"

namespace {

class Sources : public testing::Test {
protected:
    void TearDown() override
    {
        Graphe_fils = 0;
        unsetenv("TRACEMORPH_THREADS");
    }
};

}  // namespace

TEST_F(Sources, EverySourceOnceAndAFailureLeavesTheRestUndone)
{
    for (const int echec : {-1, 0, 517, 999}) {
        std::vector<std::atomic<int>> fois(1000);
        std::vector<int> fil_de(1000, -1);
        std::vector<char> fait;
        Pour_chaque_source(1000, 3, fait, [&](int i, int fil) {
            if (i == echec) throw std::bad_alloc();
            fois[static_cast<size_t>(i)]++;
            fil_de[static_cast<size_t>(i)] = fil;
        });
        ASSERT_EQ(fait.size(), 1000u);
        int faits = 0;
        std::set<int> fils;
        for (int i = 0; i < 1000; i++) {
            const size_t k = static_cast<size_t>(i);
            // A source marked done was worked out exactly once; one not
            // marked is left whole to the builder.
            EXPECT_EQ(fois[k].load() == 1, fait[k] == 1) << "source " << i << ", failure at " << echec;
            EXPECT_LE(fois[k].load(), 1);
            if (fait[k]) {
                fils.insert(fil_de[k]);
                faits++;
            }
        }
        if (echec < 0) EXPECT_EQ(faits, 1000);
        else EXPECT_EQ(fait[static_cast<size_t>(echec)], 0);
        for (int f : fils) EXPECT_TRUE(f >= 0 && f < 3) << f;
    }
}

TEST_F(Sources, ThreadCountFollowsSettingEnvironmentAndSize)
{
    cpu_set_t ensemble;
    ASSERT_EQ(sched_getaffinity(0, sizeof ensemble, &ensemble), 0);
    const int processeurs = CPU_COUNT(&ensemble);
    auto attendu = [&](int plafond) { return processeurs < plafond ? processeurs : plafond; };
    EXPECT_EQ(Nombre_fils(100), 1);        // an A4 page or smaller: one thread
    EXPECT_EQ(Nombre_fils(5999), 1);
    EXPECT_EQ(Nombre_fils(6000), attendu(4));
    for (const char* mauvais : {"", "abc", "0", "-2", "3x"}) {
        setenv("TRACEMORPH_THREADS", mauvais, 1);
        EXPECT_EQ(Nombre_fils(20000), attendu(4)) << '"' << mauvais << '"';
    }
    setenv("TRACEMORPH_THREADS", "1", 1);
    EXPECT_EQ(Nombre_fils(20000), 1);
    setenv("TRACEMORPH_THREADS", "2", 1);
    EXPECT_EQ(Nombre_fils(20000), attendu(2));
    EXPECT_EQ(Nombre_fils(100), 1);
    Graphe_fils = 5;  // forced, whatever the size and the environment
    EXPECT_EQ(Nombre_fils(10), 5);
    Graphe_fils = 1;
    setenv("TRACEMORPH_THREADS", "4", 1);
    EXPECT_EQ(Nombre_fils(20000), 1);
}
