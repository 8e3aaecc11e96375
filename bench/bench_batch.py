#!/usr/bin/env python3
"""Batch throughput: images per second of `tracemorph --batch` for several --jobs values.

    python3 bench/bench_batch.py [--program build/tracemorph] [--jobs 1 2] [--repeat 3] [IMAGE ...]

Without IMAGE, the corpus pages (../shared/corpus/pages/*.bmp beside the repository). Each run
works in a fresh scratch directory holding the repository's param.dat and links to the images,
so the per-image files never land in the corpus. The runs must give identical files whatever the
number of workers; the script checks it and says so.
"""
import argparse
import glob
import hashlib
import os
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


def une_course(programme, images, jobs):
    rep = tempfile.mkdtemp(prefix="tracemorph-bench-")
    try:
        shutil.copy(os.path.join(REPO, "param.dat"), rep)
        os.mkdir(os.path.join(rep, "img"))
        liens = []
        for i, image in enumerate(images):
            lien = os.path.join("img", "%02d_%s" % (i, os.path.basename(image)))
            os.symlink(os.path.abspath(image), os.path.join(rep, lien))
            liens.append(lien)
        debut = time.perf_counter()
        r = subprocess.run([programme, "--batch", "--jobs", str(jobs), "--"] + liens, cwd=rep,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        duree = time.perf_counter() - debut
        if r.returncode != 0:
            sys.stderr.write(r.stderr.decode("utf-8", "replace"))
            sys.exit("tracemorph --batch --jobs %d ended with status %d" % (jobs, r.returncode))
        return duree, empreintes(rep)
    finally:
        shutil.rmtree(rep, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", default=os.path.join(REPO, "build", "tracemorph"))
    ap.add_argument("--jobs", type=int, nargs="+", default=[1, 2])
    ap.add_argument("--repeat", type=int, default=3, help="runs per --jobs value; the best is kept")
    ap.add_argument("images", nargs="*")
    a = ap.parse_args()
    images = a.images or sorted(glob.glob(os.path.join(REPO, "..", "shared", "corpus", "pages", "*.bmp")))
    if not images:
        sys.exit("no image given and no corpus pages found")
    if not os.access(a.program, os.X_OK):
        sys.exit("%s is not built (cmake --build build --target tracemorph cxconvert)" % a.program)
    print("%d images, %d CPU(s), best of %d run(s)" % (len(images), os.cpu_count() or 1, a.repeat))
    print("%6s %10s %12s %8s" % ("jobs", "seconds", "images/s", "speedup"))
    reference = None
    base = None
    for jobs in a.jobs:
        meilleure = None
        for _ in range(a.repeat):
            duree, emp = une_course(a.program, images, jobs)
            if reference is None:
                reference = emp
            elif emp != reference:
                sys.exit("--jobs %d gave other files than --jobs %d" % (jobs, a.jobs[0]))
            meilleure = duree if meilleure is None else min(meilleure, duree)
        base = base or meilleure
        print("%6d %10.3f %12.2f %8.2f" % (jobs, meilleure, len(images) / meilleure, base / meilleure))
    print("identical files for every --jobs value (%d files)" % len(reference))


if __name__ == "__main__":
    main()
