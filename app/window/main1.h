// The main window: menus, command buttons, log panel, progress bar, mode
// box, Stop/GO panel and the image area. Handlers only read the widgets,
// call the analysis and refresh the view. The handlers live in one file per
// menu (main1_fichier.cpp, main1_images.cpp, ...).
#pragma once
#include <QLabel>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "port/shell.h"
#include "app/window/interactions.h"

class QAction;
class QFrame;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class ImageW1;
class TFImgC;
class TForm1;
class TMain1;

// The Stop/GO panel: a panel that reacts to a click like a button.
class PanneauBouton : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The analysis' view of the window.
class FrontendFenetre : public Frontend {
public:
    explicit FrontendFenetre(TMain1& w) : w_(w) {}
    void log_changed(bool cleared, std::string_view piece) override;
    void progress(int minimum, int maximum, int position, bool visible) override;
    void beep_short() override;
    void beep_end() override;
    void wait_pause() override;
    void message_box(std::string_view text, std::string_view caption) override;
    bool input(std::string& buffer, std::string_view prompt) override;
    void process_events() override;
    void show_plane2(int x, int y) override;
    void repaint() override;
    void set_caption(std::string_view caption) override;
    void set_plane_label(std::string_view label) override;
    void reset_scrollbars() override;
    void pause_changed(bool paused) override;
    void mode_changed(int mode) override;
    bool choose_images(std::vector<std::string>& files) override;
    void batch_image_done(int done, int total, std::string_view image) override;
    void show_colour_image(bool modal) override;
    void colour_box(int xmin, int ymin, int xmax, int ymax) override;
private:
    TMain1& w_;
};

class TMain1 : public QMainWindow {
    Q_OBJECT
public:
    // `interactions` (owned) answers the dialogs and plays the signals;
    // null for the real ones. Installs the window as the analysis' front end.
    explicit TMain1(Interactions* interactions = nullptr, QWidget* parent = nullptr);
    ~TMain1() override;
    // Form1 and FImgC are created after the main window and handed over here.
    void Attache_form1(TForm1* form);
    void Attache_fimgc(TFImgC* fimgc);
    TFImgC& FImgC();
    Interactions& Dialogues() { return *interactions_; }
    // The file-open dialog's settings, kept from one use to the next.
    const ReglageOuverture& Dialogue_ouverture() const { return ouverture_; }

    // Controls, named after the components they stand for.
    ImageW1* ImageW1_;
    QFrame* InfoP1;
    QLabel* DebugL2;
    QLineEdit* EditMain1;
    QLabel* CycleL1;
    QProgressBar* ProgressBar1;
    QLabel* Label2;
    QLabel* Label1;
    QFrame* BoutonsP1;
    QGroupBox* GroupBoxBtns;
    QPushButton *Vectorisation1, *Texte1, *NonUtilise1, *LiaisonsB1, *TexteSpot1, *ArcSpot1, *CyclesB1;
    QPlainTextEdit* TextL3;
    QGroupBox* GroupBoxPlans;
    PanneauBouton* StopP1;
    QToolButton* Plan2_1;
    // Menu items, menu by menu.
    QAction *Ouvrir1, *Fermer1, *SauverP21, *OuvrirLot1, *Information1, *Quitter1;
    QAction *ZoomIn1, *ZoomOut1, *Ajuste1, *EffacerP21, *CopieP2P11, *AfficheCouleur1, *EffaceCouleur1, *SauveCouleur1;
    QAction *AxeMedian1, *Pretraitement1, *Contours1, *NettoyageCC1;
    QAction *Caractres1, *Auction1, *Gsignature1, *Greedy1;
    QAction *Vecteurs2, *Quadrilatres2, *CompConnexes2, *Squelette1, *Graphe1, *GrapheCouleur1, *Grapheslectif1,
        *Quadslctifs1;
    QAction *Caractres2, *QuadsCouleur1;
    QAction *MethodeParam1, *MethodeRegions1, *MethodeGroupes1;  // spotting method, one checked
    QAction *Reconnaitre1, *Vectorisation2, *Graphe2, *Symboles1, *GraphforSimgraph1;
    QAction *ReglageVecto1, *ReglageGraphe1, *Version1, *Aide1;

    // Front-end work, called through FrontendFenetre.
    void Ajoute_log(bool efface, std::string_view piece);
    void Affiche_progression(int minimum, int maximum, int position, bool visible);
    void Attend_fin_pause();
    void Pause_changee(bool en_pause);
    bool Saisie_form1(std::string& texte, std::string_view invite);
    void Affiche_stop_go();
    bool Choisit_images(std::vector<std::string>& fichiers);
    void Image_lot_faite(int faites, int total);
    void Montre_couleur(bool modal);
    // Repaints the image area; with no image the plane label says so.
    void Repeint();
    // Moves a dialog so that it stands centred on the main window.
    void Centre_sur_fenetre(QWidget& dialogue) const;

public slots:
    // "&File"
    void Ouvrir1Click();
    void Fermer1Click();
    void SauverP21Click();
    void OuvrirLot1Click();
    void Information1Click();
    // "&Images"
    void ZoomIn1Click();
    void ZoomOut1Click();
    void Ajuste1Click();
    void EffacerP21Click();
    void CopieP2P11Click();
    void AfficheCouleur1Click();
    void EffaceCouleur1Click();
    void SauveCouleur1Click();
    // "&Processing"
    void AxeMedian1Click();
    void Pretraitement1Click();
    void Contours1Click();
    void NettoyageCC1Click();
    void Caractres1Click();
    void Auction1Click();
    void Gsignature1Click();
    void Greedy1Click();
    // "&Primitives"
    void Vecteurs2Click();
    void Quadrilatres2Click();
    void CompConnexes2Click();
    void Squelette1Click();
    void Graphe1Click();
    void GrapheCouleur1Click();
    void Grapheslectif1Click();
    void Quadslctifs1Click();
    // "&Symbols"
    void Caractres2Click();
    void QuadsCouleur1Click();
    // "&Save"
    void ReconnaitreClick();
    void Vectorisation2Click();
    void Graphe2Click();
    void Symboles1Click();
    void GraphforSimgraph1Click();
    // "Settings", "&Help"
    void Version1Click();
    void Aide1Click();
    void A_faire();
    // Buttons and panels.
    void vectorisation1Click();
    void Texte1Click();
    void LiaisonsB1Click();
    void CyclesB1Click();
    void StopP1Click();
    void Plan2_1Click();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Construit_menus();
    void Construit_fenetre();
    void Construit_journal();
    // The displayed plane at zoom level `niveau`, the point at the centre of
    // the view kept there.
    void Zoom_vers(int niveau);
    void Souris_bougee(QPoint client);
    void Souris_relachee(QPoint client);
    // Runs a command with the freeing commands greyed: its steps let the
    // window handle events (and pause) in the middle of the work.
    void Commande_longue(const std::function<void()>& commande);
    // The same, then the plane repainted with what the command drew.
    void Commande_repeinte(const std::function<void()>& commande);
    void Grise_commandes();

    std::unique_ptr<Interactions> interactions_;
    FrontendFenetre frontend_;
    TForm1* form1_ = nullptr;
    std::unique_ptr<TForm1> form1_propre_;  // only when none was attached
    TFImgC* fimgc_ = nullptr;
    std::unique_ptr<TFImgC> fimgc_propre_;  // only when none was attached
    ReglageOuverture ouverture_;
    QString nom_resultats_;                 // last confirmed listing name
    std::vector<QAction*> actions_liberant_;
    std::vector<QWidget*> boutons_liberant_;
    int profondeur_pause_ = 0;
    int commandes_en_cours_ = 0;
    bool fermeture_ = false;
    bool suit_journal_ = true;  // the log view follows its last line
    int lot_total_ = 0;         // images of the batch running, 0 outside a batch
};
