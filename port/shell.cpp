#include "port/shell.h"

#include <unistd.h>

#include <climits>
#include <string>


namespace {
Frontend g_silencieux;
Frontend* g_fe = &g_silencieux;
std::string g_log;
EtatProgression g_prog;

void Notifie_progression()
{
    g_fe->progress(g_prog.minimum, g_prog.maximum, g_prog.position, g_prog.visible);
}
}  // namespace

int Pause_flag = 0;
int Mode_trace = 0;
std::string Rep_travail;
std::string Rep_courant;
std::string Chemin_image;
int Etat_affichage = 1;
int Niveau_zoom = 0;

void Frontend::wait_pause() { Pause_flag = 0; }

Frontend& Frontend_courant() { return *g_fe; }
void Installe_frontend(Frontend* fe) { g_fe = fe ? fe : &g_silencieux; }

void Efface_texte()
{
    g_log.clear();
    g_fe->log_changed(true, {});
}

void Ecrit_texte(int mode, std::string_view texte)
{
    std::string piece;
    bool efface = false;
    if (mode == 1) {
        piece = "\n";
    } else if (mode == 2) {
        g_log.clear();
        efface = true;
        piece = "\n\n";
    }
    piece += texte;
    g_log += piece;
    g_fe->log_changed(efface, piece);
}

void Ecrit_nombre(int nouvelle_ligne, int valeur)
{
    std::string piece = nouvelle_ligne ? "\n" : "";
    piece += " " + std::to_string(valeur) + " ";
    g_log += piece;
    g_fe->log_changed(false, piece);
}

const std::string& Texte_log() { return g_log; }

void Progression_init(int minimum, int maximum)
{
    g_prog.minimum = minimum;
    g_prog.maximum = maximum;
    g_prog.pas = 1;
    g_prog.visible = true;
    g_prog.position = 0;
    Notifie_progression();
}

void Progression_pas()
{
    if (g_prog.position < g_prog.maximum) g_prog.position += g_prog.pas;
    if (g_prog.position >= g_prog.maximum) {
        g_prog.position = 0;
        g_prog.visible = false;
    }
    Notifie_progression();
}

const EtatProgression& Progression() { return g_prog; }

void Signal_court() { g_fe->beep_short(); }
void Signal_fin() { g_fe->beep_end(); }

int Pause_go()
{
    Pause_flag = 1;
    g_fe->pause_changed(true);
    g_fe->wait_pause();
    Pause_flag = 0;
    g_fe->pause_changed(false);
    return 1;
}

int Signal_pause()
{
    Signal_court();
    return Pause_go();
}

void Traite_evenements() { g_fe->process_events(); }

namespace {
bool g_arret = false;
}

void Demande_arret(bool oui) { g_arret = oui; }

bool Arret_demande()
{
    g_fe->process_events();
    return g_arret;
}

void Journal_arret(int faits)
{
    Ecrit_texte(1, "* Stop, faits : ");
    Ecrit_nombre(0, faits);
}

bool Arret_apres(int faits)
{
    if (!Arret_demande()) return false;
    Journal_arret(faits);
    return true;
}

void Clic_stop_go()
{
    Pause_flag = Pause_flag == 1 ? 0 : 1;
}

bool Touche_mode(char c)
{
    if (c != '0' && c != '1') return false;
    Mode_trace = c == '1' ? 1 : 0;
    g_fe->mode_changed(Mode_trace);
    return true;
}

void Message_erreur(std::string_view texte) { g_fe->message_box(texte, "Erreur"); }
void Message_boite(std::string_view texte, std::string_view titre) { g_fe->message_box(texte, titre); }

bool Saisie(std::string& texte, std::string_view invite) { return g_fe->input(texte, invite); }

int Ecrit_ligne(std::string_view texte, std::FILE* f)
{
    if (f) {
        std::fwrite(texte.data(), 1, texte.size(), f);
        std::fputs(" \n", f);
    }
    return 1;
}

void Capture_repertoires()
{
    char buf[PATH_MAX];
    std::string rep = getcwd(buf, sizeof buf) ? buf : ".";
    Rep_travail = rep;
    Rep_courant = rep;
}

std::string Nom_fichier(std::string_view chemin)
{
    auto p = chemin.find_last_of('/');
    return std::string(p == std::string_view::npos ? chemin : chemin.substr(p + 1));
}

void Boite_couleur(int xmin, int ymin, int xmax, int ymax) { g_fe->colour_box(xmin, ymin, xmax, ymax); }
