#!/usr/bin/env python3
"""Whole runs of tracemorph (with its threads and on one thread) and of potrace
on one image, taken in turn so that a shared machine's drift weighs on all
three alike; prints the medians, the ratios to potrace and the peak memory.

    python3 bench/ratio_potrace.py [--runs N] [--program build/tracemorph] [--a0] [IMAGE...]

--a0 adds the A0 sheet at 300 dpi made by tiling the corpus's A4 sheet 4 x 4
(bench/feuille_a0.py, in a temporary directory); without an image the A4
sheet is measured. Run from a directory holding param.dat (the result
files are written there).
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

ICI = os.path.dirname(os.path.abspath(__file__))
A4 = os.path.join(ICI, "..", "..", "shared", "corpus", "big", "a4_300dpi_sheet.bmp")


def une_fois(commande, env):
    t0 = time.perf_counter()
    p = subprocess.Popen(commande, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, statut, ru = os.wait4(p.pid, 0)
    mur = (time.perf_counter() - t0) * 1000
    p.returncode = os.waitstatus_to_exitcode(statut)
    if p.returncode != 0:
        sys.exit(f"{commande[0]} failed ({p.returncode})")
    return mur, (ru.ru_utime + ru.ru_stime) * 1000, ru.ru_maxrss / 1024


def mesure(image, programme, runs):
    env = dict(os.environ)
    env.pop("TRACEMORPH_THREADS", None)
    un_fil = dict(env, TRACEMORPH_THREADS="1")
    essais = {
        "tracemorph IMAGE": ([programme, image], env),
        "  on one thread": ([programme, image], un_fil),
        "potrace -b svg": (["potrace", "-b", "svg", "-o", os.devnull, image], env),
    }
    mesures = {nom: ([], [], []) for nom in essais}
    for _ in range(runs):
        for nom, (commande, e) in essais.items():
            for liste, v in zip(mesures[nom], une_fois(commande, e)):
                liste.append(v)
    ref = [statistics.median(x) for x in mesures["potrace -b svg"]]
    with open(image, "rb") as f:
        en_tete = f.read(26)
    pixels = int.from_bytes(en_tete[18:22], "little", signed=True) * abs(int.from_bytes(en_tete[22:26], "little", signed=True))
    print(f"== {image}: medians of {runs} runs of each, taken in turn")
    for nom, (m, c, k) in mesures.items():
        mur, cpu, pic = statistics.median(m), statistics.median(c), max(k)
        print(f"{nom:20s} {mur:8.1f} ms wall {cpu:8.1f} ms user+sys  peak {pic:7.1f} MB ({pic * 1048576 / pixels:.2f} B/pixel)"
              f"   ratio {mur / ref[0]:.2f} wall {cpu / ref[1]:.2f} user+sys")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--runs", type=int, default=41)
    p.add_argument("--program", default=os.path.join(ICI, "..", "build", "tracemorph"))
    p.add_argument("--a0", action="store_true")
    p.add_argument("image", nargs="*")
    a = p.parse_args()
    images = a.image or [A4]
    with tempfile.TemporaryDirectory() as rep:
        if a.a0:
            a0 = os.path.join(rep, "a0_300dpi_sheet.bmp")
            subprocess.run([sys.executable, os.path.join(ICI, "feuille_a0.py"), "--a4", A4, a0], check=True)
            images.append(a0)
        for im in images:
            mesure(im, os.path.abspath(a.program), a.runs)


if __name__ == "__main__":
    main()
