#!/usr/bin/python3
"""Netlist quality on corpus/kicad: the pairs of symbols that share a net against the truth's drawn pairs.

    netlist_quality.py TRACEMORPH PARAM_DAT KICAD_DIR [--variant clean|noisy|both] [--mode truth|e2e|both]
                       [--projects a,b] [--jobs N] [--overhead] [--keep DIR]

truth: each page_X.json becomes a detections file (the COCO layout --json writes: bbox [x, y, w, h] from the
top-left, annotation ids 100000 * page rank + the truth's id, unique over the file), and `--batch --netlist --symbols FILE` runs on the project's pages;
the pairs of symbol ids of every net of IMAGE.nets.json are scored against page_X.nets.json's drawn_pairs.
e2e: the program's own symbols (models made per project from the names its pages use, as kicad_quality.py does,
Bool_reco 11), `--batch --netlist`; its symbols are matched one to one to the truth (IoU >= 0.5, greedy by IoU),
and its pairs scored against the drawn pairs whose two symbols were both found (how many of all drawn pairs
that is, is printed too).
--overhead also times the same batch without --netlist and prints the netlist's share of the time (processor
seconds of the program and its workers).
Prints per project P, R, F1 and the counts, then the totals (pairs summed over all pages).
"""
import collections, glob, json, os, re, resource, shutil, subprocess, sys, tempfile


def set_key(text, key, value):
    t, n = re.subn(r'(#%s#[^\n]*\n=)[^#\n]*' % key, r'\g<1>' + str(value), text)
    return t if n == 1 else text


def f1(p, r):
    return 2 * p * r / (p + r) if p + r else 0.0


def iou(a, b):
    """Boxes as (xmin, ymin, xmax, ymax), inclusive."""
    ix = min(a[2], b[2]) - max(a[0], b[0]) + 1
    iy = min(a[3], b[3]) - max(a[1], b[1]) + 1
    if ix <= 0 or iy <= 0:
        return 0.0
    inter = ix * iy
    aa = (a[2] - a[0] + 1) * (a[3] - a[1] + 1)
    bb = (b[2] - b[0] + 1) * (b[3] - b[1] + 1)
    return inter / (aa + bb - inter)


def match(found, truth):
    """Greedy one-to-one match by decreasing IoU >= 0.5: {found id: truth id}."""
    cand = []
    for fid, fb in found.items():
        for tid, tb in truth.items():
            v = iou(fb, tb)
            if v >= 0.5:
                cand.append((-v, fid, tid))
    cand.sort()
    m, used = {}, set()
    for _, fid, tid in cand:
        if fid in m or tid in used:
            continue
        m[fid] = tid
        used.add(tid)
    return m


def pairs_of(nets_doc, rename=None):
    out = set()
    for n in nets_doc.get("nets", []):
        ids = sorted(set(n["symbols"]))
        if rename is not None:
            ids = sorted({rename[i] for i in ids if i in rename})
        for i in range(len(ids)):
            for j in range(i + 1, len(ids)):
                out.add((ids[i], ids[j]))
    return out


def detections(pages):
    """COCO detections of the truth boxes of `pages` [(image path, truth)]."""
    images, anns = [], []
    for k, (p, d) in enumerate(pages, 1):
        images.append({"id": k, "file_name": os.path.basename(p), "width": d["width"], "height": d["height"]})
        for s in d["symbols"]:
            anns.append({"id": k * 100000 + s["id"], "image_id": k, "category": s["name"],
                         "bbox": [s["xmin"], s["ymin"], s["xmax"] - s["xmin"] + 1, s["ymax"] - s["ymin"] + 1]})
    return {"images": images, "annotations": anns, "categories": []}


def run(cmd, cwd, env):
    """Processor seconds (user and system) of the run and its workers: steadier than the wall clock on a shared
    machine."""
    r0 = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   stdin=subprocess.DEVNULL, timeout=3000)
    r1 = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (r1.ru_utime - r0.ru_utime) + (r1.ru_stime - r0.ru_stime)


def main(argv):
    args = argv[1:]
    opts = {"--variant": "both", "--mode": "truth", "--projects": "", "--jobs": "2", "--keep": ""}
    flags = {"--overhead": False}
    pos = []
    while args:
        a = args.pop(0)
        if a in opts:
            opts[a] = args.pop(0)
        elif a in flags:
            flags[a] = True
        else:
            pos.append(a)
    binp, par, kdir = [os.path.abspath(p) for p in pos]
    variants = ["clean", "noisy"] if opts["--variant"] == "both" else [opts["--variant"]]
    modes = ["truth", "e2e"] if opts["--mode"] == "both" else [opts["--mode"]]
    groups = collections.defaultdict(list)
    for f in sorted(glob.glob(os.path.join(kdir, "page_*.json"))):
        if f.endswith(".nets.json"):
            continue
        d = json.load(open(f))
        proj = d["source"].split("/")[0]
        if opts["--projects"] and proj not in opts["--projects"].split(","):
            continue
        nets = json.load(open(f[:-5] + ".nets.json"))
        groups[proj].append((d, nets))
    ptext = open(par, encoding="latin-1").read()
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env["QT_QPA_PLATFORM"] = "offscreen"
    for mode in modes:
        for variant in variants:
            tot = [0, 0, 0, 0]  # tp, predicted, truth, all drawn pairs
            secs = secs_sans = 0.0
            print("== %s, %s" % ("truth boxes" if mode == "truth" else "end to end", variant))
            for proj, pages in groups.items():
                w = tempfile.mkdtemp(prefix="nq-")
                try:
                    text = set_key(ptext, "Bool_reco", "11" if mode == "e2e" else "0")
                    open(os.path.join(w, "param.dat"), "w", encoding="latin-1").write(text)
                    os.makedirs(os.path.join(w, "imgs"))
                    imgs, listed = [], []
                    for d, nets in pages:
                        src = os.path.join(kdir, d["images"][variant])
                        dst = os.path.join(w, "imgs", os.path.basename(src))
                        shutil.copy(src, dst)
                        imgs.append(dst)
                        listed.append((dst, d))
                    cmd = [binp, "-q", "--batch", "--jobs", opts["--jobs"]]
                    if mode == "truth":
                        json.dump(detections(listed), open(os.path.join(w, "det.json"), "w"))
                        nl = ["--netlist", "--symbols", "det.json"]
                    else:
                        os.makedirs(os.path.join(w, "sym"))
                        for n in sorted({s["name"] for d, _ in pages for s in d["symbols"]}):
                            src = os.path.join(kdir, "symbols", n + ".bmp")
                            if os.path.exists(src):
                                shutil.copy(src, os.path.join(w, "sym"))
                        subprocess.run([binp, "--make-models", "sym", "models"], cwd=w, env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       stdin=subprocess.DEVNULL, timeout=900)
                        nl = ["--netlist"]
                    if flags["--overhead"]:
                        secs_sans += run(cmd + imgs, w, env)
                    secs += run(cmd + nl + imgs, w, env)
                    row = [0, 0, 0, 0]
                    for (img, d), (_, nets) in zip(listed, pages):
                        truth = {tuple(p) for p in nets["drawn_pairs"]}
                        row[3] += len(truth)
                        try:
                            doc = json.load(open(img + ".nets.json"))
                        except (OSError, ValueError):
                            doc = {"nets": [], "symbols": []}
                        if mode == "truth":
                            pred = pairs_of(doc, {i: i % 100000 for s in doc.get("symbols", []) for i in [s["id"]]})
                        else:
                            found = {s["id"]: (s["bbox"][0], s["bbox"][1], s["bbox"][0] + s["bbox"][2] - 1,
                                               s["bbox"][1] + s["bbox"][3] - 1) for s in doc.get("symbols", [])}
                            tb = {s["id"]: (s["xmin"], s["ymin"], s["xmax"], s["ymax"]) for s in d["symbols"]}
                            m = match(found, tb)
                            pred = pairs_of(doc, m)
                            both = set(m.values())
                            truth = {p for p in truth if p[0] in both and p[1] in both}
                        row[0] += len(pred & truth)
                        row[1] += len(pred)
                        row[2] += len(truth)
                        if opts["--keep"]:
                            os.makedirs(opts["--keep"], exist_ok=True)
                            base = os.path.basename(img)
                            open(os.path.join(opts["--keep"], "%s.%s.%s.fp" % (base, mode, variant)), "w").write(
                                json.dumps({"fp": sorted(pred - truth), "fn": sorted(truth - pred)}))
                    p = row[0] / row[1] if row[1] else 1.0
                    r = row[0] / row[2] if row[2] else 1.0
                    print("%-22s P %.3f R %.3f F1 %.3f  (%d of %d found, %d true, %d drawn)"
                          % (proj, p, r, f1(p, r), row[0], row[1], row[2], row[3]))
                    tot = [a + b for a, b in zip(tot, row)]
                finally:
                    shutil.rmtree(w, ignore_errors=True)
            p = tot[0] / tot[1] if tot[1] else 1.0
            r = tot[0] / tot[2] if tot[2] else 1.0
            line = "total %s %s P %.3f R %.3f F1 %.3f (%d of %d drawn pairs scored) | cpu seconds %.1f" % (
                mode, variant, p, r, f1(p, r), tot[2], tot[3], secs)
            if flags["--overhead"]:
                line += " without netlist %.1f (+%.0f%%)" % (secs_sans, 100 * (secs - secs_sans) / max(secs_sans, 1e-9))
            print(line, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
