#include "app/window/main1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/window/fimgc.h"
#include "app/window/form1.h"
#include "app/window/image_w1.h"
#include "app/window/main1_outils.h"
#include "draw/image_couleur.h"
#include "image/planes.h"

// ---- Stop/GO panel -------------------------------------------------------

void PanneauBouton::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

// ---- Front end -------------------------------------------------------------

void FrontendFenetre::log_changed(bool cleared, std::string_view piece) { w_.Ajoute_log(cleared, piece); }
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
bool FrontendFenetre::input(std::string& buffer, std::string_view prompt) { return w_.Saisie_form1(buffer, prompt); }
void FrontendFenetre::process_events() { QCoreApplication::processEvents(); }
void FrontendFenetre::show_plane2(int x, int y)
{
    // The label names the plane on screen, also when a step brought Plan2 up.
    w_.Label1->setText("Plan 2");
    w_.ImageW1_->Montre_P2(x, y);
}
void FrontendFenetre::repaint() { w_.Repeint(); }
void FrontendFenetre::set_caption(std::string_view caption) { w_.setWindowTitle(Texte(caption)); }
void FrontendFenetre::set_plane_label(std::string_view label) { w_.Label1->setText(Texte(label)); }
void FrontendFenetre::reset_scrollbars() { w_.ImageW1_->Raz_barres(); }
void FrontendFenetre::pause_changed(bool paused) { w_.Pause_changee(paused); }
void FrontendFenetre::mode_changed(int mode) { w_.EditMain1->setText(mode ? "1" : "0"); }
bool FrontendFenetre::choose_images(std::vector<std::string>& files) { return w_.Choisit_images(files); }
void FrontendFenetre::batch_image_done(int done, int total, std::string_view) { w_.Image_lot_faite(done, total); }
void FrontendFenetre::show_colour_image(bool modal) { w_.Montre_couleur(modal); }
void FrontendFenetre::colour_box(int xmin, int ymin, int xmax, int ymax)
{
    // Left, bottom, top, right, as on Plan2.
    const int cotes[4][4] = {
        {xmin, ymin, xmin, ymax}, {xmin, ymax, xmax, ymax}, {xmin, ymin, xmax, ymin}, {xmax, ymin, xmax, ymax}};
    for (const auto& c : cotes) Ligne_couleur(c[0], c[1], c[2], c[3], Noir);
    show_colour_image(false);
}

// ---- Window ----------------------------------------------------------------

TMain1::TMain1(Interactions* interactions, QWidget* parent)
    : QMainWindow(parent), interactions_(interactions ? interactions : new Interactions), frontend_(*this)
{
    setObjectName("Main1");
    setWindowTitle("Tracemorph");
    Construit_fenetre();
    Construit_menus();
    Capture_repertoires();
    ouverture_ = {Filtres_ouverture(), 1, false, Texte(Rep_courant)};
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
void TMain1::Attache_fimgc(TFImgC* fimgc) { fimgc_ = fimgc; }

TFImgC& TMain1::FImgC()
{
    if (!fimgc_) {
        fimgc_propre_ = std::make_unique<TFImgC>(this);
        fimgc_ = fimgc_propre_.get();
    }
    return *fimgc_;
}

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
        {&LiaisonsB1, "LiaisonsB1", "Symbol spotting", 88, 25, QStyle::SP_FileDialogContentsView},
        {&TexteSpot1, "TexteSpot1", "Text spotting", 116, 25, QStyle::SP_FileDialogDetailedView},
        {&ArcSpot1, "ArcSpot1", "Arc spotting", 144, 25, QStyle::SP_BrowserReload},
        {&CyclesB1, "CyclesB1", "Complete analysis", 172, 25, QStyle::SP_MediaSeekForward},
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
    connect(LiaisonsB1, &QPushButton::clicked, this, &TMain1::LiaisonsB1Click);
    connect(CyclesB1, &QPushButton::clicked, this, &TMain1::CyclesB1Click);

    Construit_journal();
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

// ---- Front-end work ----------------------------------------------------------

void TMain1::Construit_journal()
{
    // A read-only text view: it wraps, scrolls and copies; the text itself
    // lives in the core (Texte_log), the view follows it piece by piece.
    TextL3 = new QPlainTextEdit(BoutonsP1);
    TextL3->setObjectName("TextL3");
    TextL3->setReadOnly(true);
    TextL3->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    TextL3->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TextL3->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    TextL3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextL3->setFrameShape(QFrame::NoFrame);
    TextL3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    QPalette pt = TextL3->palette();
    pt.setColor(QPalette::Base, pt.color(QPalette::Button));
    pt.setColor(QPalette::Text, Qt::black);
    TextL3->setPalette(pt);
    // The system's fixed-width font, no smaller than 9 points: the counts of
    // successive lines stand in columns.
    QFont fl = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fl.setStyleHint(QFont::TypeWriter);
    fl.setFixedPitch(true);
    if (fl.pointSizeF() > 0 && fl.pointSizeF() < 9) fl.setPointSizeF(9);
    if (fl.pixelSize() > 0 && fl.pixelSize() < 12) fl.setPixelSize(12);
    TextL3->setFont(fl);
    TextL3->document()->setDocumentMargin(2);
    // However small the window, a few lines of the log stay readable.
    TextL3->setMinimumHeight(4 * TextL3->fontMetrics().lineSpacing() + 8);
    TextL3->setPlainText(Texte(Texte_log()));
    // A log read at its end stays at its end: the view lays long text out
    // lazily and again at every size change, and each time the range grows.
    QScrollBar* barre = TextL3->verticalScrollBar();
    connect(barre, &QScrollBar::rangeChanged, this, [this, barre](int, int maximum) {
        if (suit_journal_) barre->setValue(maximum);
    });
    connect(barre, &QScrollBar::valueChanged, this, [this, barre](int v) { suit_journal_ = v >= barre->maximum(); });
}

void TMain1::Ajoute_log(bool efface, std::string_view piece)
{
    if (efface) TextL3->clear();
    if (!piece.empty()) {
        QTextCursor fin(TextL3->document());
        fin.movePosition(QTextCursor::End);
        fin.insertText(Texte(piece));
    }
    // New text brings the newest line into view.
    suit_journal_ = true;
    QScrollBar* barre = TextL3->verticalScrollBar();
    barre->setValue(barre->maximum());
}

void TMain1::Affiche_progression(int minimum, int maximum, int position, bool visible)
{
    // During a batch the bar counts the images, not the steps of each one.
    if (lot_total_ > 0) return;
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
    // A pause of a command started from a paused step ends alone: the step
    // below it still waits for its own GO, unless stepping was switched off.
    if (!en_pause && profondeur_pause_ > 0 && !fermeture_ && Mode_trace == 1) Pause_flag = 1;
    Grise_commandes();
    Affiche_stop_go();
}

void TMain1::Grise_commandes()
{
    const bool actif = profondeur_pause_ == 0 && commandes_en_cours_ == 0;
    for (QAction* a : actions_liberant_) a->setEnabled(actif);
    for (QWidget* b : boutons_liberant_) b->setEnabled(actif);
}

void TMain1::Commande_longue(const std::function<void()>& commande)
{
    // A Stop asked for the previous command does not end this one.
    if (commandes_en_cours_ == 0) Demande_arret(false);
    commandes_en_cours_++;
    Grise_commandes();
    commande();
    commandes_en_cours_--;
    if (commandes_en_cours_ == 0) Demande_arret(false);
    Grise_commandes();
    Affiche_stop_go();
}

void TMain1::Commande_repeinte(const std::function<void()>& commande)
{
    Commande_longue(commande);
    Repeint();
}

void TMain1::Affiche_stop_go()
{
    const bool go = Pause_flag == 1;
    StopP1->setText(go ? "GO !" : "Stop");
    StopP1->setFrameStyle(QFrame::Panel | (go ? QFrame::Sunken : QFrame::Raised));
}

bool TMain1::Saisie_form1(std::string& texte, std::string_view invite)
{
    if (!form1_) {
        form1_propre_ = std::make_unique<TForm1>();
        form1_ = form1_propre_.get();
    }
    form1_->Edit1->setText(Texte(texte));
    form1_->Label1->setText("- " + Texte(invite));
    Centre_sur_fenetre(*form1_);
    if (interactions_->Execute_form1(*form1_) != QDialog::Accepted) return false;
    texte = form1_->Edit1->text().toStdString();
    return true;
}

void TMain1::Centre_sur_fenetre(QWidget& dialogue) const
{
    QRect r = dialogue.frameGeometry();
    r.moveCenter(frameGeometry().center());
    dialogue.move(r.topLeft());
}

// ---- Window events -------------------------------------------------------------

bool TMain1::eventFilter(QObject* o, QEvent* e)
{
    if (o == EditMain1) {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) return false;
            const QString t = k->text();
            if (t.size() == 1 && t[0].unicode() < 128 && Touche_mode(static_cast<char>(t[0].unicode()))
                && Mode_trace == 0 && profondeur_pause_ > 0 && Pause_flag == 1)
                StopP1Click();  // stepping switched off: the pause in force ends too
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

void TMain1::Repeint()
{
    // No coordinates of a closed image stay in the label.
    if (!Plan_courant || Etat_affichage == 3) Label1->setText("Plan Image");
    ImageW1_->Rafraichit();
}

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


void TMain1::StopP1Click()
{
    // While a command runs outside a pause, Stop ends it at its next
    // candidate or image; the panel stays down until it has.
    if (commandes_en_cours_ > 0 && Pause_flag == 0 && Mode_trace == 0) {
        Demande_arret(true);
        StopP1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return;
    }
    Clic_stop_go();
    Affiche_stop_go();
}

void TMain1::resizeEvent(QResizeEvent* e)
{
    // The right column, and the log in it, take a third of the width gained
    // over the first size.
    BoutonsP1->setFixedWidth(std::max(145, 145 + (width() - 610) / 3));
    QMainWindow::resizeEvent(e);
}
