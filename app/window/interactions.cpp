#include "app/window/interactions.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

#include "app/window/fimgc.h"
#include "app/window/form1.h"

Interactions::~Interactions() = default;

QStringList Interactions::Fichiers_a_ouvrir(QWidget* parent, const ReglageOuverture& reglage)
{
    QFileDialog d(parent, "Open", reglage.repertoire);
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(reglage.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    d.setNameFilters(reglage.filtres);
    if (!reglage.filtres.isEmpty()) {
        const int i = reglage.index >= 1 && reglage.index <= reglage.filtres.size() ? reglage.index - 1 : 0;
        d.selectNameFilter(reglage.filtres[i]);
    }
    if (d.exec() != QDialog::Accepted) return {};
    return d.selectedFiles();
}

QString Interactions::Fichier_a_enregistrer(QWidget* parent, const QString& nom, const QString& filtre)
{
    return QFileDialog::getSaveFileName(parent, "Save as", nom, filtre);
}

void Interactions::Boite_message(QWidget* parent, const QString& texte, const QString& titre)
{
    auto* boite = new QMessageBox(QMessageBox::NoIcon, titre, texte, QMessageBox::Ok, parent);
    boite->setAttribute(Qt::WA_DeleteOnClose);
    // A short text gives a box narrower than its title bar: the caption was
    // cut. Room for the caption and the title bar's buttons.
    const int largeur = std::max(240, boite->fontMetrics().horizontalAdvance(titre) + 160);
    if (auto* grille = qobject_cast<QGridLayout*>(boite->layout()))
        grille->addItem(new QSpacerItem(largeur, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grille->rowCount(),
                        0, 1, grille->columnCount());
    // An error waits for OK; information is shown and the command goes on
    // (an outside program named while a batch runs must not stop it).
    if (titre == "Erreur" || titre == "Error") {
        boite->exec();
        return;
    }
    boite->setModal(false);
    boite->show();
}

int Interactions::Execute_form1(TForm1& form) { return form.exec(); }

void Interactions::Execute_fimgc(TFImgC& fimgc) { fimgc.exec(); }

void Interactions::Bip_fin() { QApplication::beep(); }

void Interactions::Bip_court() { son_.Joue(); }
