#!/usr/bin/env python3
"""Whole runs of tracemorph (with its threads and on one thread) and of potrace
on one image, taken in turn so that a shared machine's drift weighs on all
three alike; prints the medians and the ratios to potrace.

    python3 bench/ratio_potrace.py [--runs N] [--program build/tracemorph] IMAGE

Run from a directory holding param.dat (the result files are written there).
"""
import argparse
import os
import resource
import statistics
import subprocess
import sys
import time


def une_fois(commande, env):
    avant = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    r = subprocess.run(commande, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    mur = (time.perf_counter() - t0) * 1000
    apres = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (apres.ru_utime - avant.ru_utime + apres.ru_stime - avant.ru_stime) * 1000
    if r.returncode != 0:
        sys.exit(f"{commande[0]} failed ({r.returncode})")
    return mur, cpu


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--runs", type=int, default=41)
    p.add_argument("--program", default=os.path.join(os.path.dirname(__file__), "..", "build", "tracemorph"))
    p.add_argument("image")
    a = p.parse_args()
    env = dict(os.environ)
    env.pop("TRACEMORPH_THREADS", None)
    un_fil = dict(env, TRACEMORPH_THREADS="1")
    essais = {
        "tracemorph IMAGE": ([os.path.abspath(a.program), a.image], env),
        "  on one thread": ([os.path.abspath(a.program), a.image], un_fil),
        "potrace -b svg": (["potrace", "-b", "svg", "-o", os.devnull, a.image], env),
    }
    mesures = {nom: ([], []) for nom in essais}
    for _ in range(a.runs):
        for nom, (commande, e) in essais.items():
            mur, cpu = une_fois(commande, e)
            mesures[nom][0].append(mur)
            mesures[nom][1].append(cpu)
    med = {nom: (statistics.median(m), statistics.median(c)) for nom, (m, c) in mesures.items()}
    ref = med["potrace -b svg"]
    print(f"medians of {a.runs} runs of each, taken in turn")
    for nom, (mur, cpu) in med.items():
        print(f"{nom:20s} {mur:8.1f} ms wall {cpu:8.1f} ms user+sys   ratio {mur / ref[0]:.2f} wall {cpu / ref[1]:.2f} user+sys")


if __name__ == "__main__":
    main()
