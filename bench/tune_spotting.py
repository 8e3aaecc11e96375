#!/usr/bin/env python3
"""Grid search of the spotting and recognition settings on the corpus pages.

    bench/tune_spotting.py [--build DIR] [--work DIR] [--jobs N]
                           [--set KEY=V1,V2,...]... [--prop KEY=V1,V2,...]...
                           [--reject T1,T2,...] [--pages IMAGE...]

Every combination of the --set values (param.dat keys; the others keep the
repository's param.dat values) and of the --prop values (properties.xml of
the matchers) is run once: models are made from the corpus symbols with
--make-models under that param.dat, then `tracemorph --batch --jobs N` runs
on the pages (clean, noisy and blur) with Seuil_rejet 0, and the results are
scored by bench/evaluate_spotting at each --reject threshold (what
Seuil_rejet would have rejected). Prints one line per combination and
threshold, best named F1 last, and keeps everything under --work.
"""
import argparse
import glob
import itertools
import json
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CORPUS = os.path.normpath(os.path.join(ROOT, "..", "shared", "corpus"))
MATCHERS = ("auction", "greedy", "gsignature", "simgraph")


def write_param(src, dst, overrides):
    lines = open(src, encoding="latin-1").read().split("\n")
    seen = set()
    for i, line in enumerate(lines[:-1]):
        m = re.fullmatch(r"#(\w+)#", line)
        if m and m.group(1) in overrides:
            lines[i + 1] = "=" + str(overrides[m.group(1)]) + "#"
            seen.add(m.group(1))
    missing = set(overrides) - seen
    if missing:
        sys.exit("tune_spotting: unknown param.dat keys " + ", ".join(sorted(missing)))
    open(dst, "w", encoding="latin-1").write("\n".join(lines))


def write_properties(src, dst, overrides):
    text = open(src, encoding="utf-8").read()
    for k, v in overrides.items():
        text, n = re.subn(r'(<property name="%s" value=")[^"]*(")' % re.escape(k), r"\g<1>%s\g<2>" % v, text)
        if n == 0:
            sys.exit("tune_spotting: unknown property " + k)
    open(dst, "w", encoding="utf-8").write(text)


def grid(specs):
    keys, values = [], []
    for s in specs:
        k, _, v = s.partition("=")
        keys.append(k)
        values.append(v.split(","))
    return [dict(zip(keys, combo)) for combo in itertools.product(*values)]


def run(args, cwd, log):
    with open(log, "w") as f:
        return subprocess.run(args, cwd=cwd, stdout=f, stderr=subprocess.STDOUT).returncode


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--build", default=os.path.join(ROOT, "build"))
    ap.add_argument("--work", default="/tmp/tracemorph-tuning")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--set", action="append", default=[])
    ap.add_argument("--prop", action="append", default=[])
    ap.add_argument("--reject", default="0,0.5,0.6,0.7,0.8,0.85,0.9")
    ap.add_argument("--pages", nargs="*")
    ap.add_argument("--corpus", default=CORPUS, help="the corpus (symbols/ and pages/)")
    a = ap.parse_args()
    exe = os.path.join(a.build, "tracemorph")
    corpus = a.corpus
    pages = a.pages or sorted(glob.glob(os.path.join(corpus, "pages", "*.bmp")))
    rejects = [float(t) for t in a.reject.split(",")]
    os.makedirs(a.work, exist_ok=True)
    results = []
    for n, (params, props) in enumerate(itertools.product(grid(a.set), grid(a.prop))):
        d = os.path.join(a.work, "run%03d" % n)
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(os.path.join(d, "simgraph"))
        os.makedirs(os.path.join(d, "pages"))
        write_param(os.path.join(ROOT, "param.dat"), os.path.join(d, "param.dat"), dict(params, Seuil_rejet=0))
        for m in MATCHERS:
            os.symlink(os.path.join(a.build, "simgraph", m), os.path.join(d, "simgraph", m))
        write_properties(os.path.join(ROOT, "tools", "matchers", "properties.xml"),
                         os.path.join(d, "simgraph", "properties.xml"), props)
        if run([exe, "--make-models", os.path.join(corpus, "symbols"), "models"], d, os.path.join(d, "models.log")):
            print("tune_spotting: models failed, see", os.path.join(d, "models.log"), file=sys.stderr)
        links = []
        for p in pages:
            link = os.path.join(d, "pages", os.path.basename(p))
            os.symlink(os.path.abspath(p), link)
            links.append(os.path.join("pages", os.path.basename(p)))
        t0 = time.monotonic()
        rc = run([exe, "--batch", "--jobs", str(a.jobs)] + links, d, os.path.join(d, "batch.log"))
        elapsed = time.monotonic() - t0
        if rc not in (0, 1):
            print("tune_spotting: batch failed (%d), see %s" % (rc, os.path.join(d, "batch.log")), file=sys.stderr)
            continue
        for t in rejects:
            out = subprocess.run([sys.executable, os.path.join(HERE, "evaluate_spotting"),
                                  os.path.join(d, "FINAL_RESULTS.GRE"), "--truth", os.path.join(corpus, "pages"),
                                  "--json", "--reject-below", str(t)], capture_output=True, text=True, check=True)
            ev = json.loads(out.stdout)
            results.append({"run": n, "params": params, "props": props, "reject": t,
                            "seconds_per_page": elapsed * a.jobs / len(pages), "wall_per_page": elapsed / len(pages),
                            "total": ev["total"], "kinds": ev["kinds"]})
        best = max((r for r in results if r["run"] == n), key=lambda r: r["total"]["naming"]["F1"])
        print("run%03d %s %s best reject %.2f: spot F1 %.3f named F1 %.3f (%.1f s/page)" % (
            n, params, props, best["reject"], best["total"]["spotting"]["F1"], best["total"]["naming"]["F1"],
            best["seconds_per_page"]), flush=True)
    json.dump(results, open(os.path.join(a.work, "results.json"), "w"), indent=1)
    results.sort(key=lambda r: (r["total"]["naming"]["F1"], r["total"]["spotting"]["F1"]))
    print("\n%-48s %-30s %6s | %5s %5s %5s | %5s %5s %5s | %s" % (
        "param.dat", "properties", "reject", "P", "R", "F1", "nP", "nR", "nF1", "s/page"))
    for r in results[-15:]:
        s, m = r["total"]["spotting"], r["total"]["naming"]
        print("%-48s %-30s %6.2f | %5.2f %5.2f %5.2f | %5.2f %5.2f %5.2f | %.1f" % (
            json.dumps(r["params"])[:48], json.dumps(r["props"])[:30], r["reject"], s["P"], s["R"], s["F1"],
            m["P"], m["R"], m["F1"], r["seconds_per_page"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
