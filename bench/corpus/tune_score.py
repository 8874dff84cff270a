#!/usr/bin/env python3
"""Chooses the score's constants by cross-validation over the corpus run's splits.

run_corpus.sh with QBX_CORPUS_DUMP=1 leaves in each split's folder the word counts of every
rated message (words.txt, from bench/spam_words_dump) and bogofilter's verdicts
(bogofilter-out/score.txt). For every setting of Robinson's s and x, the minimum distance from
0.5 and the spam cut-off on Fisher's indicator, this rates every split's messages as the module
does and prints per split the spam caught and the false positives beside bogofilter's.

Then each split in turn is held out: the setting is chosen on the other splits (fewest false
positives beyond bogofilter's on any of them, then the most spam caught; ties go to the
setting nearest bogofilter's long-tested defaults) and rated on the held-out split, which
shows how the choice does on mail it was not chosen on.
   tune_score.py [--cut C] RUN_DIR [SPLIT ...]      (RUN_DIR: build/corpus/run)
--cut keeps the cut-off at C and chooses the rest.
"""
import math
import os
import sys

# bogofilter's defaults: robs, robx, min_dev, spam_cutoff.
DEFAULT = (0.0178, 0.52, 0.375, 0.99)
GRID_S = [0.0178, 0.1, 0.3, 1.0, 3.0, 10.0]
GRID_X = [0.5, 0.52]
GRID_D = [0.1, 0.2, 0.3, 0.375, 0.45]
GRID_CUT = [0.9, 0.95, 0.98, 0.99, 0.995, 0.999]


def chi2q(x2, k):
    """Upper tail of chi-square with 2k degrees of freedom at x2."""
    if x2 <= 0:
        return 1.0
    m = x2 / 2.0
    logs = [-m + i * math.log(m) - math.lgamma(i + 1) for i in range(k)]
    top = max(logs)
    return min(1.0, math.exp(top) * sum(math.exp(v - top) for v in logs))


def load_words(path):
    messages = []
    totals = None
    current = None
    for line in open(path):
        parts = line.split()
        if parts[0] == 'T':
            totals = (int(parts[1]), int(parts[2]))
        elif parts[0] == 'M':
            current = ('spam-test' in parts[1], os.path.basename(parts[1]), [])
            messages.append(current)
        else:
            current[2].append((int(parts[0]), int(parts[1])))
    return totals, messages


def load_bogofilter(path):
    caught = fp = spam = ham = 0
    for line in open(path):
        name, verdict = line.split()[:2]
        if 'spam-test' in name:
            spam += 1
            caught += verdict == 'S'
        else:
            ham += 1
            fp += verdict == 'S'
    return caught, spam, fp, ham


def indicators(totals, messages, s, x, d):
    ts, th = totals
    cache = {}
    out = []
    for is_spam, name, words in messages:
        lp = lq = 0.0
        n = 0
        for pair in words:
            f = cache.get(pair)
            if f is None:
                sc, nc = pair
                a = min(sc / ts, 1.0) if ts > 0 and sc > 0 else (1.0 if sc > 0 else 0.0)
                b = min(nc / th, 1.0) if th > 0 and nc > 0 else (1.0 if nc > 0 else 0.0)
                if a + b == 0:
                    f = -1.0
                else:
                    f = (s * x + (sc + nc) * a / (a + b)) / (s + sc + nc)
                    if abs(f - 0.5) < d:
                        f = -1.0
                cache[pair] = f
            if f < 0:
                continue
            lp += math.log(f)
            lq += math.log1p(-f)
            n += 1
        value = None
        if n > 0:
            value = (1 + chi2q(-2 * lp, n) - chi2q(-2 * lq, n)) / 2
        out.append((is_spam, name, value))
    return out


def rate(rated, cut):
    caught = fp = 0
    for is_spam, _, value in rated:
        if value is not None and value >= cut:
            if is_spam:
                caught += 1
            else:
                fp += 1
    return caught, fp


def distance_from_default(setting):
    return sum(abs(math.log(a / b)) for a, b in zip(setting, DEFAULT))


def main():
    global GRID_CUT
    args = sys.argv[1:]
    if args[:1] == ['--cut']:
        GRID_CUT = [float(args[1])]
        args = args[2:]
    run = args[0]
    splits = args[1:] or sorted(
        d for d in os.listdir(run) if os.path.isfile(os.path.join(run, d, 'words.txt')))
    data = {name: load_words(os.path.join(run, name, 'words.txt')) for name in splits}
    bogo = {name: load_bogofilter(os.path.join(run, name, 'bogofilter-out', 'score.txt'))
            for name in splits}
    for name in splits:
        c, ns, f, nh = bogo[name]
        print(f"bogofilter {name}: caught {c}/{ns}, false positives {f}/{nh}")

    # results[setting][split] = (caught, fp)
    results = {}
    for s in GRID_S:
        for x in GRID_X:
            for d in GRID_D:
                rated = {name: indicators(*data[name], s, x, d) for name in splits}
                for cut in GRID_CUT:
                    setting = (s, x, d, cut)
                    results[setting] = {name: rate(rated[name], cut) for name in splits}
                    row = ' '.join(f"{name} {c}/{f}" for name, (c, f) in results[setting].items())
                    print(f"s={s} x={x} d={d} cut={cut}: {row}", flush=True)

    print("\nheld out: the setting chosen on the other splits, rated on this one")
    for held in splits:
        others = [n for n in splits if n != held]

        def key(setting):
            # False positives beyond bogofilter's first, a split at a time: no split may pay
            # for another's catch. Then the most spam, then the setting nearest the defaults.
            excess = sum(max(0, results[setting][n][1] - bogo[n][2]) for n in others)
            caught = sum(results[setting][n][0] for n in others)
            return (excess, -caught, distance_from_default(setting))

        best = min(results, key=key)
        c, f = results[best][held]
        bc, ns, bf, nh = bogo[held]
        print(f"{held}: chosen s={best[0]} x={best[1]} d={best[2]} cut={best[3]}; "
              f"caught {c}/{ns} (bogofilter {bc}), false positives {f}/{nh} (bogofilter {bf})")


main()
