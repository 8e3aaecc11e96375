// The desktop window, driven offscreen: dialogs, boxes and sounds are
// answered by a recording provider instead of a person.
#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QRegularExpression>
#include <QTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QWheelEvent>
#include <QToolButton>
#include <QtTest>

#include <signal.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <stdexcept>
#include <functional>
#include <set>

#include "port/shell.h"
#include "app/window/application.h"
#include "app/window/fimgc.h"
#include "app/window/form1.h"
#include "app/window/image_w1.h"
#include "app/window/interactions.h"
#include "app/window/main1.h"
#include "draw/image_couleur.h"
#include "spotting/spotting_groupes.h"
#include "vecto/arcs.h"
#include "image/planes.h"
#include "tests/support/support.h"
#include "vecto/records.h"

namespace fs = std::filesystem;

namespace {

class InteractionsTest : public Interactions {
public:
    struct Boite { QString texte, titre; };
    struct Dialogue { QString nom, filtre; int index = 1; bool multiple = false; };
    // File dialog answers, "" for Cancel; several paths to open are joined by '\n'.
    std::deque<QString> reponses;
    std::vector<Dialogue> dialogues;
    std::vector<Boite> boites;
    std::function<int(TForm1&)> form;
    std::function<void(TFImgC&)> fimgc;
    std::function<void()> pendant_dialogue;  // runs while a file-open dialog is up
    int bips_fin = 0, bips_courts = 0, fimgc_montree = 0;

    QStringList Fichiers_a_ouvrir(QWidget*, const ReglageOuverture& r) override
    {
        dialogues.push_back({r.repertoire, r.filtres.join(";;"), r.index, r.multiple});
        if (pendant_dialogue) pendant_dialogue();
        return Reponse().split('\n', Qt::SkipEmptyParts);
    }
    QString Fichier_a_enregistrer(QWidget*, const QString& nom, const QString& filtre) override
    {
        dialogues.push_back({nom, filtre});
        return Reponse();
    }
    void Boite_message(QWidget*, const QString& texte, const QString& titre) override { boites.push_back({texte, titre}); }
    int Execute_form1(TForm1& f) override { return form ? form(f) : int(QDialog::Rejected); }
    void Execute_fimgc(TFImgC& f) override
    {
        fimgc_montree++;
        if (fimgc) fimgc(f);
    }
    void Bip_fin() override { bips_fin++; }
    void Bip_court() override { bips_courts++; }

private:
    QString Reponse()
    {
        if (reponses.empty()) return {};
        QString r = reponses.front();
        reponses.pop_front();
        return r;
    }
};

// Captions of a menu in order, a submenu's items after its caption and " > ".
QStringList Textes(const QMenu* m, const QString& prefixe = {})
{
    QStringList l;
    for (QAction* a : m->actions()) {
        if (a->isSeparator()) l << prefixe + "-";
        else if (a->menu()) l << Textes(a->menu(), prefixe + a->text() + " > ");
        else l << prefixe + a->text();
    }
    return l;
}

template <class T>
size_t Compte(const T* tete)
{
    size_t n = 0;
    for (; tete; tete = tete->suivant) n++;
    return n;
}

template <class T>
QString Etat(const T* o) { return o->isEnabled() ? "on" : "off"; }

}  // namespace

class TestFenetre : public QObject {
    Q_OBJECT
    QTemporaryDir rep_;
    fs::path dep_;
    TMain1* w_ = nullptr;
    InteractionsTest* it_ = nullptr;

    void Charge(int larg, int haut)
    {
        tmtest::Image_blanche(larg, haut);
        Frontend_courant().repaint();
    }
    // The commands greyed while a command runs or pauses, and some that stay.
    std::vector<QAction*> Actions_liberant() const
    {
        return {w_->Ouvrir1,   w_->Fermer1,       w_->OuvrirLot1,     w_->CopieP2P11,  w_->AxeMedian1,
                w_->Pretraitement1, w_->Contours1, w_->NettoyageCC1, w_->Caractres1,   w_->Auction1,
                w_->Gsignature1, w_->Greedy1,     w_->Vectorisation2, w_->Graphe2,     w_->Symboles1,
                w_->GraphforSimgraph1};
    }
    std::vector<QWidget*> Boutons_liberant() const { return {w_->Vectorisation1, w_->Texte1, w_->LiaisonsB1, w_->CyclesB1}; }
    std::vector<QAction*> Actions_sures() const
    {
        return {w_->ZoomIn1, w_->EffacerP21, w_->Vecteurs2, w_->Graphe1, w_->Caractres2, w_->AfficheCouleur1,
                w_->Reconnaitre1, w_->Version1};
    }
    void Souris(QEvent::Type type, QPoint p)
    {
        QMouseEvent e(type, QPointF(p), w_->ImageW1_->mapToGlobal(QPointF(p)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w_->ImageW1_, &e);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(rep_.isValid());
        dep_ = fs::current_path();
        // The fake matchers are put in the working directory.
        qputenv("TRACEMORPH_LOCAL_PROGRAMS", "1");
        tmtest::Ecrit_param(rep_.path().toStdString(), tmtest::Parametres_defaut());
        fs::current_path(rep_.path().toStdString());
    }
    void cleanupTestCase() { fs::current_path(dep_); }

    void init()
    {
        tmtest::Remise_a_zero();
        it_ = new InteractionsTest;
        w_ = new TMain1(it_);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_));
    }
    void cleanup()
    {
        delete w_;
        w_ = nullptr;
        tmtest::Remise_a_zero();
        Image_couleur = {};
    }

    // A fatal error at start is shown, and the exit status says it failed.
    void erreur_fatale_sort_en_echec()
    {
        std::string montre;
        const auto boite = [&](const std::string& t) { montre = t; };
        QCOMPARE(Execution_gardee([] { return 0; }, boite), 0);
        QCOMPARE(Execution_gardee([]() -> int { throw std::runtime_error("no display"); }, boite), 1);
        QCOMPARE(montre, std::string("no display"));
    }

    void fenetre_au_demarrage()
    {
        QCOMPARE(w_->windowTitle(), QString("Tracemorph"));
        QCOMPARE(QString::fromStdString(Rep_travail), rep_.path());
        QCOMPARE(QString::fromStdString(Rep_courant), rep_.path());
        QCOMPARE(w_->centralWidget()->size(), QSize(610, 480));
        QCOMPARE(w_->ImageW1_->size(), QSize(610 - 145, 480 - 30));
        QCOMPARE(w_->DebugL2->text(), QString("Debug"));
        QVERIFY(w_->DebugL2->font().bold());
        QCOMPARE(w_->EditMain1->text(), QString("0"));
        QCOMPARE(w_->CycleL1->text(), QString("Cycle : 1"));
        QCOMPARE(w_->Label1->text(), QString("Plan Image"));
        QCOMPARE(w_->StopP1->text(), QString("Stop"));
        QCOMPARE(w_->Plan2_1->text(), QString("Plan1/2"));
        QCOMPARE(w_->ProgressBar1->maximum(), 100);
        QVERIFY(w_->ProgressBar1->isVisible());
        QVERIFY(!w_->ImageW1_->HorzScrollBar->isVisible() && !w_->ImageW1_->VertScrollBar->isVisible());

        const QList<QPushButton*> boutons = w_->GroupBoxBtns->findChildren<QPushButton*>();
        QStringList textes;
        for (QPushButton* b : boutons) textes << b->text() + (b->isEnabled() ? "" : " (off)");
        QCOMPARE(textes, QStringList({"Vectorisation", "Graph construction", "Not used", "Symbol spotting",
                                      "Text spotting", "Arc spotting", "Complete analysis"}));
    }

    void arbre_des_menus()
    {
        QStringList menus;
        QList<QStringList> items;
        for (QAction* a : w_->menuBar()->actions()) {
            menus << a->text();
            items << Textes(a->menu());
        }
        // One Alt key for each menu of the bar.
        QCOMPARE(menus, QStringList({"&File", "&Images", "&Processing", "P&rimitives", "&Symbols", "S&ave", "Se&ttings",
                                     "&Help"}));
        const QList<QStringList> attendu = {
            {"&Open...", "&Close", "&Save P2", "&Batch Processing", "&Information", "-", "&Exit"},
            {"Zoom &In", "Zoom &Out", "&Fit to window", "&Delete Plan 2", "&Copy P2 -> P1", "Color Image > Display",
             "Color Image > Erase", "Color Image > Save in file"},
            {"&Median axis", "Preprocessing", "Contours vect. + CC", "CC cleaning", "&Recognition > SimGraph1",
             "&Recognition > Auction", "&Recognition > Gsignature", "&Recognition > Greedy"},
            {"&Vectors", "&Quadrilaterals", "&Connected Components", "&Squeleton", "Complete &Graph ",
             "Graph with colors (quad)", "Selective Graph", "Selective Quad. "},
            {"Bounding boxes", "Colored Quad.", "-", "Method of param.dat", "Method 0: score regions",
             "Method 1: stroke groups and models"},
            {"&Connected components", "&Vectors and Quads", "&Graph (GXL + TXT)", "&Symbols", "Graph for Simgraph"},
            {"Vectorisation", "Graph"},
            {"&Version", "&Help"},
        };
        for (int i = 0; i < attendu.size(); i++) QCOMPARE(items[i], attendu[i]);
        // The keys of the commands used most.
        const std::pair<QAction*, const char*> touches[] = {
            {w_->Ouvrir1, "Ctrl+O"}, {w_->SauverP21, "Ctrl+S"}, {w_->Quitter1, "Ctrl+Q"}, {w_->Aide1, "F1"},
            {w_->ZoomIn1, "Ctrl++"}, {w_->ZoomOut1, "Ctrl+-"}, {w_->Ajuste1, "Ctrl+0"},
        };
        for (const auto& [a, touche] : touches) QCOMPARE(a->shortcut(), QKeySequence(touche));
        // The log is in a fixed-width font, readable, and grows with the window.
        QVERIFY(w_->TextL3->font().fixedPitch());
        QVERIFY(QFontInfo(w_->TextL3->font()).pixelSize() >= 11);
        const QSize journal = w_->TextL3->size();
        w_->resize(w_->width() + 300, w_->height() + 200);
        QTRY_VERIFY(w_->TextL3->width() >= journal.width() + 90 && w_->TextL3->height() >= journal.height() + 190);
    }

    // The Symbols menu's method overrides param.dat's, one checked at a time.
    void methode_de_spotting()
    {
        tmtest::Ecrit_param(rep_.path().toStdString(), [] {
            auto p = tmtest::Parametres_defaut();
            p["Methode_spotting"] = "1";
            return p;
        }());
        QVERIFY(w_->MethodeParam1->isChecked());
        QCOMPARE(Methode_spotting(), 1);
        w_->MethodeRegions1->trigger();
        QVERIFY(w_->MethodeRegions1->isChecked() && !w_->MethodeParam1->isChecked());
        QCOMPARE(Methode_spotting(), 0);
        w_->MethodeGroupes1->trigger();
        QCOMPARE(Methode_spotting(), 1);
        w_->MethodeParam1->trigger();
        QCOMPARE(Methode_spotting(), 1);
        tmtest::Ecrit_param(rep_.path().toStdString(), tmtest::Parametres_defaut());
        QCOMPARE(Methode_spotting(), 0);
    }

    void boites_d_information()
    {
        w_->Version1->trigger();
        w_->Aide1->trigger();
        w_->ReglageVecto1->trigger();
        w_->ReglageGraphe1->trigger();
        w_->NonUtilise1->click();
        w_->TexteSpot1->click();
        w_->ArcSpot1->click();
        QCOMPARE(it_->boites.size(), size_t(7));
        QVERIFY(it_->boites[0].texte.startsWith("Tracemorph V2.0\n\n"));
        QVERIFY(it_->boites[0].texte.endsWith("\nLast modif. 14/03/2007"));
        QCOMPARE(it_->boites[0].titre, QString("Info Version"));
        QCOMPARE(it_->boites[1].texte, QString("Not available yet ! Ask me."));
        QCOMPARE(it_->boites[1].titre, QString("Info..."));
        for (size_t i = 2; i < 7; i++) {
            QCOMPARE(it_->boites[i].texte, QString("To do..."));
            QCOMPARE(it_->boites[i].titre, QString("TODO"));
        }
        QCOMPARE(QString::fromStdString(Texte_log()), QString());
    }

    void panneau_du_journal()
    {
        struct Cas { std::function<void()> ecrit; QString attendu; };
        const std::vector<Cas> cas = {
            {[] { Ecrit_texte(0, "abc"); }, "abc"},
            {[] { Ecrit_texte(1, "abc"); }, "\nabc"},
            {[] { Ecrit_texte(0, "x"); Ecrit_texte(2, "abc"); }, "\n\nabc"},
            {[] { Ecrit_texte(1, "* Nb de vecteurs : "); Ecrit_nombre(0, 7); }, "\n* Nb de vecteurs :  7 "},
            {[] { Ecrit_texte(0, "a"); Ecrit_nombre(1, -3); }, "a\n -3 "},
            {[] { Ecrit_texte(1, "Graphe Sauvé..."); }, QString::fromUtf8("\nGraphe Sauvé...")},
        };
        for (const Cas& c : cas) {
            Efface_texte();
            c.ecrit();
            QCOMPARE(w_->TextL3->toPlainText(), c.attendu);
        }
    }

    // The log panel is a read-only view that wraps long lines, keeps the
    // newest line in view at any window size, scrolls and copies.
    void panneau_du_journal_lisible()
    {
        QPlainTextEdit* vue = w_->TextL3;
        Efface_texte();
        std::string tout;  // 200 short lines, then one longer than the column
        for (int i = 0; i <= 200; i++) {
            const std::string ligne = i < 200 ? "ligne " + std::to_string(i)
                                              : " * score = 4.321000e-01  * a1 = 12 _ a2 = 102  - Creation d'un ArcQV  -T*0*3 ";
            Ecrit_texte(1, ligne);
            tout += "\n" + ligne;
        }
        QCOMPARE(Texte_log(), tout);
        const auto derniere_visible = [vue] {
            QCoreApplication::processEvents();
            QTextCursor fin(vue->document());
            fin.movePosition(QTextCursor::End);
            return vue->viewport()->rect().contains(vue->cursorRect(fin).center());
        };
        const auto premiere_visible = [vue] {
            return vue->viewport()->rect().contains(vue->cursorRect(QTextCursor(vue->document())).center());
        };
        for (const QSize taille : {QSize(610, 480 + w_->menuBar()->height()), QSize(900, 300), QSize(500, 900)}) {
            w_->resize(taille);
            QVERIFY2(derniere_visible(), qPrintable(QString("%1x%2").arg(taille.width()).arg(taille.height())));
            QVERIFY(!premiere_visible());
        }
        // The long line wraps inside the column instead of being clipped.
        QVERIFY(vue->document()->lastBlock().layout()->lineCount() > 1);
        QCOMPARE(vue->horizontalScrollBar()->maximum(), 0);
        // Scrolling back shows the first lines; copying gives the text.
        vue->verticalScrollBar()->setValue(0);
        QVERIFY(premiere_visible());
        vue->selectAll();
        vue->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(tout));
        // New text brings the newest line back into view.
        Ecrit_texte(1, "fin");
        QVERIFY(derniere_visible());
    }

    void barre_de_progression()
    {
        Progression_init(1, 3);
        QVERIFY(w_->ProgressBar1->isVisible());
        Progression_pas();
        QCOMPARE(w_->ProgressBar1->value(), 1);
        Progression_pas();
        Progression_pas();
        QVERIFY(!w_->ProgressBar1->isVisible());
    }

    void case_du_mode()
    {
        QLineEdit* e = w_->EditMain1;
        e->setFocus();
        const struct { Qt::Key touche; char texte; const char* boite; int mode; } cas[] = {
            {Qt::Key_5, '5', "0", 0},       {Qt::Key_A, 'a', "0", 0}, {Qt::Key_1, '1', "1", 1},
            {Qt::Key_Backspace, 0, "1", 1}, {Qt::Key_7, '7', "1", 1}, {Qt::Key_0, '0', "0", 0},
        };
        for (const auto& c : cas) {
            if (c.texte) QTest::keyClick(e, c.texte);
            else QTest::keyClick(e, c.touche);
            QCOMPARE(e->text(), QString(c.boite));
            QCOMPARE(Mode_trace, c.mode);
        }
    }

    void stop_go_hors_pause()
    {
        QTest::mouseClick(w_->StopP1, Qt::LeftButton);
        QCOMPARE(w_->StopP1->text(), QString("GO !"));
        QCOMPARE(Pause_flag, 1);
        QCOMPARE(w_->StopP1->frameShadow(), QFrame::Sunken);
        QTest::mouseClick(w_->StopP1, Qt::LeftButton);
        QCOMPARE(w_->StopP1->text(), QString("Stop"));
        QCOMPARE(w_->StopP1->frameShadow(), QFrame::Raised);
        QCOMPARE(Pause_flag, 0);
    }

    // A pause waits in the event loop until the panel is clicked; meanwhile
    // the commands that would free the paused step's data are greyed.
    void pause_terminee_par_un_clic()
    {
        Charge(50, 40);
        QStringList vu;
        QTimer::singleShot(50, this, [&] {
            vu << w_->StopP1->text();
            for (QAction* a : Actions_liberant()) vu << Etat(a);
            for (QWidget* b : Boutons_liberant()) vu << Etat(b);
            for (QAction* a : Actions_sures()) vu << Etat(a);
            w_->Fermer1->trigger();  // greyed: must do nothing
            QTest::mouseClick(w_->StopP1, Qt::LeftButton);
        });
        QCOMPARE(Signal_pause(), 1);
        QCOMPARE(vu, QStringList("GO !") + QStringList(qsizetype(Actions_liberant().size() + Boutons_liberant().size()), "off")
                         + QStringList(qsizetype(Actions_sures().size()), "on"));
        QCOMPARE(it_->bips_courts, 1);
        QVERIFY(Plan_courant == &Plan1);
        QCOMPARE(w_->StopP1->text(), QString("Stop"));
        QVERIFY(w_->Ouvrir1->isEnabled() && w_->Fermer1->isEnabled() && w_->Vectorisation1->isEnabled());
        QCOMPARE(Pause_flag, 0);
    }

    // A long step lets the window handle its events; a Close or a second
    // vectorisation started from there would free the records it works on.
    void commandes_grisees_pendant_un_traitement()
    {
        it_->reponses = {QString(TM_TEST_DATA "/bath_plan.bmp")};
        w_->Ouvrir1->trigger();
        QVERIFY(Plan_courant == &Plan1);
        bool vu_pendant = false;
        QStringList etats;
        QTimer::singleShot(0, this, [&] {
            vu_pendant = QString::fromStdString(Texte_log()).indexOf("Vecto. Ok.") < 0;
            for (QAction* a : {w_->Ouvrir1, w_->Fermer1, w_->Contours1, w_->CopieP2P11})
                etats << (a->isEnabled() ? "on" : "off");
            etats << (w_->Vectorisation1->isEnabled() ? "on" : "off") << (w_->Texte1->isEnabled() ? "on" : "off");
            w_->Fermer1->trigger();
            w_->Vectorisation1->click();
        });
        w_->Vectorisation1->click();
        QVERIFY(vu_pendant);
        QCOMPARE(etats, QStringList({"off", "off", "off", "off", "off", "off"}));
        QVERIFY(Plan_courant == &Plan1);
        QVERIFY(Liste_quads != nullptr);
        QCOMPARE(it_->bips_fin, 1);
        QVERIFY(w_->Fermer1->isEnabled() && w_->Vectorisation1->isEnabled());
    }

    // A positive zoom level keeps one pixel in level + 1, a negative one
    // repeats each pixel |level| + 1 times, down to -5. The bars, the
    // read-out, the clicks and Affiche_P2 go by the displayed scale, and the
    // view shows what a command draws at once.
    void zoom_a_l_echelle_affichee()
    {
        Charge(300, 200);  // the image area is 465 x 450
        tmtest::Rectangle_noir(Plan1, 40, 30, 41, 31);  // picture rows 29 and 30
        ImageW1* vue = w_->ImageW1_;
        QScrollBar* h = vue->HorzScrollBar;
        const auto noir = [&](int x, int y) { return vue->grab().toImage().pixelColor(x, y) == QColor(Qt::black); };
        const struct { int niveau; QSize affichee; bool barre_h; QPoint client; QString etiquette; QPoint encre, blanc; } cas[] = {
            {1, {150, 100}, false, {20, 15}, "Plan 1 (40,30):1", {20, 15}, {21, 15}},
            {0, {300, 200}, false, {40, 30}, "Plan 1 (40,30):1", {40, 29}, {42, 29}},
            {-1, {600, 400}, true, {81, 61}, "Plan 1 (40,30):1", {80, 58}, {84, 58}},
            {-1, {600, 400}, true, {79, 61}, "Plan 1 (39,30):0", {83, 61}, {83, 62}},
            {-5, {1800, 1200}, true, {245, 185}, "Plan 1 (40,30):1", {240, 174}, {252, 174}},
        };
        for (const auto& c : cas) {
            while (Niveau_zoom < c.niveau) w_->ZoomOut1->trigger();
            while (Niveau_zoom > c.niveau) w_->ZoomIn1->trigger();
            QCOMPARE(ImageW1::Taille_affichee(), c.affichee);
            QVERIFY(Plan_courant == &Plan1);
            QCOMPARE(h->isVisible(), c.barre_h);
            // The bar's range is the displayed picture less what is in view.
            const int en_vue = vue->width() - (vue->VertScrollBar->isVisible() ? vue->VertScrollBar->width() : 0);
            if (c.barre_h) QCOMPARE(h->maximum(), c.affichee.width() - en_vue);
            h->setValue(0);
            vue->VertScrollBar->setValue(0);
            Souris(QEvent::MouseMove, c.client);
            QCOMPARE(w_->Label1->text(), c.etiquette);
            QVERIFY(noir(c.encre.x(), c.encre.y()));
            QVERIFY(!noir(c.blanc.x(), c.blanc.y()));
        }
        // -5 is the floor: Zoom In only beeps there.
        w_->ZoomIn1->trigger();
        QCOMPARE(Niveau_zoom, -5);
        QCOMPARE(it_->bips_fin, 1);
        // Scrolled by 30 displayed pixels at factor 6: 5 plane pixels.
        h->setValue(30);
        Souris(QEvent::MouseMove, {215, 185});
        QCOMPARE(w_->Label1->text(), QString("Plan 1 (40,30):1"));

        // At level -2 a click blackens the Plan2 pixel under it; Affiche_P2
        // puts its point at the top-left corner; drawing shows at that scale.
        while (Niveau_zoom < -2) w_->ZoomOut1->trigger();
        h->setValue(0);
        vue->VertScrollBar->setValue(0);
        Souris(QEvent::MouseButtonRelease, {151, 92});
        QCOMPARE(Lit_pixel(50, 30, Plan2), 1);
        Affiche_P2(60, 40);
        QCOMPARE(vue->Point_plan({0, 0}), QPoint(60, 40));
        QCOMPARE(vue->Point_ecran({61, 42}), QPoint(3, 6));
        Liste_vecteurs = tmtest::Nouveau_vecteur(70, 50, 120, 50);
        w_->Vecteurs2->trigger();
        QVERIFY(Plan_courant == &Plan2);
        QCOMPARE(Lit_pixel(90, 50, Plan2), 1);
        QVERIFY(noir(3 * (90 - 60), 3 * (49 - 40)));
        QVERIFY(!noir(3 * (90 - 60), 3 * (49 - 40) - 4));
        // The plane toggle keeps the level.
        w_->Plan2_1->click();
        QCOMPARE(Niveau_zoom, -2);
        QVERIFY(Plan_courant == &Plan1);

        // Fit to window: the largest scale at which the whole plane is in view.
        const struct { int l, h, niveau; } ajuste[] = {{300, 200, 0}, {100, 80, -3}, {1000, 700, 2}, {20, 10, -5}, {465, 451, 1}};
        for (const auto& c : ajuste) {
            Charge(c.l, c.h);
            w_->Ajuste1->trigger();
            QCOMPARE(Niveau_zoom, c.niveau);
            QVERIFY(!h->isVisible() && !vue->VertScrollBar->isVisible());
        }
    }

    void etiquette_du_plan_sous_la_souris()
    {
        Charge(100, 80);
        tmtest::Rectangle_noir(Plan1, 10, 10, 12, 12);
        Souris(QEvent::MouseMove, {0, 0});
        QCOMPARE(w_->Label1->text(), QString("Plan 1 (0,0):0"));
        Souris(QEvent::MouseMove, {11, 12});
        QCOMPARE(w_->Label1->text(), QString("Plan 1 (11,12):1"));
        // Zoomed by 2: the point and the pixel are those of the source.
        w_->ZoomOut1->trigger();
        Souris(QEvent::MouseMove, {5, 5});
        QCOMPARE(w_->Label1->text(), QString("Plan 1 (10,10):1"));
        // The label names the plane on screen, and nothing once the image is
        // closed or failed to load.
        Affiche_P2(20, 20);  // as a step-by-step step does
        QCOMPARE(w_->Label1->text(), QString("Plan 2"));
        Souris(QEvent::MouseMove, {3, 4});
        QVERIFY(w_->Label1->text().startsWith("Plan 2 ("));
        w_->Plan2_1->click();
        QCOMPARE(w_->Label1->text(), QString("Plan 1"));
        Souris(QEvent::MouseMove, {3, 4});
        w_->Fermer1->trigger();
        QCOMPARE(w_->Label1->text(), QString("Plan Image"));
        Souris(QEvent::MouseMove, {5, 5});
        QCOMPARE(w_->Label1->text(), QString("Plan Image"));
        it_->reponses = {rep_.filePath("absent.bmp")};
        w_->Ouvrir1->trigger();
        QVERIFY(!Plan_courant);
        QCOMPARE(w_->Label1->text(), QString("Plan Image"));
        QCOMPARE(it_->boites.back().texte,
                 "Error in Image file !\n" + rep_.filePath("absent.bmp") + ": No such file or directory");
    }

    void clic_noircit_plan2()
    {
        Charge(100, 80);
        Souris(QEvent::MouseButtonRelease, {20, 30});
        QCOMPARE(Lit_pixel(20, 30, Plan2), 1);
        QCOMPARE(Lit_pixel(20, 30, Plan1), 0);
        w_->Plan2_1->click();
        QCOMPARE(Etat_affichage, 2);
        QVERIFY(Plan_courant == &Plan2);
        QCOMPARE(w_->Label1->text(), QString("Plan 2"));
        // Painted at the client row above: plane row y is picture row y - 1.
        const QImage vue = w_->ImageW1_->grab().toImage();
        QCOMPARE(vue.pixelColor(20, 29), QColor(Qt::black));
        QCOMPARE(vue.pixelColor(21, 29), QColor(Qt::white));
        w_->Plan2_1->click();
        QCOMPARE(w_->Label1->text(), QString("Plan 1"));
        QVERIFY(Plan_courant == &Plan1);
    }

    void affiche_p2_pres_du_bord_droit()
    {
        Charge(1000, 800);
        ImageW1* zone = w_->ImageW1_;
        Affiche_P2(990, 10);
        QCOMPARE(Etat_affichage, 2);
        QVERIFY(Plan_courant == &Plan2);
        QCOMPARE(zone->HorzScrollBar->value(), 1000 - zone->width());
        QCOMPARE(zone->VertScrollBar->value(), 10);
        Affiche_P2(-50, 790);
        QCOMPARE(zone->HorzScrollBar->value(), 0);
        QCOMPARE(zone->VertScrollBar->value(), 800 - zone->height());
    }

    void barres_de_defilement()
    {
        ImageW1* zone = w_->ImageW1_;
        const int W = zone->width(), H = zone->height();
        const int Hs = zone->HorzScrollBar->sizeHint().height(), Wv = zone->VertScrollBar->sizeHint().width();
        const struct { int w, h; bool horz, vert; } cas[] = {
            {100, 100, false, false},      {W, H, false, false},         {W + 1, 100, true, false},
            {W + 1, H - Hs + 1, true, true}, {100, H + 1, false, true},   {W - Wv + 1, H + 1, true, true},
            {2480, 3508, true, true},
        };
        for (const auto& c : cas) {
            Charge(c.w, c.h);
            QCOMPARE(zone->HorzScrollBar->isVisible(), c.horz);
            QCOMPARE(zone->VertScrollBar->isVisible(), c.vert);
            if (c.horz) {
                const int vue = c.vert ? W - Wv : W;
                QCOMPARE(zone->HorzScrollBar->maximum(), c.w - vue);
                QCOMPARE(zone->HorzScrollBar->width(), vue - 1);
                QCOMPARE(zone->HorzScrollBar->singleStep(), std::max(1, c.w / 10));
            }
            if (c.vert) QCOMPARE(zone->VertScrollBar->maximum(), c.h - (c.horz ? H - Hs : H));
        }
        // A scrolled A4 page paints the part the bars point at.
        tmtest::Rectangle_noir(Plan1, 1500, 2000, 1500, 2000);
        zone->HorzScrollBar->setValue(1490);
        zone->VertScrollBar->setValue(1990);
        const QImage vue = zone->grab().toImage();
        QCOMPARE(vue.pixelColor(10, 9), QColor(Qt::black));
        QCOMPARE(vue.pixelColor(10, 10), QColor(Qt::white));
    }

    void ouvrir_puis_fermer_un_dessin()
    {
        it_->reponses = {""};
        w_->Ouvrir1->trigger();
        QVERIFY(!Plan_courant);
        QCOMPARE(it_->dialogues.back().filtre,
                 QString("All images (*.bmp *.tif *.tiff *.jpg *.jpeg *.png *.gif);;Images BMP (*.bmp);;"
                         "Images JPG (*.jpg *.jpeg);;Images GIF (*.gif);;Images TIF (*.tif *.tiff);;Images PNG (*.png)"));
        QCOMPARE(it_->dialogues.back().nom, rep_.path());

        it_->reponses = {QString(TM_TEST_DATA "/bath_plan.bmp")};
        w_->Ouvrir1->trigger();
        QVERIFY(Plan_courant == &Plan1);
        QCOMPARE(Etat_affichage, 1);
        // The next Open starts where the last one was left.
        it_->reponses = {""};
        w_->Ouvrir1->trigger();
        QCOMPARE(it_->dialogues.back().nom, QString(TM_TEST_DATA));
        QVERIFY(Plan_courant == &Plan1);
        QCOMPARE(w_->windowTitle(), QString("Tracemorph : bath_plan.bmp"));
        QCOMPARE(w_->Label1->text(), QString("Plan 1"));
        QVERIFY(w_->ImageW1_->HorzScrollBar->isVisible() && w_->ImageW1_->VertScrollBar->isVisible());
        QVERIFY(!w_->ImageW1_->grab().isNull());

        w_->CycleL1->setText("Cycle : 9");
        w_->Fermer1->trigger();
        QVERIFY(!Plan_courant);
        QCOMPARE(Etat_affichage, 3);
        QCOMPARE(w_->windowTitle(), QString("Tracemorph"));
        QCOMPARE(w_->CycleL1->text(), QString("Cycle : 1"));
        QVERIFY(!w_->ImageW1_->HorzScrollBar->isVisible() && !w_->ImageW1_->VertScrollBar->isVisible());
        const QStringList lignes = QString::fromStdString(Texte_log()).split('\n');
        QCOMPARE(lignes.size(), 13);
        QVERIFY(lignes[0].isEmpty());
        for (int i = 1; i < 13; i++) QVERIFY2(lignes[i].startsWith(" Raz ") && lignes[i].endsWith(" :  0 "), qPrintable(lignes[i]));
        // No image: the plane commands do nothing.
        w_->Plan2_1->click();
        w_->ZoomIn1->trigger();
        QVERIFY(!Plan_courant);
        QCOMPARE(Niveau_zoom, 0);
    }

    void vectorisation_sans_image()
    {
        w_->Vectorisation1->click();
        QCOMPARE(QString::fromStdString(Texte_log()), QString("\nVecto. Ok."));
        QCOMPARE(it_->bips_fin, 1);
    }

    void sauve_p2()
    {
        it_->reponses = {rep_.filePath("p2.bmp")};
        w_->SauverP21->trigger();  // no image: nothing written, no beep
        QVERIFY(!QFile::exists(rep_.filePath("p2.bmp")));
        QCOMPARE(it_->bips_fin, 0);
        Charge(40, 30);
        it_->reponses = {""};
        w_->SauverP21->trigger();
        QCOMPARE(it_->bips_fin, 0);
        it_->reponses = {rep_.filePath("p2")};
        w_->SauverP21->trigger();
        QCOMPARE(it_->dialogues.back().nom, QString("plan2"));
        QCOMPARE(it_->dialogues.back().filtre, QString("Images BMP (*.bmp)"));
        QCOMPARE(QFileInfo(rep_.filePath("p2")).size(), qint64(62 + 8 * 30));
        QCOMPARE(it_->bips_fin, 1);
    }

    // The listing's dialog proposes the last name saved.
    void sauve_vecteurs_et_quads()
    {
        const QString f = rep_.filePath("r.laf");
        it_->reponses = {f};
        w_->Vectorisation2->trigger();
        QCOMPARE(it_->dialogues.back().filtre, QString::fromUtf8("résultats (*.laf)"));
        QVERIFY(QFile::exists(f));
        QVERIFY(QString::fromStdString(Texte_log()).endsWith(QString::fromUtf8("\nVecto Sauvée")));
        w_->Vectorisation2->trigger();
        QCOMPARE(it_->dialogues.back().nom, f);
    }

    // Escape in a dialog that names a file writes nothing and asks nothing
    // more; a save that fails says so with its path.
    void annuler_n_ecrit_rien()
    {
        const QDir rep(rep_.path());
        Charge(40, 30);
        w_->EffaceCouleur1->trigger();
        QVERIFY(rep.mkpath("tests"));
        QFile symboles(rep.filePath("tmpsymb.gxl"));
        QVERIFY(symboles.open(QIODevice::WriteOnly) && symboles.write("<symbolist/>") > 0);
        symboles.close();
        const QString laf = rep.filePath("r.laf");
        it_->reponses = {laf};
        w_->Vectorisation2->trigger();  // a name confirmed once ...
        QVERIFY(QFile::remove(laf));
        int questions = 0;
        it_->form = [&](TForm1&) { questions++; return int(QDialog::Rejected); };
        const auto fichiers = [&] { return rep.entryList(QDir::Files) + QDir(rep.filePath("tests")).entryList(QDir::Files); };
        const QStringList avant = fichiers();
        const struct { QAction* commande; int questions; } cas[] = {
            {w_->Vectorisation2, 0},  // ... is not reused by a cancelled dialog
            {w_->Reconnaitre1, 1}, {w_->Symboles1, 1}, {w_->SauveCouleur1, 1}, {w_->Quadslctifs1, 1},
            {w_->Grapheslectif1, 1},
        };
        Nb_quads = 1;  // the selective drawing asks only when there are quadrilaterals
        for (const auto& c : cas) {
            questions = 0;
            it_->reponses = {""};
            c.commande->trigger();
            QVERIFY2(fichiers() == avant, qPrintable(c.commande->objectName() + ": " + fichiers().join(' ')));
            QCOMPARE(questions, c.questions);
            QVERIFY(it_->boites.empty());
        }
        QVERIFY(!QString::fromStdString(Texte_log()).contains("Inf ="));

        const QString interdit = rep.filePath("absent/p2.bmp");
        it_->reponses = {interdit};
        const int bips = it_->bips_fin;
        w_->SauverP21->trigger();
        QCOMPARE(it_->boites.size(), size_t(1));
        QCOMPARE(it_->boites.back().texte, "Ouverture " + interdit + " impossible !\nNo such file or directory");
        QCOMPARE(it_->bips_fin, bips);
    }

    // Open replaces the image only once the new one has loaded: the colour
    // picture starts white at its size; a file that does not load leaves the
    // image, its lists and the log as they were, and says which file and why.
    void ouvrir_remplace_ou_garde_l_image()
    {
        const QDir rep(rep_.path());
        const auto ecrit = [&](const QString& nom, const std::vector<uint8_t>& octets) {
            tmtest::Ecrit_fichier(rep.filePath(nom).toStdString(), octets);
            return rep.filePath(nom);
        };
        const std::vector<uint8_t> b = tmtest::Bmp_1bit(64, 48, true, {"", "", "", "....####"});
        const QString a_bmp = ecrit("a.bmp", tmtest::Bmp_1bit(40, 30, true));
        const QString b_bmp = ecrit("b.bmp", b);
        it_->reponses = {a_bmp};
        w_->Ouvrir1->trigger();
        w_->EffaceCouleur1->trigger();
        Image_couleur.pixels[5 * 40 + 7] = Rgb(255, 0, 0);
        it_->reponses = {b_bmp};
        w_->Ouvrir1->trigger();
        QCOMPARE(Largeur, 64);
        QCOMPARE(Image_couleur.largeur, 64);
        QCOMPARE(Image_couleur.hauteur, 48);
        QVERIFY(std::all_of(Image_couleur.pixels.begin(), Image_couleur.pixels.end(), [](uint32_t p) { return p == Blanc; }));
        QCOMPARE(w_->FImgC().ImgC->pixmap().size(), QSize(64, 48));

        const std::string plan = tmtest::Plan_en_texte(Plan1);
        Liste_vecteurs = tmtest::Nouveau_vecteur(5, 5, 20, 5);
        Ecrit_texte(1, "avant");
        QVERIFY(rep.mkdir("d.bmp"));
        const std::vector<uint8_t> tronque(b.begin(), b.begin() + 100);
        const struct { QString chemin, cause; } cas[] = {
            {rep.filePath("absent.bmp"), "No such file or directory"},
            {rep.filePath("d.bmp"), "is a directory"},
            {ecrit("court.bmp", {'B', 'M', 1, 2}), "too short to be an image: 4 bytes"},
            {ecrit("tronque.bmp", tronque), QString("truncated: 100 of %1 bytes").arg(b.size())},
        };
        for (const auto& c : cas) {
            it_->reponses = {c.chemin};
            w_->Ouvrir1->trigger();
            QCOMPARE(it_->boites.back().texte, "Error in Image file !\n" + c.chemin + ": " + c.cause);
            QCOMPARE(it_->boites.back().titre, QString("Error"));
            QVERIFY(Plan_courant == &Plan1);
            QCOMPARE(Etat_affichage, 1);
            QCOMPARE(tmtest::Plan_en_texte(Plan1), plan);
            QCOMPARE(Hauteur, 48);
            QCOMPARE(w_->windowTitle(), QString("Tracemorph : b.bmp"));
            QCOMPARE(Compte(Liste_vecteurs), size_t(1));
            QVERIFY(QString::fromStdString(Texte_log()).endsWith("\navant"));
        }
    }

    // Stop, clicked while a long command runs, ends it at the next image or
    // test graph: what is done stays, and the log says how much.
    void stop_pendant_une_commande_longue()
    {
        const QDir rep(rep_.path());
        QStringList images;
        for (const char* nom : {"s1.bmp", "s2.bmp", "s3.bmp"}) {
            tmtest::Ecrit_fichier(rep.filePath(nom).toStdString(), tmtest::Bmp_1bit(60, 40, true, {"", "", "..####"}));
            images << rep.filePath(nom);
        }
        // Stop is clicked as soon as the condition holds, from the events the
        // command lets the window handle.
        std::function<bool()> quand;
        QList<int> barre;
        QTimer guet;
        connect(&guet, &QTimer::timeout, this, [&] {
            if (!quand || !quand()) return;
            quand = nullptr;
            barre << w_->ProgressBar1->value();
            QTest::mouseClick(w_->StopP1, Qt::LeftButton);
        });
        guet.start(0);
        quand = [&] { return QFile::exists(images[0] + ".xml"); };
        it_->reponses = {images.join('\n')};
        w_->OuvrirLot1->trigger();
        QCOMPARE(barre, QList<int>({1}));  // the bar counted the first image
        QVERIFY(!QFile::exists(images[1] + ".xml") && !QFile::exists(images[2] + ".xml"));
        QVERIFY(QString::fromStdString(Texte_log()).endsWith("\nBatch done.\n* Stop, faits :  1 "));
        QCOMPARE(w_->StopP1->text(), QString("Stop"));
        QCOMPARE(w_->StopP1->frameShadow(), QFrame::Raised);

        // Recognition: three test graphs, fake matchers; Stop after the first.
        QDir(rep.filePath("tests")).removeRecursively();
        QVERIFY(rep.mkpath("models") && rep.mkpath("tests") && rep.mkpath("simgraph"));
        const auto texte = [&](const QString& nom, const QByteArray& contenu) {
            QFile f(rep.filePath(nom));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size());
        };
        texte("models/m.gxl", "S = 0.9\nM = m\n");
        for (const char* t : {"t1.gxl", "t2.gxl", "t3.gxl"}) texte(QString("tests/") + t, "g");
        texte("simgraph/greedy", "#!/bin/sh\n[ -s \"$2\" ] && cat \"$2\" > result.txt\nexit 0\n");
        QFile::setPermissions(rep.filePath("simgraph/greedy"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        quand = [&] { return QFile::exists(rep.filePath("tests/t1.gxl.res")); };
        w_->Greedy1->trigger();
        QVERIFY(!quand);
        QVERIFY(!QFile::exists(rep.filePath("tests/t2.gxl.res")) && !QFile::exists(rep.filePath("tests/t3.gxl.res")));
        QCOMPARE(QString::fromStdString(Texte_log()), QString("\n\nReco(Ulvane)...\n* Stop, faits :  1 \nDone."));
        // The next command runs whole.
        w_->Greedy1->trigger();
        QVERIFY(QFile::exists(rep.filePath("tests/t3.gxl.res")));
        for (const char* d : {"models", "tests", "simgraph"}) QDir(rep.filePath(d)).removeRecursively();
    }

    // An outside matcher that hangs (with a child of its own): the window
    // keeps handling its events, and Stop ends the matcher's whole group and
    // the command at once, not at the matcher's time limit (60 s here).
    void stop_pendant_un_apparieur_qui_ne_repond_pas()
    {
        const QDir rep(rep_.path());
        QVERIFY(rep.mkpath("models") && rep.mkpath("tests") && rep.mkpath("simgraph"));
        const auto texte = [&](const QString& nom, const QByteArray& contenu) {
            QFile f(rep.filePath(nom));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size());
        };
        texte("models/m.gxl", "S = 0.9\nM = m\n");
        for (const char* t : {"t1.gxl", "t2.gxl"}) texte(QString("tests/") + t, "g");
        const QString marque = rep.filePath("marque");
        texte("simgraph/greedy", ("#!/bin/sh\n[ \"$1\" = --identify ] && exit 1\nsleep 1000 &\necho \"$$ $!\" > " + marque +
                                  ".t\nmv " + marque + ".t " + marque + "\nwait\n")
                                     .toUtf8());
        QFile::setPermissions(rep.filePath("simgraph/greedy"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QElapsedTimer depuis_stop;
        int tours = 0;  // events handled while the matcher runs
        QTimer guet;
        connect(&guet, &QTimer::timeout, this, [&] {
            if (!QFile::exists(marque) || depuis_stop.isValid()) return;
            if (++tours < 3) return;
            depuis_stop.start();
            QTest::mouseClick(w_->StopP1, Qt::LeftButton);
        });
        guet.start(5);
        w_->Greedy1->trigger();
        guet.stop();
        QVERIFY(depuis_stop.isValid());
        const qint64 ms = depuis_stop.elapsed();
        qInfo("Stop to the end of the command: %lld ms", static_cast<long long>(ms));
        // Far below the matcher's limit: Stop did not wait for it.
        QVERIFY2(ms < 20000, qPrintable(QString::number(ms)));
        QFile f(marque);
        QVERIFY(f.open(QIODevice::ReadOnly));
        for (const QByteArray& id : f.readAll().trimmed().split(' ')) {
            const pid_t pid = static_cast<pid_t>(id.toLong());
            QVERIFY(pid > 0);
            // Killed: gone, or a zombie until init reaps it.
            QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) != 0 || [&] {
                QFile st(QString("/proc/%1/stat").arg(pid));
                if (!st.open(QIODevice::ReadOnly)) return true;
                const QByteArray l = st.readAll();
                const int p = l.lastIndexOf(')');
                return p < 0 || l.size() <= p + 2 || l[p + 2] == 'Z';
            }(), 20000);
        }
        QVERIFY(!QFile::exists(rep.filePath("tests/t2.gxl.res")));
        // The outside matcher is named in a box that does not wait (recorded here).
        QVERIFY(std::any_of(it_->boites.begin(), it_->boites.end(),
                            [](const auto& b) { return b.texte.startsWith("Outside program used for greedy: "); }));
        for (const char* d : {"models", "tests", "simgraph"}) QDir(rep.filePath(d)).removeRecursively();
        QFile::remove(marque);
    }

    void sauve_graphe()
    {
        w_->Graphe2->trigger();
        QVERIFY(QFile::exists(rep_.filePath("Rlignaxe.dat")));
        QVERIFY(QFile::exists(rep_.filePath("Rlignaxe.gxl")));
        QCOMPARE(QString::fromStdString(Texte_log()), QString::fromUtf8("\nGraphe Sauvé..."));
        QFile::remove(rep_.filePath("Rlignaxe.gxl"));
        w_->GraphforSimgraph1->trigger();
        QVERIFY(QFile::exists(rep_.filePath("Rlignaxe.gxl")));
        QCOMPARE(it_->bips_fin, 2);
    }

    void saisie_par_form1()
    {
        TForm1 form(w_);
        w_->Attache_form1(&form);
        QCOMPARE(form.windowTitle(), QString("Edit window"));
        QStringList vu;
        it_->form = [&](TForm1& f) {
            vu << f.Label1->text() << f.Edit1->text();
            QTimer::singleShot(0, &f, [&f] {
                f.Edit1->setText("plan.txt");
                QTest::mouseClick(f.OkBtn1, Qt::LeftButton);
            });
            return f.exec();
        };
        std::string texte = "cc";
        Saisie(texte, " Nom du fichier ? ");
        QCOMPARE(vu, QStringList({"-  Nom du fichier ? ", "cc"}));
        QCOMPARE(texte, std::string("plan.txt"));

        it_->form = [&](TForm1& f) {
            QTimer::singleShot(0, &f, [&f] {
                f.Edit1->setText("autre");
                QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
            });
            return f.exec();
        };
        texte = "img.bmp";
        Saisie(texte, "Quel Nom (.bmp) ?");
        QCOMPARE(texte, std::string("img.bmp"));
        w_->Attache_form1(nullptr);
    }

    // Builds bath_plan's graph straight, then again stepping with `pendant`
    // run in the first pause: no pause may follow, and the graph must come
    // out as without stepping.
    void Graphe_pas_a_pas(const std::function<void()>& pendant)
    {
        it_->reponses = {QString(TM_TEST_DATA "/bath_plan.bmp")};
        w_->Ouvrir1->trigger();
        w_->Vectorisation1->click();
        w_->Texte1->click();
        const auto comptes = [] {
            return std::vector<size_t>{Compte(Liste_quads), Compte(Liste_arcs_QQ), Compte(Liste_arcs_VV),
                                       Compte(Liste_arcs_QV)};
        };
        const std::vector<size_t> droit = comptes();
        QVERIFY(droit[1] > 0 && droit[2] > 0);
        QTest::keyClick(w_->EditMain1, '1');
        int pauses = 0;
        bool dedans = false;  // the pauses of commands started by `pendant` are its own business
        QTimer garde;
        connect(&garde, &QTimer::timeout, this, [&] {
            if (Pause_flag != 1 || dedans) return;
            if (++pauses > 1) return QTest::mouseClick(w_->StopP1, Qt::LeftButton);
            dedans = true;
            pendant();
            dedans = false;
        });
        garde.start(5);
        w_->Texte1->click();
        garde.stop();
        QCOMPARE(pauses, 1);
        QCOMPARE(Mode_trace, 0);
        QCOMPARE(w_->StopP1->text(), QString("Stop"));
        QVERIFY(Plan_courant && w_->Ouvrir1->isEnabled() && w_->Texte1->isEnabled());
        QCOMPARE(comptes(), droit);
    }

    // Typing 0 during a pause of the graph construction ends the pause in
    // force and every later one.
    void mode_zero_pendant_une_pause()
    {
        Graphe_pas_a_pas([&] { QTest::keyClick(w_->EditMain1, '0'); });
        QCOMPARE(w_->EditMain1->text(), QString("0"));
    }

    // The wheel over the image scrolls the plane like the bars: down and
    // up, sideways with Shift, never past the ends.
    void molette_sur_l_image()
    {
        Charge(2480, 3508);
        ImageW1* zone = w_->ImageW1_;
        QScrollBar *h = zone->HorzScrollBar, *v = zone->VertScrollBar;
        const int cran_v = std::min(v->singleStep(), v->pageStep() / 2);
        const int cran_h = std::min(h->singleStep(), h->pageStep() / 2);
        const auto tourne = [zone](int delta, Qt::KeyboardModifiers mod) {
            QWheelEvent e(QPointF(50, 50), zone->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, mod, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(zone, &e);
        };
        const struct { int delta; Qt::KeyboardModifiers mod; int x, y; } cas[] = {
            {-120, Qt::NoModifier, 0, cran_v},         {-240, Qt::NoModifier, 0, 3 * cran_v},
            {120, Qt::NoModifier, 0, 2 * cran_v},      {-120, Qt::ShiftModifier, cran_h, 2 * cran_v},
            {12000, Qt::NoModifier, cran_h, 0},        {12000, Qt::ShiftModifier, 0, 0},
            {-120000, Qt::NoModifier, 0, v->maximum()},
        };
        for (const auto& c : cas) {
            tourne(c.delta, c.mod);
            QCOMPARE(h->value(), c.x);
            QCOMPARE(v->value(), c.y);
        }
    }

    // FImgC shows the picture at its own size and colours, modally, from
    // Display, Colored Quad. and Bounding boxes only.
    void fenetre_couleur()
    {
        TFImgC& f = w_->FImgC();
        QImage vue;  // the picture as the window shows it
        it_->fimgc = [&](TFImgC& fc) { vue = fc.ImgC->pixmap().toImage(); };
        w_->AfficheCouleur1->trigger();  // nothing drawn yet: an empty window
        QCOMPARE(it_->fimgc_montree, 1);
        QVERIFY(vue.isNull());

        Charge(40, 30);
        w_->GrapheCouleur1->trigger();  // erases to the image's size, refreshes, does not show
        QCOMPARE(it_->fimgc_montree, 1);
        QCOMPARE(f.ImgC->size(), QSize(40, 30));
        Image_couleur.pixels[2 * 40 + 3] = Rgb(255, 0, 0);
        // Without quadrilaterals the picture is shown as it is.
        for (QAction* a : {w_->AfficheCouleur1, w_->QuadsCouleur1}) {
            vue = {};
            a->trigger();
            QCOMPARE(vue.size(), QSize(40, 30));
            QCOMPARE(vue.pixelColor(3, 2), QColor(255, 0, 0));
            QCOMPARE(vue.pixelColor(0, 0), QColor(255, 255, 255));
        }
        // Bounding boxes draws the (blank) drawing again, with its symbols.
        vue = {};
        w_->Caractres2->trigger();
        QCOMPARE(vue.size(), QSize(40, 30));
        QCOMPARE(vue.pixelColor(3, 2), QColor(255, 255, 255));
        // A sheet larger than the screen: Bounding boxes shows it whole, at
        // the screen's top-left, the proportions kept; Display at its size,
        // opened on its top-left corner.
        Charge(3000, 2000);
        const QRect ecran = f.screen()->availableGeometry();
        w_->Caractres2->trigger();
        QVERIFY(vue.width() <= ecran.width() && vue.height() <= ecran.height());
        QVERIFY(std::abs(vue.width() * 2000 - vue.height() * 3000) <= 3000);
        QCOMPARE(f.pos(), ecran.topLeft());
        f.Defilement->horizontalScrollBar()->setValue(500);
        w_->AfficheCouleur1->trigger();
        QCOMPARE(vue.size(), QSize(3000, 2000));
        QCOMPARE(f.Defilement->horizontalScrollBar()->value(), 0);
        Charge(40, 30);
        w_->EffaceCouleur1->trigger();
        // OK in "Save in file" with the proposed name.
        it_->form = [](TForm1&) { return int(QDialog::Accepted); };
        w_->SauveCouleur1->trigger();
        QCOMPARE(QFileInfo("img.bmp").size(), qint64(54 + 120 * 30));
        QFile::remove("img.bmp");
    }

    // Every menu item and button, with no image and then on top of a paused
    // graph construction: nothing crashes, nothing frees what the paused step
    // uses, a pause of a command started there ends alone, and the graph
    // comes out as without stepping.
    void chaque_commande_sans_image_et_pendant_une_pause()
    {
        std::vector<QAction*> actions;
        std::function<void(QMenu*)> parcourt = [&](QMenu* m) {
            for (QAction* a : m->actions()) {
                if (a->menu()) parcourt(a->menu());
                else if (!a->isSeparator() && a != w_->Quitter1) actions.push_back(a);
            }
        };
        for (QAction* a : w_->menuBar()->actions()) parcourt(a->menu());
        QList<QAbstractButton*> boutons = {w_->Plan2_1};
        for (QPushButton* b : w_->GroupBoxBtns->findChildren<QPushButton*>()) boutons << b;
        const auto tout_cliquer = [&] {
            for (QAction* a : actions) a->trigger();
            for (QAbstractButton* b : boutons) b->click();
        };
        QCOMPARE(actions.size(), size_t(43));  // all but Exit
        tout_cliquer();
        QVERIFY(!Plan_courant);

        bool toujours_en_pause = false, reste_en_pause = true;
        Graphe_pas_a_pas([&] {
            QTimer relache;  // ends the pauses of the commands started from the paused step
            connect(&relache, &QTimer::timeout, this, [&] {
                if (Pause_flag == 1) QTest::mouseClick(w_->StopP1, Qt::LeftButton);
            });
            relache.start(2);
            tout_cliquer();
            relache.stop();
            toujours_en_pause = Pause_flag == 1 && w_->StopP1->text() == "GO !";
            // Stepping switched off in the pause of a drawing started here
            // ends that pause and the paused step's one.
            QTimer::singleShot(20, this, [&] { QTest::keyClick(w_->EditMain1, '0'); });
            w_->Vecteurs2->trigger();
            reste_en_pause = Pause_flag == 1;
        });
        QVERIFY(toujours_en_pause);
        QVERIFY(!reste_en_pause);
    }

    // The analysis buttons one after the other, then "&Save" > "&Symbols":
    // the symbol list copied into tests/ under the name typed, byte for byte.
    void reperage_puis_sauvegarde_des_symboles()
    {
        it_->reponses = {QString(TM_TEST_DATA "/relay_logic.bmp")};
        w_->Ouvrir1->trigger();
        w_->Vectorisation1->click();
        w_->Texte1->click();
        w_->LiaisonsB1->click();
        const QString log = QString::fromStdString(Texte_log());
        QVERIFY2(log.contains(QRegularExpression("\nNb = [1-9][0-9]* - Seuil = [0-9.]+e[-+][0-9]+$")), qPrintable(log));

        QString invite;
        it_->form = [&](TForm1& f) {
            invite = f.Label1->text() + "|" + f.Edit1->text();
            f.Edit1->setText("releve.spt");
            return int(QDialog::Accepted);
        };
        w_->Symboles1->trigger();
        QCOMPARE(invite, QString("- Nom du fichier ?|Result.spt"));
        const fs::path copie = fs::path(Rep_travail) / "tests" / "releve.spt";
        QCOMPARE(it_->boites.back().titre, QString(" - Symbols have been saved in - "));
        QCOMPARE(it_->boites.back().texte, QString::fromStdString(copie.string()));
        const std::string liste = tmtest::Lit_texte(fs::path(Rep_travail) / "tmpsymb.gxl");
        QVERIFY(liste.find("<symbol>") != std::string::npos);
        QCOMPARE(tmtest::Lit_texte(copie), liste);
    }

    // A batch over two drawings chosen in the stubbed dialog (its filter with
    // the wider entry shown, several files): the commands that free the images
    // are greyed all along, the bar counts the images, each image gets its
    // three files and its entry, in the order chosen; the next Open keeps the
    // dialog's settings.
    void lot_de_deux_images()
    {
        const QDir lot(rep_.filePath("lot"));
        QVERIFY(lot.mkpath("."));
        QVERIFY(QFile::copy(TM_TEST_DATA "/relay_logic.bmp", lot.filePath("r.bmp")));
        QVERIFY(QFile::copy(TM_TEST_DATA "/bath_plan.bmp", lot.filePath("b.bmp")));
        it_->reponses = {lot.filePath("r.bmp") + "\n" + lot.filePath("b.bmp")};
        QStringList grises;
        it_->pendant_dialogue = [&] {
            for (QAction* a : Actions_liberant()) grises << Etat(a);
            for (QWidget* b : Boutons_liberant()) grises << Etat(b);
        };
        std::set<std::pair<int, int>> barre;  // (position, maximum) seen while it runs
        QTimer regard;
        connect(&regard, &QTimer::timeout, this, [&] {
            if (w_->ProgressBar1->isVisible()) barre.insert({w_->ProgressBar1->value(), w_->ProgressBar1->maximum()});
        });
        regard.start(0);
        w_->OuvrirLot1->trigger();
        regard.stop();
        QCOMPARE(grises, QStringList(qsizetype(Actions_liberant().size() + Boutons_liberant().size()), "off"));
        const QString filtre = "Fichiers Images  (*.bmp *.tif *.jpg);;"
                               "Fichiers Images (*.bmp *.tif *.tiff *.jpg *.jpeg *.png *.gif)";
        QCOMPARE(it_->dialogues.back().filtre, filtre);
        QCOMPARE(it_->dialogues.back().index, 2);
        QVERIFY(it_->dialogues.back().multiple);
        QVERIFY(!barre.empty());
        for (const auto& [position, maximum] : barre) QCOMPARE(maximum, 2);
        QVERIFY(barre.count({1, 2}));

        for (const char* image : {"r.bmp", "b.bmp"})
            for (const char* suffixe : {".dat", ".gxl", ".xml"})
                QVERIFY2(QFileInfo(lot.filePath(QString(image) + suffixe)).size() > 0, image);
        const QString resultats = QString::fromStdString(tmtest::Lit_texte(fs::path(Rep_travail) / "FINAL_RESULTS.GRE"));
        const qsizetype r = resultats.indexOf("<imagename>r</imagename>"), b = resultats.indexOf("<imagename>b</imagename>");
        QVERIFY(r > 0 && b > r);
        QCOMPARE(QString::fromStdString(Texte_log()), QString("\nBatch done."));
        QVERIFY(!Plan_courant && !w_->ProgressBar1->isVisible());
        QVERIFY(w_->Ouvrir1->isEnabled() && w_->CyclesB1->isEnabled());
        it_->pendant_dialogue = nullptr;
        it_->reponses = {""};
        w_->Ouvrir1->trigger();
        QCOMPARE(it_->dialogues.back().filtre, filtre);
        QCOMPARE(it_->dialogues.back().index, 2);
        QCOMPARE(it_->dialogues.back().nom, lot.path());
        std::vector<std::string> fichiers;  // Cancel in the batch's dialog
        it_->reponses = {""};
        QVERIFY(!Frontend_courant().choose_images(fichiers));
    }

    // "Complete analysis" analyses a fresh image once and shows Plan 2; a
    // second click only switches the plane back.
    void analyse_complete()
    {
        it_->reponses = {QString(TM_TEST_DATA "/relay_logic.bmp")};
        w_->Ouvrir1->trigger();
        w_->CyclesB1->click();
        QVERIFY(Liste_quads && Liste_arcs_QQ && Liste_symboles);
        QCOMPARE(Etat_affichage, 2);
        QCOMPARE(w_->Label1->text(), QString("Plan 2"));
        const Quad* premier = Liste_quads;
        const std::string log = Texte_log();
        w_->CyclesB1->click();
        QCOMPARE(Etat_affichage, 1);
        QCOMPARE(w_->Label1->text(), QString("Plan 1"));
        QVERIFY(Liste_quads == premier);
        QCOMPARE(Texte_log(), log);
    }

    void messages_du_coeur()
    {
        Message_erreur("Parametre inconnu !");
        Signal_court();
        QCOMPARE(it_->boites.size(), size_t(1));
        QCOMPARE(it_->boites[0].titre, QString("Erreur"));
        QCOMPARE(it_->bips_courts, 1);
    }
};

QTEST_MAIN(TestFenetre)
#include "test_window.moc"
