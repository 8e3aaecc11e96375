#!/usr/bin/env python3
"""Spotting and naming table of both spotting methods on the corpus page sets.

    python3 bench/bench_spotting.py [--program build/tracemorph] [--jobs 2]
                                    [--methods 0 1] [--sets pages pages_varied] [--reco 11]

For each method and page set, two batch runs in a scratch directory holding the repository's
param.dat (with Methode_spotting and Bool_reco set), models made from the corpus symbols
(tracemorph --make-models) and a link to the matchers: one with recognition (--reco, the
matcher code of Bool_reco), one without (Bool_reco 0) for the time. Prints P/R/F1 of spotting
and naming per kind of page (clean, noisy, blur) and in total, from bench/evaluate_spotting,
and the seconds per page of both runs.
"""
import argparse
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.normpath(os.path.join(REPO, "..", "shared", "corpus"))


def param(texte, cle, valeur):
    motif = re.compile(r"(^#" + cle + r"#\n=)[^#]*(#)", re.M)
    if motif.search(texte):
        return motif.sub(lambda m: m.group(1) + str(valeur) + m.group(2), texte)
    return texte.replace("\n$", "\n#" + cle + "#\n=" + str(valeur) + "#\n$")


def ecrit_param(rep, methode, reco):
    with open(os.path.join(REPO, "param.dat"), encoding="latin-1") as f:
        texte = f.read()
    texte = param(param(texte, "Methode_spotting", methode), "Bool_reco", reco)
    with open(os.path.join(rep, "param.dat"), "w", encoding="latin-1") as f:
        f.write(texte)


def course(programme, rep, images, jobs, methode, reco):
    ecrit_param(rep, methode, reco)
    debut = time.monotonic()
    subprocess.run([programme, "--batch", "--jobs", str(jobs)] + images, cwd=rep,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    duree = (time.monotonic() - debut) / max(1, len(images))
    resultats = os.path.join(rep, "FINAL_RESULTS.GRE")
    return resultats, duree


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--program", default=os.path.join(REPO, "build", "tracemorph"))
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--methods", nargs="+", default=["0", "1"])
    ap.add_argument("--sets", nargs="+", default=["pages", "pages_varied"])
    ap.add_argument("--reco", default="11")
    a = ap.parse_args()
    programme = os.path.abspath(a.program)
    rep = tempfile.mkdtemp(prefix="tracemorph-spotting-")
    try:
        ecrit_param(rep, 0, 0)  # the models are made with the shipped thresholds
        subprocess.run([programme, "--make-models", os.path.join(CORPUS, "symbols"), os.path.join(rep, "models")],
                       cwd=rep, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        os.symlink(os.path.join(os.path.dirname(programme), "simgraph"), os.path.join(rep, "simgraph"))
        print(f"{'method':>6} {'set':<13} {'kind':<6} | {'spot P':>6} {'R':>5} {'F1':>5} | {'name P':>6} {'R':>5} "
              f"{'F1':>5} | {'s/page reco':>11} {'s/page none':>11}")
        for methode in a.methods:
            for jeu in a.sets:
                dossier = os.path.join(rep, jeu)
                shutil.rmtree(dossier, ignore_errors=True)
                os.makedirs(dossier)
                images = []
                for p in sorted(glob.glob(os.path.join(CORPUS, jeu, "*.bmp"))):
                    cible = os.path.join(dossier, os.path.basename(p))
                    os.symlink(p, cible)
                    images.append(cible)
                _, sans = course(programme, rep, images, a.jobs, methode, 0)
                resultats, avec = course(programme, rep, images, a.jobs, methode, a.reco)
                sortie = subprocess.run([sys.executable, os.path.join(REPO, "bench", "evaluate_spotting"), resultats,
                                         "--truth", os.path.join(CORPUS, jeu), "--json"],
                                        capture_output=True, text=True, check=True)
                d = json.loads(sortie.stdout)
                groupes = dict(d["kinds"], total=d["total"])
                for genre, g in groupes.items():
                    if not g["truth"]:
                        continue
                    s, n = g["spotting"], g["naming"]
                    temps = f"{avec:11.2f} {sans:11.2f}" if genre == "total" else ""
                    print(f"{methode:>6} {jeu:<13} {genre:<6} | {s['P']:6.2f} {s['R']:5.2f} {s['F1']:5.2f} | "
                          f"{n['P']:6.2f} {n['R']:5.2f} {n['F1']:5.2f} | {temps}", flush=True)
    finally:
        shutil.rmtree(rep, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
