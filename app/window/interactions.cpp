#include "app/window/interactions.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "app/window/form1.h"

Interactions::~Interactions() = default;

QString Interactions::Fichier_a_ouvrir(QWidget* parent, const QString& repertoire, const QString& filtre)
{
    return QFileDialog::getOpenFileName(parent, "Open", repertoire, filtre);
}

QString Interactions::Fichier_a_enregistrer(QWidget* parent, const QString& nom, const QString& filtre)
{
    return QFileDialog::getSaveFileName(parent, "Save as", nom, filtre);
}

void Interactions::Boite_message(QWidget* parent, const QString& texte, const QString& titre)
{
    QMessageBox boite(QMessageBox::NoIcon, titre, texte, QMessageBox::Ok, parent);
    boite.exec();
}

int Interactions::Execute_form1(TForm1& form) { return form.exec(); }

void Interactions::Bip_fin() { QApplication::beep(); }

void Interactions::Bip_court() { son_.Joue(); }
