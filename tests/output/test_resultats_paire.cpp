// Both result files of an analysis written at once: the same bytes, the same
// numbering, the same flags and the same messages in the same order as the
// two writers one after the other, whichever file fails.
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "image/fils.h"
#include "output/resultats.h"
#include "tests/support/support.h"
#include "vecto/arcs.h"
#include "vecto/records.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

template <class T>
T* Ajoute(T*& liste, T*& queue)
{
    auto* r = new T;
    queue = Ajoute_en_queue(liste, queue, r);
    return r;
}

// Some 20,000 vectors and their arcs: the graph file passes the size from
// which its writeback starts on a helper thread.
void Dessin()
{
    std::mt19937 rng(11);
    Chemin_image = "/d/paire.bmp";
    std::vector<Vecteur*> vs;
    std::vector<Quad*> qs;
    Vecteur* qv = nullptr;
    Quad* qq = nullptr;
    CC* qc = nullptr;
    for (int k = 0; k < 20000; k++) {
        Vecteur* v = Ajoute(Liste_vecteurs, qv);
        v->xi = static_cast<int>(rng() % 10000), v->yi = static_cast<int>(rng() % 14000);
        v->xf = v->xi + 30, v->yf = v->yi - 7, v->angle = static_cast<int>(rng() % 180);
        v->length = k % 97 == 0 ? 0 : 1 + static_cast<int>(rng() % 900);  // some left out of the numbering
        vs.push_back(v);
    }
    for (int k = 0; k < 3000; k++) {
        Quad* q = Ajoute(Liste_quads, qq);
        q->x1i = k, q->y1i = k + 1, q->x2f = k + 9, q->angle1 = static_cast<int>(rng() % 180);
        q->angle2 = q->angle1, q->length = k % 50 == 0 ? 0 : 5 + k % 300, q->thickness1 = 3, q->thickness2 = 4;
        q->score = (k % 7) / 7.0;
        qs.push_back(q);
        Nb_quads++;
    }
    for (int k = 0; k < 500; k++) {
        CC* c = Ajoute(Liste_CC, qc);
        c->xi = k, c->yi = 2 * k, c->xf = k + 40, c->yf = 2 * k + 40;
    }
    ArcVV* avv = nullptr;
    ArcQQ* aqq = nullptr;
    ArcQV* aqv = nullptr;
    const char types[] = {'T', 't', 'L', 'l', 'P', 'X', '~'};
    for (int k = 0; k < 20000; k++) {
        ArcVV* a = Ajoute(Liste_arcs_VV, avv);
        a->V1 = vs[rng() % vs.size()], a->V2 = k % 101 == 0 ? nullptr : vs[rng() % vs.size()];
        a->type = types[k % 7], a->score = (k % 11) / 11.0;
        ArcQQ* b = Ajoute(Liste_arcs_QQ, aqq);
        b->Q1 = qs[rng() % qs.size()], b->Q2 = qs[rng() % qs.size()], b->type = types[k % 5];
        ArcQV* c = Ajoute(Liste_arcs_QV, aqv);
        c->Q1 = qs[rng() % qs.size()], c->V2 = vs[rng() % vs.size()], c->type = types[k % 3];
    }
}

struct Issue {
    bool texte, graphe;
    std::vector<std::string> messages;
    std::string octets_texte, octets_graphe;
    std::vector<int> numeros;
};

class ResultatsPaire : public tmtest::Environnement {
protected:
    Issue Ecrit(const std::string& texte, const std::string& graphe, int format, int fils)
    {
        for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) v->numero = -7;
        for (Quad* q = Liste_quads; q; q = q->suivant) q->numero = -7;
        fe.boites.clear();
        Fils_analyse = fils;
        const Resultats_ecrits r = Ecrit_resultats_et_graphe(texte, graphe, Liste_vecteurs, Liste_quads, Liste_CC,
                                                             Liste_arcs_QQ, Liste_arcs_VV, Liste_arcs_QV, format);
        Fils_analyse = 0;
        Issue i{r.texte, r.graphe, {}, {}, {}, {}};
        for (const auto& b : fe.boites) i.messages.push_back(b.titre + ": " + b.texte);
        if (r.texte && fs::is_regular_file(texte)) i.octets_texte = Lit_texte(texte);
        if (r.graphe && fs::is_regular_file(graphe)) i.octets_graphe = Lit_texte(graphe);
        for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) i.numeros.push_back(v->numero);
        for (Quad* q = Liste_quads; q; q = q->suivant) i.numeros.push_back(q->numero);
        return i;
    }
};

TEST_F(ResultatsPaire, TwoThreadsWriteWhatOneThreadWritesWhicheverFileFails)
{
    Dessin();
    const std::string bon_texte = (dir / "Rlignaxe.dat").string(), bon_graphe = (dir / "Rlignaxe.gxl").string();
    const std::string absent = (dir / "absent" / "R").string();
    const bool plein = fs::exists("/dev/full");
    struct Cas {
        std::string texte, graphe;
        int format;
        bool texte_ecrit, graphe_ecrit;
    };
    std::vector<Cas> cas = {
        {bon_texte, bon_graphe, 0, true, true},
        {bon_texte, bon_graphe, 1, true, true},
        {absent + ".dat", bon_graphe, 0, false, true},
        {bon_texte, absent + ".gxl", 0, true, false},
        {absent + ".dat", absent + ".gxl", 0, false, false},
    };
    if (plein) {
        cas.push_back({"/dev/full", bon_graphe, 0, false, true});
        cas.push_back({bon_texte, "/dev/full", 0, true, false});
        cas.push_back({"/dev/full", "/dev/full", 1, false, false});
    }
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.texte + " + " + c.graphe + ", format " + std::to_string(c.format));
        fs::remove(bon_texte);
        fs::remove(bon_graphe);
        const Issue un = Ecrit(c.texte, c.graphe, c.format, 1);
        fs::remove(bon_texte);
        fs::remove(bon_graphe);
        const Issue deux = Ecrit(c.texte, c.graphe, c.format, 2);
        EXPECT_EQ(un.texte, c.texte_ecrit);
        EXPECT_EQ(un.graphe, c.graphe_ecrit);
        EXPECT_EQ(deux.texte, un.texte);
        EXPECT_EQ(deux.graphe, un.graphe);
        EXPECT_EQ(deux.messages, un.messages);
        EXPECT_EQ(un.messages.size(), static_cast<size_t>(!c.texte_ecrit) + !c.graphe_ecrit);
        EXPECT_TRUE(deux.octets_texte == un.octets_texte);
        EXPECT_TRUE(deux.octets_graphe == un.octets_graphe);
        EXPECT_TRUE(deux.numeros == un.numeros);
        if (c.graphe_ecrit && c.format == 0) {
            EXPECT_GT(deux.octets_graphe.size(), size_t(4) << 20);
        }
    }
    // No temporary file is left beside the results.
    for (const auto& e : fs::directory_iterator(dir)) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

}  // namespace
