#!/usr/bin/env python3
"""Makes an A0 sheet at 300 dpi by tiling the corpus's A4 sheet 4 x 4
(9920 x 14032 pixels, 1-bit BMP in the classic layout), for the speed
benchmarks of large sheets; the result is not stored in the repository.

    python3 bench/feuille_a0.py [--a4 ../shared/corpus/big/a4_300dpi_sheet.bmp] [--n 4] OUT.bmp
"""
import argparse
import os
import struct


def lit_bmp(chemin):
    d = open(chemin, "rb").read()
    debut = struct.unpack_from("<I", d, 10)[0]
    larg, haut = struct.unpack_from("<ii", d, 18)
    bits = struct.unpack_from("<H", d, 28)[0]
    if bits != 1 or haut <= 0:
        raise SystemExit(f"{chemin}: a bottom-up 1-bit BMP is expected")
    ligne = (larg + 31) // 32 * 4
    palette = d[54:62]
    rangs = [d[debut + r * ligne: debut + (r + 1) * ligne] for r in range(haut)]  # bottom-up
    return larg, haut, palette, rangs


def bits_rang(rang, larg):
    n = int.from_bytes(rang, "big") >> (len(rang) * 8 - larg)
    return n


def main():
    ici = os.path.dirname(os.path.abspath(__file__))
    p = argparse.ArgumentParser()
    p.add_argument("--a4", default=os.path.join(ici, "..", "..", "shared", "corpus", "big", "a4_300dpi_sheet.bmp"))
    p.add_argument("--n", type=int, default=4)
    p.add_argument("sortie")
    a = p.parse_args()
    larg, haut, palette, rangs = lit_bmp(a.a4)
    L, H = larg * a.n, haut * a.n
    ligne = (L + 31) // 32 * 4
    with open(a.sortie, "wb") as f:
        taille = 62 + ligne * H
        f.write(b"BM" + struct.pack("<IHHI", taille, 0, 0, 62))
        f.write(struct.pack("<IiiHHIIiiII", 40, L, H, 1, 1, 0, ligne * H, 11811, 11811, 2, 0))
        f.write(palette)
        for r in range(H):
            b = bits_rang(rangs[r % haut], larg)
            tout = 0
            for _ in range(a.n):
                tout = (tout << larg) | b
            tout <<= ligne * 8 - L
            f.write(tout.to_bytes(ligne, "big"))


if __name__ == "__main__":
    main()
