// Everything of the window that waits for the user or makes a sound: file
// dialogs, message boxes, the input dialog, the colour window and the two
// signals. Tests install their own to answer without a person.
#pragma once
#include <QString>
#include <QStringList>

#include "app/window/son_court.h"

class QWidget;
class TFImgC;
class TForm1;

// The file-open dialog as the window keeps it between uses: Open and the
// batch share it, so the batch's filter and options stay for the next Open.
struct ReglageOuverture {
    QStringList filtres;   // "caption (*.ext *.ext)" entries
    int index = 1;         // entry shown, from 1; past the end shows the first
    bool multiple = false; // several files may be chosen
    QString repertoire;    // where the dialog opens
};

class Interactions {
public:
    virtual ~Interactions();
    // The chosen paths in the dialog's order; empty when the user cancelled.
    virtual QStringList Fichiers_a_ouvrir(QWidget* parent, const ReglageOuverture& reglage);
    // `nom` is proposed; no extension is added to what the user types.
    virtual QString Fichier_a_enregistrer(QWidget* parent, const QString& nom, const QString& filtre);
    // Modal box with one OK button, wide enough for its caption.
    virtual void Boite_message(QWidget* parent, const QString& texte, const QString& titre);
    // Shows the input dialog modally: QDialog::Accepted or Rejected.
    virtual int Execute_form1(TForm1& form);
    // Shows the colour window modally until the user closes it.
    virtual void Execute_fimgc(TFImgC& fimgc);
    virtual void Bip_fin();
    virtual void Bip_court();
private:
    SonCourt son_;
};
