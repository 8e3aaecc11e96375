#!/usr/bin/env python3
"""Batch throughput: images per second of `tracemorph --batch` for several --jobs values.

    python3 bench/bench_batch.py [--program build/tracemorph] [--jobs 1 2] [--repeat 3]
                                 [--reco CODE [--models DIR]] [IMAGE ...]

Without IMAGE, the corpus pages (../shared/corpus/pages/*.bmp beside the repository). Each run
works in a fresh scratch directory holding the repository's param.dat and links to the images,
so the per-image files never land in the corpus. The runs must give identical files whatever the
number of workers; the script checks it and says so. The CPU time (user + system, all processes)
per image shows the workers' own cost when a busy machine hides the gain in wall time.

--reco CODE runs the batch with recognition (Bool_reco = CODE) against the model graphs of DIR,
by default made once with --make-models from the corpus symbols (../shared/corpus/symbols).
"""
import argparse
import glob
import hashlib
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def empreintes(rep):
    """SHA-256 of FINAL_RESULTS.GRE and of every per-image file, by relative path."""
    chemins = [os.path.join(rep, "FINAL_RESULTS.GRE")]
    chemins += glob.glob(os.path.join(rep, "img", "*.dat"))
    chemins += glob.glob(os.path.join(rep, "img", "*.gxl")) + glob.glob(os.path.join(rep, "img", "*.xml"))
    m = {}
    for p in chemins:
        with open(p, "rb") as fh:
            m[os.path.relpath(p, rep)] = hashlib.sha256(fh.read()).hexdigest()
    return m


def param_reco(chemin, code):
    """Sets Bool_reco in a copy of param.dat (the value follows its #key# line)."""
    with open(chemin, encoding="latin-1") as fh:
        lignes = fh.read().split("\n")
    for i, ligne in enumerate(lignes[:-1]):
        if ligne.strip() == "#Bool_reco#":
            lignes[i + 1] = "=%s#" % code
    with open(chemin, "w", encoding="latin-1") as fh:
        fh.write("\n".join(lignes))


def une_course(programme, images, jobs, reco=None, modeles=None):
    rep = tempfile.mkdtemp(prefix="tracemorph-bench-")
    try:
        shutil.copy(os.path.join(REPO, "param.dat"), rep)
        if reco is not None:
            param_reco(os.path.join(rep, "param.dat"), reco)
            os.symlink(os.path.abspath(modeles), os.path.join(rep, "models"))
        os.mkdir(os.path.join(rep, "img"))
        liens = []
        for i, image in enumerate(images):
            lien = os.path.join("img", "%02d_%s" % (i, os.path.basename(image)))
            os.symlink(os.path.abspath(image), os.path.join(rep, lien))
            liens.append(lien)
        avant = resource.getrusage(resource.RUSAGE_CHILDREN)
        debut = time.perf_counter()
        r = subprocess.run([programme, "--batch", "--jobs", str(jobs), "--"] + liens, cwd=rep,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        duree = time.perf_counter() - debut
        apres = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (apres.ru_utime - avant.ru_utime) + (apres.ru_stime - avant.ru_stime)
        if r.returncode != 0:
            sys.stderr.write(r.stderr.decode("utf-8", "replace"))
            sys.exit("tracemorph --batch --jobs %d ended with status %d" % (jobs, r.returncode))
        return duree, cpu, empreintes(rep)
    finally:
        shutil.rmtree(rep, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", default=os.path.join(REPO, "build", "tracemorph"))
    ap.add_argument("--jobs", type=int, nargs="+", default=[1, 2])
    ap.add_argument("--repeat", type=int, default=3, help="runs per --jobs value; the best is kept")
    ap.add_argument("--reco", help="Bool_reco value: run with recognition")
    ap.add_argument("--models", help="model graph directory (default: made from the corpus symbols)")
    ap.add_argument("images", nargs="*")
    a = ap.parse_args()
    images = a.images or sorted(glob.glob(os.path.join(REPO, "..", "shared", "corpus", "pages", "*.bmp")))
    if not images:
        sys.exit("no image given and no corpus pages found")
    if not os.access(a.program, os.X_OK):
        sys.exit("%s is not built (cmake --build build --target tracemorph cxconvert)" % a.program)
    modeles = a.models
    if a.reco is not None and modeles is None:
        rep = tempfile.mkdtemp(prefix="tracemorph-bench-models-")
        shutil.copy(os.path.join(REPO, "param.dat"), rep)
        modeles = os.path.join(rep, "models")
        symboles = os.path.join(REPO, "..", "shared", "corpus", "symbols")
        subprocess.run([a.program, "--make-models", symboles, modeles], cwd=rep, check=True,
                       stdout=subprocess.DEVNULL)
    print("%d images, %d CPU(s), load average %.1f, best of %d run(s)"
          % (len(images), os.cpu_count() or 1, os.getloadavg()[0], a.repeat))
    print("%6s %10s %12s %8s %12s" % ("jobs", "seconds", "images/s", "speedup", "CPU s/image"))
    reference = None
    base = None
    for jobs in a.jobs:
        meilleure = None
        cpu_meilleure = 0.0
        for _ in range(a.repeat):
            duree, cpu, emp = une_course(a.program, images, jobs, a.reco, modeles)
            if reference is None:
                reference = emp
            elif emp != reference:
                sys.exit("--jobs %d gave other files than --jobs %d" % (jobs, a.jobs[0]))
            if meilleure is None or duree < meilleure:
                meilleure, cpu_meilleure = duree, cpu
        base = base or meilleure
        print("%6d %10.3f %12.2f %8.2f %12.4f"
              % (jobs, meilleure, len(images) / meilleure, base / meilleure, cpu_meilleure / len(images)))
    print("identical files for every --jobs value (%d files)" % len(reference))


if __name__ == "__main__":
    main()
