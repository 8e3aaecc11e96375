#include "batch/resultats_lot.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <pugixml.hpp>

#include "port/shell.h"
#include "output/ecriture.h"

std::string Nom_image_lot(std::string_view chemin)
{
    std::string nom = Nom_fichier(chemin);
    const auto point = nom.find_last_of('.');
    if (point != std::string::npos && point > 0) nom.resize(point);
    return nom;
}

std::string Participant_lot()
{
    const char* p = std::getenv("TRACEMORPH_PARTICIPANT");
    return p ? p : "anonymous";
}

std::FILE* Ouvre_resultats_lot(const std::string& chemin)
{
    std::FILE* f = Ouvre_temporaire(chemin);  // not inherited by batch workers
    if (!f) {
        Message_erreur("Ouverture impossible de resultfinal!\n" + chemin + ": " + std::strerror(errno));
        return nullptr;
    }
    std::fputs("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
               "<!DOCTYPE testresult SYSTEM \"GRECParticipantResults.dtd\">\n", f);
    std::fputs("<testresult>\n<testname>testgrec</testname>\n<participant>", f);
    std::fputs(Texte_xml(Participant_lot(), Forme_xml::latin1).c_str(), f);
    std::fputs("</participant>\n", f);
    return f;
}

static void Ouvre_entree(std::FILE* f, const std::string& chemin_image)
{
    std::fputs("\n<imageresult>\n<imagename>", f);
    std::fputs(Texte_xml(Nom_image_lot(chemin_image), Forme_xml::latin1).c_str(), f);
    std::fputs("</imagename>", f);
}

// A list the spotting broke off (a recognition answer missing) ends inside
// a symbol element; copied as it is, it would spoil the XML of every entry.
static bool Liste_complete(const std::string& liste)
{
    const auto fin = liste.find_last_not_of(" \t\r\n");
    const std::string_view cloture = "</symbolist>";
    return fin != std::string::npos && fin + 1 >= cloture.size() &&
           std::string_view(liste).substr(fin + 1 - cloture.size(), cloture.size()) == cloture;
}

// Every entry is parsed whole before it is copied: one that is not XML (a
// name written raw by another program) would spoil the whole results file.
static std::string Liste_mal_formee(const std::string& liste)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer(liste.data(), liste.size(), pugi::parse_default, pugi::encoding_latin1);
    if (!r) return r.description() + std::string(" at byte ") + std::to_string(r.offset);
    int racines = 0;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) racines += n.type() == pugi::node_element;
    if (racines != 1 || std::string_view(doc.document_element().name()) != "symbolist")
        return "not one symbolist element";
    // The parser passes an '&' that starts no reference over; XML does not.
    for (size_t p = liste.find('&'); p != std::string::npos; p = liste.find('&', p + 1)) {
        const size_t fin = liste.find(';', p);
        const std::string_view ref = fin == std::string::npos ? std::string_view() : std::string_view(liste).substr(p + 1, fin - p - 1);
        bool ok = ref == "amp" || ref == "lt" || ref == "gt" || ref == "quot" || ref == "apos";
        if (!ok && ref.size() >= 2 && ref[0] == '#') {
            const bool hexa = ref[1] == 'x';
            const std::string_view chiffres = ref.substr(hexa ? 2 : 1);
            ok = !chiffres.empty() && chiffres.find_first_not_of(hexa ? "0123456789abcdefABCDEF" : "0123456789") == std::string_view::npos;
        }
        if (!ok) return "a '&' that starts no reference at byte " + std::to_string(p);
    }
    return {};
}

bool Liste_lisible(const std::string& chemin)
{
    std::string liste;
    return Lit_fichier_entier(chemin, liste) && Liste_complete(liste) && Liste_mal_formee(liste).empty();
}

int Resultats_lot_places = 0;

bool Ecrit_entree_lot(std::FILE* f, const std::string& chemin_image)
{
    Ouvre_entree(f, chemin_image);
    const std::string chemin_copie = chemin_image + ".xml";
    std::FILE* copie = std::fopen(chemin_copie.c_str(), "rb");
    if (!copie) {
        Message_boite("Ouverture tmp impossible\n" + chemin_copie + ": " + std::strerror(errno), "Erreur");
        std::fputs("</imageresult>\n", f);
        return false;
    }
    std::string liste;
    char tampon[8192];
    size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, copie)) > 0) liste.append(tampon, n);
    std::fclose(copie);
    const bool complete = Liste_complete(liste);
    std::string erreur;
    if (!complete) Message_erreur("Liste de symboles incomplete : " + chemin_copie);
    else if (!(erreur = Liste_mal_formee(liste)).empty()) Message_erreur("Liste de symboles mal formee : " + chemin_copie + ": " + erreur);
    else std::fwrite(liste.data(), 1, liste.size(), f);
    std::fputs("</imageresult>\n", f);
    return complete && erreur.empty();
}

void Ecrit_entree_sans_symboles(std::FILE* f, const std::string& chemin_image)
{
    Ouvre_entree(f, chemin_image);
    std::fputs("</imageresult>\n", f);
}

bool Ferme_resultats_lot(std::FILE* f, const std::string& chemin)
{
    std::fputs("\n</testresult>\n", f);
    const bool ok = Ferme_resultat(f, true);
    if (!ok) Message_erreur("Ecriture " + chemin + " impossible !\n" + chemin + ": " + Cause_echec_resultat());
    else Resultats_lot_places++;
    return ok;
}

void Abandonne_resultats_lot(std::FILE* f) { Ferme_resultat(f, false); }
