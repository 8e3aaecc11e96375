#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "image/fils.h"
#include "output/contenus.h"
#include "output/resultats.h"
#include "port/shell.h"

void Numerote_noeuds(Vecteur* v, Quad* q)
{
    int n = 0;
    for (; v; v = v->suivant)
        if (v->length != 0) v->numero = n++;
    for (; q; q = q->suivant)
        if (q->length != 0) q->numero = n++;
}

namespace {

// The types both files write, rewritten in the arcs beforehand (those with
// both ends, which the text file writes), so that the writers only read.
void Normalise_types(ArcQQ* aqq, ArcVV* avv, ArcQV* aqv)
{
    for (; aqq; aqq = aqq->suivant)
        if (aqq->Q1 && aqq->Q2) Normalise_type(aqq->type);
    for (; avv; avv = avv->suivant)
        if (avv->V1 && avv->V2) Normalise_type(avv->type);
    for (; aqv; aqv = aqv->suivant)
        if (aqv->Q1 && aqv->V2) Normalise_type(aqv->type);
}

}  // namespace

Resultats_ecrits Ecrit_resultats_et_graphe(const std::string& texte, const std::string& graphe, Vecteur* v, Quad* q,
                                           CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv, int format)
{
    Resultats_ecrits r;
    // On one thread the files are written one after the other, as always.
    if (Fils_permis() < 2) {
        r.texte = Ecrit_resultats_texte(texte, v, q, cc, aqq, avv, aqv);
        r.graphe = Ecrit_graphe_gxl(graphe, v, q, cc, aqq, avv, aqv, format);
        return r;
    }
    // So they are when the text file cannot be created (its message comes
    // first), and when the graph file cannot: its second attempt, in its
    // place after the text file, gives the message there.
    std::FILE* ft = Ouvre_resultat(texte);
    std::FILE* fg = ft ? Ouvre_temporaire(graphe) : nullptr;
    if (!fg) {
        if (ft) {
            Sortie_resultat s(ft);
            Contenu_resultats_texte(s, v, q, cc, aqq, avv, aqv, true);
            r.texte = s.Termine(texte);
        }
        r.graphe = Ecrit_graphe_gxl(graphe, v, q, cc, aqq, avv, aqv, format);
        return r;
    }
    // Numbered beforehand, and the arcs' types rewritten while the graph
    // file's nodes are written: the two writers then only read the records.
    Numerote_noeuds(v, q);
    std::atomic<bool> arcs_prets{false};
    bool graphe_ok = false;
    std::exception_ptr echec;
    std::thread aide;
    try {
        aide = Fil_aide([&] {
            try {
                Sortie_resultat s(fg);
                Contenu_graphe_gxl(s, v, q, cc, aqq, avv, aqv, format, false, &arcs_prets);
                graphe_ok = s.Ferme();
            } catch (...) {
                echec = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the graph file after the text file, here.
        Sortie_resultat s(ft);
        Contenu_resultats_texte(s, v, q, cc, aqq, avv, aqv, false);
        r.texte = s.Termine(texte);
        Sortie_resultat g(fg);
        Contenu_graphe_gxl(g, v, q, cc, aqq, avv, aqv, format, false);
        r.graphe = g.Termine(graphe);
        return r;
    }
    Normalise_types(aqq, avv, aqv);
    arcs_prets = true;
    arcs_prets.notify_one();
    {
        Sortie_resultat s(ft);
        try {
            Contenu_resultats_texte(s, v, q, cc, aqq, avv, aqv, false);
        } catch (...) {
            aide.join();
            throw;
        }
        r.texte = s.Termine(texte);
    }
    aide.join();
    if (echec) std::rethrow_exception(echec);
    if (!graphe_ok) Message_erreur("Ecriture " + graphe + " impossible !\n" + graphe + ": " + Cause_echec_resultat());
    r.graphe = graphe_ok;
    return r;
}
