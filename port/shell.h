// Application shell seen from the analysis: log panel, progress bar, sounds,
// step-by-step pause, message boxes, one-line input and the display hooks.
// The analysis calls these free functions only; they dispatch to the current
// front end (desktop window, console, or a recorder in tests).
#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// What a front end must provide. Every method has a harmless default so a
// front end overrides only what it shows.
class Frontend {
public:
    virtual ~Frontend() = default;
    // The log text changed: `cleared` when it was emptied first, then `piece`
    // was appended (piece may be empty).
    virtual void log_changed(bool cleared, std::string_view piece) { (void)cleared; (void)piece; }
    // Progress bar state after every change.
    virtual void progress(int minimum, int maximum, int position, bool visible)
    { (void)minimum; (void)maximum; (void)position; (void)visible; }
    virtual void beep_short() {}  // 500 Hz, 40 ms
    virtual void beep_end() {}    // the desktop's notification sound
    // Called by Pause_go after the pause flag was set; returns once the flag
    // is 0 again (the window runs its event loop until Stop/GO is clicked).
    // A front end without a user clears the flag itself.
    virtual void wait_pause();
    // Modal message box with one OK button; its result is never used.
    virtual void message_box(std::string_view text, std::string_view caption) { (void)text; (void)caption; }
    // One-line input; `buffer` holds the proposed value and receives the
    // answer on OK. Cancel leaves it as it is.
    // Returns false when the user cancelled.
    virtual bool input(std::string& buffer, std::string_view prompt) { (void)buffer; (void)prompt; return true; }
    // Long steps let the window process its pending events at fixed points.
    virtual void process_events() {}
    // Display hooks (Affiche_P2 after its state change, repaint, caption,
    // plane label, scroll bars reset by Close).
    virtual void show_plane2(int x, int y) { (void)x; (void)y; }
    virtual void repaint() {}
    virtual void set_caption(std::string_view caption) { (void)caption; }
    virtual void set_plane_label(std::string_view label) { (void)label; }
    virtual void reset_scrollbars() {}
    // The pause state changed (the window greys the commands that would
    // free the data a paused step is using).
    virtual void pause_changed(bool paused) { (void)paused; }
    // The mode box shows Mode_trace.
    virtual void mode_changed(int mode) { (void)mode; }
    // The batch's file-open dialog (multiple selection): fills `files` in the
    // order chosen and returns true, or returns false when cancelled.
    virtual bool choose_images(std::vector<std::string>& files) { (void)files; return false; }
    // Open could not load `path` (after its message box): why, in a few words.
    virtual void load_failed(std::string_view path, std::string_view cause) { (void)path; (void)cause; }
    // A batch starts on this image; what it says until the image is done
    // concerns it.
    virtual void batch_image_begin(std::string_view image) { (void)image; }
    // A batch finished its image number `done` (from 1) of `total`.
    virtual void batch_image_done(int done, int total, std::string_view image)
    { (void)done; (void)total; (void)image; }
    // The colour picture changed; `modal` asks to show the colour window and
    // wait until the user closes it.
    virtual void show_colour_image(bool modal) { (void)modal; }
    // A symbol's box in step-by-step spotting, to be drawn in black into the
    // colour picture, which is then shown (without waiting).
    virtual void colour_box(int xmin, int ymin, int xmax, int ymax) { (void)xmin; (void)ymin; (void)xmax; (void)ymax; }
};

// The front end in use; never null (a silent one is installed at start).
Frontend& Frontend_courant();
void Installe_frontend(Frontend* fe);  // nullptr restores the silent one

// ---- Log panel ----------------------------------------------------------
void Efface_texte();
// mode 0: append; mode 1: "\n" then the text; mode 2: log becomes "\n\n" + text.
void Ecrit_texte(int mode, std::string_view texte);
// Appends " %d ", after a "\n" when nouvelle_ligne is not 0.
void Ecrit_nombre(int nouvelle_ligne, int valeur);
const std::string& Texte_log();  // the whole log text

// ---- Progress bar --------------------------------------------------------
void Progression_init(int minimum, int maximum);
void Progression_pas();
struct EtatProgression { int minimum = 0, maximum = 100, pas = 1, position = 0; bool visible = true; };
const EtatProgression& Progression();

// ---- Sounds and pause ----------------------------------------------------
void Signal_court();
void Signal_fin();
int Pause_go();
int Signal_pause();
void Traite_evenements();      // let the window process pending events
// Stop clicked while a command runs outside a pause: the command ends at its
// next candidate or image, keeping what is done. The window asks and clears.
void Demande_arret(bool oui);
// Lets the window handle its pending events (Stop among them), then tells
// whether the running command was asked to stop.
bool Arret_demande();
// The log line of a command that stopped after `faits` candidates or images.
void Journal_arret(int faits);
// Arret_demande, and when it says so, the log line with `faits`.
bool Arret_apres(int faits);
extern int Pause_flag;         // 1 while a pause is in force
extern int Mode_trace;         // step-by-step mode, 0 or 1
void Clic_stop_go();           // the Stop/GO panel was clicked
bool Touche_mode(char c);      // a key in the mode box; true when it changed the mode

// The colour window's picture receives a symbol's box and is shown.
void Boite_couleur(int xmin, int ymin, int xmax, int ymax);

// ---- Message boxes, input, text lines -------------------------------------
void Message_erreur(std::string_view texte);                       // caption "Erreur"
void Message_boite(std::string_view texte, std::string_view titre);
// Proposes `texte`, lets the user change it. Cancel keeps the proposal and
// returns false, so that a command can give up instead of going on with it.
bool Saisie(std::string& texte, std::string_view invite);
// Writes "%s \n"; returns 1.
int Ecrit_ligne(std::string_view texte, std::FILE* f);

// ---- Window state the analysis reads or sets ----------------------------
extern std::string Rep_travail;   // start directory, base of every fixed file name
extern std::string Rep_courant;   // directory noted at start and by each Open
extern std::string Chemin_image;  // path last given to Open
extern int Etat_affichage;        // 1 Plan1 shown, 2 Plan2 shown, 3 no image
extern int Niveau_zoom;           // zoom factor is |level| + 1
void Capture_repertoires();       // Rep_travail and Rep_courant from the current directory
std::string Nom_fichier(std::string_view chemin);  // file name part of a path
