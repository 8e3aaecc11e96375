// The menu bar of the main window, menu by menu in the order shown.
#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/window/main1.h"
#include "spotting/spotting_groupes.h"

void TMain1::Construit_menus()
{
    // Each menu of the bar has its own Alt key: File, Images, Processing,
    // pRimitives, Symbols, sAve, seTtings, Help.
    QMenuBar* mb = menuBar();
    auto menu = [](QMenu* parent_menu, QMenuBar* barre, const char* nom, const char* texte) {
        QMenu* m = parent_menu ? parent_menu->addMenu(texte) : barre->addMenu(texte);
        m->setObjectName(nom);
        return m;
    };
    auto item = [this](QMenu* m, const char* nom, const char* texte, void (TMain1::*slot)()) {
        QAction* a = m->addAction(QString::fromUtf8(texte));
        a->setObjectName(nom);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };

    QMenu* fichier = menu(nullptr, mb, "Fichier1", "&File");
    Ouvrir1 = item(fichier, "Ouvrir1", "&Open...", &TMain1::Ouvrir1Click);
    Fermer1 = item(fichier, "Fermer1", "&Close", &TMain1::Fermer1Click);
    SauverP21 = item(fichier, "SauverP21", "&Save P2", &TMain1::SauverP21Click);
    OuvrirLot1 = item(fichier, "OuvrirLot1", "&Batch Processing", &TMain1::OuvrirLot1Click);
    Information1 = item(fichier, "Information1", "&Information", &TMain1::Information1Click);
    fichier->addSeparator();
    Ouvrir1->setShortcut(QKeySequence::Open);
    SauverP21->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Quitter1 = fichier->addAction("&Exit");
    Quitter1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Quitter1->setObjectName("Quitter1");
    connect(Quitter1, &QAction::triggered, this, &QWidget::close);

    QMenu* images = menu(nullptr, mb, "Images1", "&Images");
    ZoomIn1 = item(images, "ZoomIn1", "Zoom &In", &TMain1::ZoomIn1Click);
    ZoomOut1 = item(images, "ZoomOut1", "Zoom &Out", &TMain1::ZoomOut1Click);
    Ajuste1 = item(images, "Ajuste1", "&Fit to window", &TMain1::Ajuste1Click);
    // Ctrl+= too: on most keyboards "+" needs Shift.
    ZoomIn1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    Ajuste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    EffacerP21 = item(images, "EffacerP21", "&Delete Plan 2", &TMain1::EffacerP21Click);
    CopieP2P11 = item(images, "CopieP2P11", "&Copy P2 -> P1", &TMain1::CopieP2P11Click);
    QMenu* couleur = menu(images, nullptr, "ImageCouleur1", "Color Image");
    AfficheCouleur1 = item(couleur, "AfficheCouleur1", "Display", &TMain1::AfficheCouleur1Click);
    EffaceCouleur1 = item(couleur, "EffaceCouleur1", "Erase", &TMain1::EffaceCouleur1Click);
    SauveCouleur1 = item(couleur, "SauveCouleur1", "Save in file", &TMain1::SauveCouleur1Click);

    QMenu* traitement = menu(nullptr, mb, "Traitement1", "&Processing");
    AxeMedian1 = item(traitement, "AxeMedian1", "&Median axis", &TMain1::AxeMedian1Click);
    Pretraitement1 = item(traitement, "Pretraitement1", "Preprocessing", &TMain1::Pretraitement1Click);
    Contours1 = item(traitement, "Contours1", "Contours vect. + CC", &TMain1::Contours1Click);
    NettoyageCC1 = item(traitement, "NettoyageCC1", "CC cleaning", &TMain1::NettoyageCC1Click);
    QMenu* reco = menu(traitement, nullptr, "Reconnaissance1", "&Recognition");
    Caractres1 = item(reco, "Caractres1", "SimGraph1", &TMain1::Caractres1Click);
    Auction1 = item(reco, "Auction1", "Auction", &TMain1::Auction1Click);
    Gsignature1 = item(reco, "Gsignature1", "Gsignature", &TMain1::Gsignature1Click);
    Greedy1 = item(reco, "Greedy1", "Greedy", &TMain1::Greedy1Click);

    QMenu* primitives = menu(nullptr, mb, "Primitives1", "P&rimitives");
    Vecteurs2 = item(primitives, "Vecteurs2", "&Vectors", &TMain1::Vecteurs2Click);
    Quadrilatres2 = item(primitives, "Quadrilatres2", "&Quadrilaterals", &TMain1::Quadrilatres2Click);
    CompConnexes2 = item(primitives, "CompConnexes2", "&Connected Components", &TMain1::CompConnexes2Click);
    Squelette1 = item(primitives, "Squelette1", "&Squeleton", &TMain1::Squelette1Click);
    Graphe1 = item(primitives, "Graphe1", "Complete &Graph ", &TMain1::Graphe1Click);
    GrapheCouleur1 = item(primitives, "GrapheCouleur1", "Graph with colors (quad)", &TMain1::GrapheCouleur1Click);
    Grapheslectif1 = item(primitives, "Grapheslectif1", "Selective Graph", &TMain1::Grapheslectif1Click);
    Quadslctifs1 = item(primitives, "Quadslctifs1", "Selective Quad. ", &TMain1::Quadslctifs1Click);

    QMenu* symboles = menu(nullptr, mb, "Symboles2", "&Symbols");
    Caractres2 = item(symboles, "Caractres2", "Bounding boxes", &TMain1::Caractres2Click);
    QuadsCouleur1 = item(symboles, "QuadsCouleur1", "Colored Quad.", &TMain1::QuadsCouleur1Click);
    // The spotting method of Symbol spotting and Complete analysis, one
    // checked at a time; param.dat's Methode_spotting until one is chosen.
    symboles->addSeparator();
    QActionGroup* methodes = new QActionGroup(this);
    const struct { QAction** a; const char* nom; const char* texte; int methode; } choix[] = {
        {&MethodeParam1, "MethodeParam1", "Method of param.dat", -1},
        {&MethodeRegions1, "MethodeRegions1", "Method 0: score regions", 0},
        {&MethodeGroupes1, "MethodeGroupes1", "Method 1: stroke groups and models", 1},
    };
    for (const auto& c : choix) {
        QAction* a = symboles->addAction(c.texte);
        a->setObjectName(c.nom);
        a->setCheckable(true);
        a->setChecked(Methode_spotting_choisie == c.methode);
        methodes->addAction(a);
        const int m = c.methode;
        connect(a, &QAction::triggered, this, [m] { Methode_spotting_choisie = m; });
        *c.a = a;
    }

    QMenu* sauver = menu(nullptr, mb, "Sauver1", "S&ave");
    Reconnaitre1 = item(sauver, "Reconnaitre1", "&Connected components", &TMain1::ReconnaitreClick);
    Vectorisation2 = item(sauver, "Vectorisation2", "&Vectors and Quads", &TMain1::Vectorisation2Click);
    Graphe2 = item(sauver, "Graphe2", "&Graph (GXL + TXT)", &TMain1::Graphe2Click);
    Symboles1 = item(sauver, "Symboles1", "&Symbols", &TMain1::Symboles1Click);
    GraphforSimgraph1 = item(sauver, "GraphforSimgraph1", "Graph for Simgraph", &TMain1::GraphforSimgraph1Click);

    QMenu* reglages = menu(nullptr, mb, "Reglages1", "Se&ttings");
    ReglageVecto1 = item(reglages, "ReglageVecto1", "Vectorisation", &TMain1::A_faire);
    ReglageGraphe1 = item(reglages, "ReglageGraphe1", "Graph", &TMain1::A_faire);

    QMenu* aide = menu(nullptr, mb, "Aide2", "&Help");
    Version1 = item(aide, "Version1", "&Version", &TMain1::Version1Click);
    Aide1 = item(aide, "Aide1", "&Help", &TMain1::Aide1Click);
    Aide1->setShortcut(QKeySequence(Qt::Key_F1));

    // What a running or paused command still uses must not be freed, rebuilt,
    // reordered or renumbered under it: the image and its lists (Open, Close,
    // batch, every processing step, the three analysis buttons), and the
    // saves that number the records or copy the symbol file being written.
    actions_liberant_ = {Ouvrir1,        Fermer1,   OuvrirLot1,  CopieP2P11,     AxeMedian1, Pretraitement1,
                         Contours1,      NettoyageCC1, Caractres1, Auction1,     Gsignature1, Greedy1,
                         Vectorisation2, Graphe2,   Symboles1,   GraphforSimgraph1};
    boutons_liberant_ = {Vectorisation1, Texte1, LiaisonsB1, CyclesB1};
}

// ---- "Settings" and "&Help": message boxes only ------------------------------

void TMain1::Version1Click()
{
    interactions_->Boite_message(
        this, "Tracemorph V2.0\n\nTracemorph developers, Tracemorph project\nLast modif. 14/03/2007", "Info Version");
}

void TMain1::Aide1Click() { interactions_->Boite_message(this, "Not available yet ! Ask me.", "Info..."); }

void TMain1::A_faire() { interactions_->Boite_message(this, "To do...", "TODO"); }
