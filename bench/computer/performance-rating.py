#!/usr/bin/env python3
"""Performance rating of each player of saved games, by GNU Backgammon's analysis.

usage: performance-rating.py [--plies N] [--jobs J] DIR

Every DIR/*.mat (as `referee --match N ... --save DIR` writes them) is
imported into gnubg and analysed at N plies (2 by default), J games at once.
A player's performance rating is 500 times its chequer play error in EMG per
unforced move, summed over all games (0 plays perfectly; the best players
are under 5, a casual player about 20).
"""
import argparse
import concurrent.futures
import glob
import os
import re
import shutil
import subprocess
import sys
from collections import defaultdict

NUMBER = r"[-+]?\d+(?:\.\d+)?"


def gnubg():
    return os.environ.get("VERTAN_GNUBG") or shutil.which("gnubg") or "/usr/games/gnubg"


def analyse(path, plies):
    commands = (f"set analysis chequerplay evaluation plies {plies}\n"
                f"import mat {path}\nanalyse match\nshow statistics match\n")
    run = subprocess.run([gnubg(), "-t", "-q"], input=commands, capture_output=True,
                         text=True, timeout=3600)
    return parse(run.stdout, path)


def parse(text, path):
    """Per player: (unforced moves, chequer play error total in EMG)."""
    lines = text.splitlines()
    names = next((re.split(r"\s{2,}", l.strip())[1:] for l in lines if l.startswith("Player ")), None)
    unforced = next((re.findall(NUMBER, l) for l in lines if l.startswith("Unforced moves")), None)
    # The first "Error total" row is chequer play's; cube and overall follow.
    error = next((re.findall(NUMBER + r"(?= \()", l) for l in lines
                  if l.startswith("Error total EMG")), None)
    if not names or not unforced or not error or len(names) != 2:
        raise RuntimeError(f"{path}: no statistics in gnubg's output")
    return [(names[i], int(unforced[i]), abs(float(error[i]))) for i in range(2)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--plies", type=int, default=2)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("dir")
    args = parser.parse_args()
    files = sorted(glob.glob(os.path.join(args.dir, "*.mat")))
    if not files:
        sys.exit(f"no .mat files in {args.dir}")
    totals = defaultdict(lambda: [0, 0.0])
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        for result in pool.map(lambda f: analyse(f, args.plies), files):
            for name, moves, error in result:
                totals[name][0] += moves
                totals[name][1] += error
    print(f"games: {len(files)}, analysis: {args.plies}-ply")
    for name, (moves, error) in sorted(totals.items()):
        rating = 500 * error / moves if moves else float("nan")
        print(f"{name}: performance rating {rating:.1f} "
              f"({moves} unforced moves, error {error:.3f} EMG)")


if __name__ == "__main__":
    main()
