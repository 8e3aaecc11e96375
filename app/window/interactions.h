// Everything of the window that waits for the user or makes a sound: file
// dialogs, message boxes, the input dialog and the two signals. Tests install
// their own to answer without a person.
#pragma once
#include <QString>

#include "app/window/son_court.h"

class QWidget;
class TForm1;

class Interactions {
public:
    virtual ~Interactions();
    // The chosen path, empty when the user cancelled.
    virtual QString Fichier_a_ouvrir(QWidget* parent, const QString& repertoire, const QString& filtre);
    // `nom` is proposed; no extension is added to what the user types.
    virtual QString Fichier_a_enregistrer(QWidget* parent, const QString& nom, const QString& filtre);
    // Modal box with one OK button.
    virtual void Boite_message(QWidget* parent, const QString& texte, const QString& titre);
    // Shows the input dialog modally: QDialog::Accepted or Rejected.
    virtual int Execute_form1(TForm1& form);
    virtual void Bip_fin();
    virtual void Bip_court();
private:
    SonCourt son_;
};
