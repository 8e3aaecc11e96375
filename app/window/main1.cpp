#include "app/window/main1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

#include "app/window/form1.h"
#include "app/window/image_w1.h"
#include "app/window/interactions.h"
#include "graph/construction.h"
#include "image/chargement.h"
#include "image/planes.h"
#include "image/zoom.h"
#include "output/commandes_sauvegarde.h"
#include "vecto/vectorisation.h"

namespace {
QString Texte(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string Chemin_local(const QString& chemin) { return QFile::encodeName(chemin).toStdString(); }

const char* const kFiltreImages =
    "Images BMP (*.bmp);;Images JPG (*.jpg);;Images GIF (*.gif);;Images TIF (*.tif);;Images PNG (*.png)";
const char* const kFiltreBmp = "Images BMP (*.bmp)";
const char* const kFiltreResultats = "résultats (*.laf)";
}  // namespace

// ---- Stop/GO panel -------------------------------------------------------

void PanneauBouton::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

// ---- Front end -------------------------------------------------------------

void FrontendFenetre::log_changed(bool, std::string_view) { w_.Affiche_log(); }
void FrontendFenetre::progress(int minimum, int maximum, int position, bool visible)
{
    w_.Affiche_progression(minimum, maximum, position, visible);
}
void FrontendFenetre::beep_short() { w_.Dialogues().Bip_court(); }
void FrontendFenetre::beep_end() { w_.Dialogues().Bip_fin(); }
void FrontendFenetre::wait_pause() { w_.Attend_fin_pause(); }
void FrontendFenetre::message_box(std::string_view text, std::string_view caption)
{
    w_.Dialogues().Boite_message(&w_, Texte(text), Texte(caption));
}
void FrontendFenetre::input(std::string& buffer, std::string_view prompt) { w_.Saisie_form1(buffer, prompt); }
void FrontendFenetre::process_events() { QCoreApplication::processEvents(); }
void FrontendFenetre::show_plane2(int x, int y) { w_.ImageW1_->Montre_P2(x, y); }
void FrontendFenetre::repaint() { w_.ImageW1_->Rafraichit(); }
void FrontendFenetre::set_caption(std::string_view caption) { w_.setWindowTitle(Texte(caption)); }
void FrontendFenetre::set_plane_label(std::string_view label) { w_.Label1->setText(Texte(label)); }
void FrontendFenetre::reset_scrollbars() { w_.ImageW1_->Raz_barres(); }
void FrontendFenetre::pause_changed(bool paused) { w_.Pause_changee(paused); }
void FrontendFenetre::mode_changed(int mode) { w_.EditMain1->setText(mode ? "1" : "0"); }

// ---- Window ----------------------------------------------------------------

TMain1::TMain1(Interactions* interactions, QWidget* parent)
    : QMainWindow(parent), interactions_(interactions ? interactions : new Interactions), frontend_(*this)
{
    setObjectName("Main1");
    setWindowTitle("Tracemorph");
    Construit_fenetre();
    Construit_menus();
    Capture_repertoires();
    Installe_frontend(&frontend_);
    // Client area of 610 x 480 under the menu bar, centred on the screen.
    resize(610, 480 + menuBar()->sizeHint().height());
    if (const QScreen* ecran = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(ecran->availableGeometry().center());
        move(r.topLeft());
    }
    Affiche_progression(Progression().minimum, Progression().maximum, Progression().position, Progression().visible);
    Affiche_stop_go();
}

TMain1::~TMain1()
{
    if (&Frontend_courant() == &frontend_) Installe_frontend(nullptr);
}

void TMain1::Attache_form1(TForm1* form) { form1_ = form; }

void TMain1::Construit_fenetre()
{
    auto* centre = new QWidget(this);
    auto* grille = new QGridLayout(centre);
    grille->setContentsMargins(0, 0, 0, 0);
    grille->setSpacing(0);
    setCentralWidget(centre);

    ImageW1_ = new ImageW1(centre);
    connect(ImageW1_, &ImageW1::Souris_bougee, this, &TMain1::Souris_bougee);
    connect(ImageW1_, &ImageW1::Souris_relachee, this, &TMain1::Souris_relachee);
    grille->addWidget(ImageW1_, 0, 0);

    // Right column: command buttons, log panel, Stop/GO and plane toggle.
    BoutonsP1 = new QFrame(centre);
    BoutonsP1->setObjectName("BoutonsP1");
    BoutonsP1->setFixedWidth(145);
    BoutonsP1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    BoutonsP1->setLineWidth(2);
    auto* colonne = new QVBoxLayout(BoutonsP1);
    colonne->setContentsMargins(2, 2, 2, 2);
    colonne->setSpacing(2);
    grille->addWidget(BoutonsP1, 0, 1);

    GroupBoxBtns = new QGroupBox(BoutonsP1);
    GroupBoxBtns->setObjectName("GroupBoxBtns");
    GroupBoxBtns->setFixedHeight(209);
    colonne->addWidget(GroupBoxBtns);
    struct Def { QPushButton** b; const char* nom; const char* texte; int haut; int hauteur; QStyle::StandardPixmap image; };
    const Def defs[] = {
        {&Vectorisation1, "Vectorisation1", "Vectorisation", 0, 25, QStyle::SP_MediaPlay},
        {&Texte1, "Texte1", "Graph construction", 28, 25, QStyle::SP_FileDialogListView},
        {&NonUtilise1, "NonUtilise1", "Not used", 56, 29, QStyle::SP_FileDialogInfoView},
        {&Symboles1, "Symboles1", "Symbol spotting", 88, 25, QStyle::SP_FileDialogContentsView},
        {&TexteSpot1, "TexteSpot1", "Text spotting", 116, 25, QStyle::SP_FileDialogDetailedView},
        {&ArcSpot1, "ArcSpot1", "Arc spotting", 144, 25, QStyle::SP_BrowserReload},
        {&Analyse1, "Analyse1", "Complete analysis", 172, 25, QStyle::SP_MediaSeekForward},
    };
    for (const Def& d : defs) {
        auto* b = new QPushButton(style()->standardIcon(d.image), d.texte, GroupBoxBtns);
        b->setObjectName(d.nom);
        b->setGeometry(5, 6 + d.haut, 129, d.hauteur);
        b->setIconSize(QSize(12, 12));
        QFont fb = b->font();
        fb.setPixelSize(11);
        b->setFont(fb);
        *d.b = b;
    }
    connect(Vectorisation1, &QPushButton::clicked, this, &TMain1::vectorisation1Click);
    connect(Texte1, &QPushButton::clicked, this, &TMain1::Texte1Click);
    connect(NonUtilise1, &QPushButton::clicked, this, &TMain1::A_faire);
    connect(TexteSpot1, &QPushButton::clicked, this, &TMain1::A_faire);
    connect(ArcSpot1, &QPushButton::clicked, this, &TMain1::A_faire);
    // Their commands are not part of this window yet.
    Symboles1->setEnabled(false);
    Analyse1->setEnabled(false);

    TextL3 = new QLabel(BoutonsP1);
    TextL3->setObjectName("TextL3");
    TextL3->setTextFormat(Qt::PlainText);
    TextL3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TextL3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    QFont fl("Serif");
    fl.setStyleHint(QFont::Serif);
    fl.setPixelSize(10);
    TextL3->setFont(fl);
    colonne->addWidget(TextL3, 1);

    GroupBoxPlans = new QGroupBox(BoutonsP1);
    GroupBoxPlans->setObjectName("GroupBoxPlans");
    GroupBoxPlans->setFixedHeight(35);
    colonne->addWidget(GroupBoxPlans);
    auto* plans = new QHBoxLayout(GroupBoxPlans);
    plans->setContentsMargins(3, 3, 3, 3);
    plans->setSpacing(4);
    StopP1 = new PanneauBouton("Stop", GroupBoxPlans);
    StopP1->setObjectName("StopP1");
    StopP1->setFixedWidth(71);
    StopP1->setAlignment(Qt::AlignCenter);
    StopP1->setLineWidth(2);
    connect(StopP1, &PanneauBouton::clicked, this, &TMain1::StopP1Click);
    plans->addWidget(StopP1);
    Plan2_1 = new QToolButton(GroupBoxPlans);
    Plan2_1->setObjectName("Plan2_1");
    Plan2_1->setText("Plan1/2");
    Plan2_1->setFixedWidth(59);
    Plan2_1->setAutoRaise(true);
    connect(Plan2_1, &QToolButton::clicked, this, &TMain1::Plan2_1Click);
    plans->addWidget(Plan2_1);

    // Bottom bar.
    InfoP1 = new QFrame(centre);
    InfoP1->setObjectName("InfoP1");
    InfoP1->setFixedHeight(30);
    InfoP1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* barre = new QHBoxLayout(InfoP1);
    barre->setContentsMargins(4, 2, 2, 2);
    barre->setSpacing(4);
    grille->addWidget(InfoP1, 1, 0, 1, 2);
    DebugL2 = new QLabel("Debug", InfoP1);
    DebugL2->setObjectName("DebugL2");
    QFont fd = DebugL2->font();
    fd.setBold(true);
    DebugL2->setFont(fd);
    barre->addWidget(DebugL2);
    EditMain1 = new QLineEdit("0", InfoP1);
    EditMain1->setObjectName("EditMain1");
    EditMain1->setFixedWidth(21);
    EditMain1->setMaxLength(1);
    EditMain1->setContextMenuPolicy(Qt::NoContextMenu);
    EditMain1->setAcceptDrops(false);
    EditMain1->setAttribute(Qt::WA_InputMethodEnabled, false);
    EditMain1->installEventFilter(this);
    barre->addWidget(EditMain1);
    CycleL1 = new QLabel("Cycle : 1", InfoP1);
    CycleL1->setObjectName("CycleL1");
    QFont fc("Times New Roman");
    fc.setStyleHint(QFont::Serif);
    CycleL1->setFont(fc);
    CycleL1->setStyleSheet("color: navy;");
    barre->addWidget(CycleL1);
    barre->addStretch(1);
    ProgressBar1 = new QProgressBar(InfoP1);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setFixedWidth(237);
    ProgressBar1->setTextVisible(false);
    QSizePolicy sp = ProgressBar1->sizePolicy();
    sp.setRetainSizeWhenHidden(true);  // the labels beside it stay in place
    ProgressBar1->setSizePolicy(sp);
    barre->addWidget(ProgressBar1);
    Label2 = new QLabel("   ", InfoP1);
    Label2->setObjectName("Label2");
    Label2->setFixedWidth(9);
    barre->addWidget(Label2);
    Label1 = new QLabel("Plan Image", InfoP1);
    Label1->setObjectName("Label1");
    QFont fp = Label1->font();
    fp.setPixelSize(11);
    Label1->setFont(fp);
    // Wide enough for the cursor text of a large scan.
    Label1->setFixedWidth(std::max(105, Label1->fontMetrics().horizontalAdvance("Plan 2 (8888,8888):8") + 8));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setAutoFillBackground(true);
    QPalette pl = Label1->palette();
    pl.setColor(QPalette::Window, pl.color(QPalette::Active, QPalette::Highlight));
    pl.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(pl);
    barre->addWidget(Label1);

    grille->setRowStretch(0, 1);
    grille->setColumnStretch(0, 1);
}

void TMain1::Construit_menus()
{
    QMenuBar* mb = menuBar();
    auto item = [this](QMenu* m, const char* nom, const char* texte, void (TMain1::*slot)()) {
        QAction* a = m->addAction(QString::fromUtf8(texte));
        a->setObjectName(nom);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* fichier = mb->addMenu("&File");
    fichier->setObjectName("Fichier1");
    Ouvrir1 = item(fichier, "Ouvrir1", "&Open...", &TMain1::Ouvrir1Click);
    Fermer1 = item(fichier, "Fermer1", "&Close", &TMain1::Fermer1Click);
    SauverP21 = item(fichier, "SauverP21", "&Save P2", &TMain1::SauverP21Click);
    Information1 = item(fichier, "Information1", "&Information", &TMain1::Information1Click);
    fichier->addSeparator();
    Quitter1 = fichier->addAction("&Exit");
    Quitter1->setObjectName("Quitter1");
    connect(Quitter1, &QAction::triggered, this, &QWidget::close);

    QMenu* images = mb->addMenu("&Images");
    images->setObjectName("Images1");
    ZoomIn1 = item(images, "ZoomIn1", "Zoom &In", &TMain1::ZoomIn1Click);
    ZoomOut1 = item(images, "ZoomOut1", "Zoom &Out", &TMain1::ZoomOut1Click);
    EffacerP21 = item(images, "EffacerP21", "&Delete Plan 2", &TMain1::EffacerP21Click);
    CopieP2P11 = item(images, "CopieP2P11", "&Copy P2 -> P1", &TMain1::CopieP2P11Click);

    QMenu* traitement = mb->addMenu("&Processing");
    traitement->setObjectName("Traitement1");
    AxeMedian1 = item(traitement, "AxeMedian1", "&Median axis", &TMain1::AxeMedian1Click);
    Pretraitement1 = item(traitement, "Pretraitement1", "Preprocessing", &TMain1::Pretraitement1Click);
    Contours1 = item(traitement, "Contours1", "Contours vect. + CC", &TMain1::Contours1Click);
    NettoyageCC1 = item(traitement, "NettoyageCC1", "CC cleaning", &TMain1::NettoyageCC1Click);

    QMenu* sauver = mb->addMenu("&Save");
    sauver->setObjectName("Sauver1");
    Vectorisation2 = item(sauver, "Vectorisation2", "&Vectors and Quads", &TMain1::Vectorisation2Click);
    Graphe2 = item(sauver, "Graphe2", "&Graph (GXL + TXT)", &TMain1::Graphe2Click);
    GraphforSimgraph1 = item(sauver, "GraphforSimgraph1", "Graph for Simgraph", &TMain1::GraphforSimgraph1Click);

    QMenu* reglages = mb->addMenu("Settings");
    reglages->setObjectName("Reglages1");
    ReglageVecto1 = item(reglages, "ReglageVecto1", "Vectorisation", &TMain1::A_faire);
    ReglageGraphe1 = item(reglages, "ReglageGraphe1", "Graph", &TMain1::A_faire);

    QMenu* aide = mb->addMenu("&Help");
    aide->setObjectName("Aide2");
    Version1 = item(aide, "Version1", "&Version", &TMain1::Version1Click);
    Aide1 = item(aide, "Aide1", "&Help", &TMain1::Aide1Click);

    // What a paused step still uses must not be freed or rebuilt under it.
    actions_liberant_ = {Ouvrir1, Fermer1, AxeMedian1, Pretraitement1, Contours1, NettoyageCC1, CopieP2P11};
    boutons_liberant_ = {Vectorisation1, Texte1};
}

// ---- Front-end work ----------------------------------------------------------

void TMain1::Affiche_log()
{
    // The panel keeps its last lines in view; the text itself lives in the core.
    const std::string& log = Texte_log();
    const int interligne = std::max(1, TextL3->fontMetrics().lineSpacing());
    const int capacite = std::max(1, TextL3->contentsRect().height() / interligne);
    size_t debut = log.size();
    int lignes = 0;
    while (debut > 0) {
        const size_t p = log.rfind('\n', debut - 1);
        if (p == std::string::npos) {
            debut = 0;
            break;
        }
        if (++lignes >= capacite) {
            debut = p + 1;
            break;
        }
        debut = p;
    }
    TextL3->setText(Texte(std::string_view(log).substr(debut)));
}

void TMain1::Affiche_progression(int minimum, int maximum, int position, bool visible)
{
    ProgressBar1->setRange(minimum, std::max(minimum, maximum));
    ProgressBar1->setValue(position);
    ProgressBar1->setVisible(visible);
}

void TMain1::Attend_fin_pause()
{
    // Sleeps until the next event: the click on Stop/GO ends the pause.
    while (Pause_flag != 0 && !fermeture_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TMain1::Pause_changee(bool en_pause)
{
    profondeur_pause_ = std::max(0, profondeur_pause_ + (en_pause ? 1 : -1));
    Grise_commandes();
    Affiche_stop_go();
}

void TMain1::Grise_commandes()
{
    const bool actif = profondeur_pause_ == 0 && commandes_en_cours_ == 0;
    for (QAction* a : actions_liberant_) a->setEnabled(actif);
    for (QWidget* b : boutons_liberant_) b->setEnabled(actif);
}

template <class F>
void TMain1::Commande_longue(F&& commande)
{
    commandes_en_cours_++;
    Grise_commandes();
    commande();
    commandes_en_cours_--;
    Grise_commandes();
}

void TMain1::Affiche_stop_go()
{
    const bool go = Pause_flag == 1;
    StopP1->setText(go ? "GO !" : "Stop");
    StopP1->setFrameStyle(QFrame::Panel | (go ? QFrame::Sunken : QFrame::Raised));
}

void TMain1::Saisie_form1(std::string& texte, std::string_view invite)
{
    if (!form1_) {
        form1_propre_ = std::make_unique<TForm1>();
        form1_ = form1_propre_.get();
    }
    form1_->Edit1->setText(Texte(texte));
    form1_->Label1->setText("- " + Texte(invite));
    if (interactions_->Execute_form1(*form1_) == QDialog::Accepted) texte = form1_->Edit1->text().toStdString();
}

// ---- Window events -------------------------------------------------------------

bool TMain1::eventFilter(QObject* o, QEvent* e)
{
    if (o == EditMain1) {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) return false;
            const QString t = k->text();
            if (t.size() == 1 && t[0].unicode() < 128) Touche_mode(static_cast<char>(t[0].unicode()));
            return true;  // the box holds nothing but the mode
        }
        if (e->type() == QEvent::InputMethod) return true;
    }
    return QMainWindow::eventFilter(o, e);
}

void TMain1::closeEvent(QCloseEvent* e)
{
    // A step waiting in a pause must be let go, or the program cannot end.
    if (profondeur_pause_ > 0) {
        fermeture_ = true;
        Pause_flag = 0;
    }
    QMainWindow::closeEvent(e);
}

void TMain1::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    Affiche_log();
}

void TMain1::Repeint() { ImageW1_->Rafraichit(); }

void TMain1::Souris_bougee(QPoint client)
{
    if (!Plan_courant || Etat_affichage == 3) return;
    const QPoint p = ImageW1_->Point_plan(client);
    const PlanImage* source = ImageW1::Plan_source();
    const int v = source ? Lit_pixel(p.x(), p.y(), *source) : 0;
    Label1->setText(QString::asprintf("Plan %d (%d,%d):%d", Etat_affichage, p.x(), p.y(), v));
}

void TMain1::Souris_relachee(QPoint client)
{
    if (Etat_affichage == 3) return;
    if (Plan_courant) {
        const QPoint p = ImageW1_->Point_plan(client);
        Ecrit_pixel(p.x(), p.y(), 1, Plan2);
    }
    Repeint();
}

// ---- Commands --------------------------------------------------------------------

void TMain1::Ouvrir1Click()
{
    Rep_courant = Chemin_local(QDir::currentPath());
    const QString chemin = interactions_->Fichier_a_ouvrir(this, Texte(Rep_courant), kFiltreImages);
    if (chemin.isEmpty()) return;
    Open(Chemin_local(chemin));
    Repeint();
}

void TMain1::Fermer1Click()
{
    Ferme_image();
    CycleL1->setText("Cycle : 1");
    Repeint();
}

void TMain1::SauverP21Click()
{
    const QString chemin = interactions_->Fichier_a_enregistrer(this, "plan2", kFiltreBmp);
    if (chemin.isEmpty() || !Plan_courant) return;
    Sauve_P2(Chemin_local(chemin));
    Signal_fin();
}

void TMain1::Information1Click() { Information(); }

void TMain1::Zoom_depuis_source(int facteur)
{
    Construit_zoom(Etat_affichage == 2 ? Plan2 : Plan1, facteur);
    Plan_courant = &Plan_zoom;
}

void TMain1::ZoomOut1Click()
{
    if (!Plan_courant || Etat_affichage == 3) return;
    Niveau_zoom++;
    if (Niveau_zoom != 0) Zoom_depuis_source(std::abs(Niveau_zoom) + 1);
    else Plan_courant = Etat_affichage == 2 ? &Plan2 : &Plan1;
    ImageW1_->Raz_barres();
}

void TMain1::ZoomIn1Click()
{
    if (!Plan_courant || Etat_affichage == 3) return;
    if (Niveau_zoom < -4) {
        Signal_fin();
        return;
    }
    Niveau_zoom--;
    Zoom_depuis_source(std::abs(Niveau_zoom) + 1);
    ImageW1_->Raz_barres();
}

void TMain1::EffacerP21Click()
{
    Supprime_plan2();
    Repeint();
}

void TMain1::CopieP2P11Click()
{
    Commande_longue(Copie_P2_P1);
    Repeint();
}

void TMain1::AxeMedian1Click()
{
    Commande_longue(Commande_axe_median);
    Repeint();
}

void TMain1::Pretraitement1Click()
{
    Commande_longue(Commande_pretraitement);
    Repeint();
}

void TMain1::Contours1Click()
{
    Commande_longue(Commande_contours);
    Repeint();
}

void TMain1::NettoyageCC1Click()
{
    Commande_longue(Commande_nettoyage_CC);
    Repeint();
}

void TMain1::Vectorisation2Click()
{
    // A cancelled dialog keeps the last confirmed name.
    const QString chemin = interactions_->Fichier_a_enregistrer(this, nom_resultats_, Texte(kFiltreResultats));
    if (!chemin.isEmpty()) nom_resultats_ = chemin;
    Sauve_vecto_quads(Chemin_local(nom_resultats_));
}

void TMain1::Graphe2Click() { Sauve_graphe_gxl_txt(); }

void TMain1::GraphforSimgraph1Click() { Sauve_graphe_simgraph(); }

void TMain1::Version1Click()
{
    interactions_->Boite_message(
        this, "Tracemorph V2.0\n\nTracemorph developers, Tracemorph project\nLast modif. 14/03/2007", "Info Version");
}

void TMain1::Aide1Click() { interactions_->Boite_message(this, "Not available yet ! Ask me.", "Info..."); }

void TMain1::A_faire() { interactions_->Boite_message(this, "To do...", "TODO"); }

void TMain1::vectorisation1Click()
{
    Commande_longue(Commande_vectorisation);
    Repeint();
}

void TMain1::Texte1Click()
{
    Commande_longue(Commande_graphe);
    Repeint();
}

void TMain1::StopP1Click()
{
    Clic_stop_go();
    Affiche_stop_go();
}

void TMain1::Plan2_1Click()
{
    if (!Plan_courant || (Etat_affichage != 1 && Etat_affichage != 2)) return;
    Etat_affichage = Etat_affichage == 1 ? 2 : 1;
    Plan_courant = Etat_affichage == 1 ? &Plan1 : &Plan2;
    if (Niveau_zoom != 0) {
        Construit_zoom(*Plan_courant, std::abs(Niveau_zoom) + 1);
        Plan_courant = &Plan_zoom;
    }
    Label1->setText(Etat_affichage == 1 ? "Plan 1" : "Plan 2");
    Repeint();
}
