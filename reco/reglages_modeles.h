#pragma once

#include <string>
#include <vector>

// What the practice sheets drawn from a model folder taught about each model.
struct Reglage_modele {
    std::string nom;                     // the model's name (its file stem in the model folder)
    double seuil = -1;                   // likeness from which its detections are right; < 0: not learnt
    bool trop_simple = false;            // too plain to name a candidate on its own
    int contexte = 0;                    // what a plain model then needs: 0 nothing, 1 a wire's free end, 2 a wire ending at its pin
    std::vector<std::string> confondus;  // models it was taken for, or that were taken for it
};

// Reads the settings file of the model folder `rep_modeles` (made again by the model maker when
// missing, damaged or older than the models). Returns how many models it holds; 0 when none.
int Charge_reglages(const std::string& rep_modeles);
// The settings learnt for the model `nom`, or nullptr when none were.
const Reglage_modele* Reglage_de(const std::string& nom);
// Forgets what was read (the next Charge_reglages reads the file again).
void Oublie_reglages();
// While true, the finder reports every named candidate above its floor with its likeness,
// ignoring the learnt settings: the calibration sets it on its practice sheets.
extern bool Reglages_ignores;
