// The thread pool behind the graph builders: every source worked out once
// and created in order, a failing thread leaving the rest to the builder,
// and the thread count following the setting, the environment and the
// drawing's size.
#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <cstdlib>
#include <new>
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

// Every source is created once, in order, after it was worked out when it
// is marked done; a failing thread leaves the rest to the builder, and a
// failure of the builder itself comes out once the threads are joined.
TEST_F(Sources, EverySourceCreatedInOrderAfterItsPass)
{
    struct Cas {
        int fils, echec, echec_cree;
    };
    for (const Cas c : {Cas{2, -1, -1}, Cas{3, -1, -1}, Cas{4, -1, -1}, Cas{3, 0, -1}, Cas{2, 517, -1},
                        Cas{4, 999, -1}, Cas{2, -1, 300}, Cas{4, 40, 700}}) {
        std::vector<std::atomic<int>> fois(1000);
        std::vector<int> fil_de(1000, -1);
        std::vector<int> ordre;
        int faits = 0;
        bool leve = false;
        try {
            Pour_chaque_source(
                1000, c.fils,
                [&](int i, int fil) {
                    if (i == c.echec) throw std::bad_alloc();
                    fois[static_cast<size_t>(i)]++;
                    fil_de[static_cast<size_t>(i)] = fil;
                },
                [&](int i, bool fait) {
                    if (i == c.echec_cree) throw std::bad_alloc();
                    ordre.push_back(i);
                    const size_t k = static_cast<size_t>(i);
                    // Done means worked out exactly once, before its creation;
                    // not done means left whole to the builder.
                    EXPECT_EQ(fois[k].load(), fait ? 1 : 0) << "source " << i << ", failure at " << c.echec;
                    if (!fait) return;
                    EXPECT_TRUE(fil_de[k] >= 0 && fil_de[k] < c.fils) << fil_de[k];
                    faits++;
                });
        } catch (const std::bad_alloc&) {
            leve = true;
        }
        EXPECT_EQ(leve, c.echec_cree >= 0);
        const int crees = c.echec_cree >= 0 ? c.echec_cree : 1000;
        ASSERT_EQ(static_cast<int>(ordre.size()), crees);
        for (int i = 0; i < crees; i++) ASSERT_EQ(ordre[static_cast<size_t>(i)], i);
        if (c.echec < 0 && c.echec_cree < 0) {
            EXPECT_EQ(faits, 1000);
        }
        if (c.echec >= 0) {
            EXPECT_LT(faits, 1000);
        }
        for (int f = 0; f < 1000; f++) EXPECT_LE(fois[static_cast<size_t>(f)].load(), 1);
    }
}

TEST_F(Sources, ThreadCountFollowsSettingEnvironmentAndSize)
{
    cpu_set_t ensemble;
    ASSERT_EQ(sched_getaffinity(0, sizeof ensemble, &ensemble), 0);
    const int processeurs = CPU_COUNT(&ensemble);
    auto attendu = [&](int plafond) { return processeurs < plafond ? processeurs : plafond; };
    EXPECT_EQ(Nombre_fils(100), 1);        // a small drawing: one thread
    EXPECT_EQ(Nombre_fils(999), 1);
    EXPECT_EQ(Nombre_fils(1000), attendu(4));
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
