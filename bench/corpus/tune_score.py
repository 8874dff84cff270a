#!/usr/bin/env python3
"""Searches the score's constants on the word counts that bench/spam_words_dump prints.

For each (s, x, minimum distance from 0.5) it rates the development messages with Robinson's
smoothed word probability and Fisher's combination, and prints, per setting, the spam caught
and false positives at the best cut-offs, and the indicator's quantiles for spam and ham.
   tune_score.py DUMP [SPAM_MESSAGES HAM_MESSAGES]
With the message counts given, p(w) uses them instead of the sides' totals.
"""
import math
import sys


def chi2q(x2, k):
    """Upper tail of chi-square with 2k degrees of freedom at x2."""
    if x2 <= 0:
        return 1.0
    m = x2 / 2.0
    term = math.exp(-m)
    total = term
    if term == 0.0:
        # log-space sum
        logs = [-m + i * math.log(m) - math.lgamma(i + 1) for i in range(k)]
        top = max(logs)
        return min(1.0, math.exp(top) * sum(math.exp(l - top) for l in logs))
    for i in range(1, k):
        term *= m / i
        total += term
    return min(total, 1.0)


def load(path):
    messages = []
    totals = None
    current = None
    for line in open(path):
        parts = line.split()
        if parts[0] == 'T':
            totals = (int(parts[1]), int(parts[2]))
        elif parts[0] == 'M':
            current = ('spam-test' in parts[1], [])
            messages.append(current)
        else:
            current[1].append((int(parts[0]), int(parts[1])))
    return totals, messages


def indicator(words, ts, th, s, x, d):
    lp = lq = 0.0
    n = 0
    for sc, nc in words:
        a = min(sc / ts, 1.0) if ts > 0 else 0.0
        b = min(nc / th, 1.0) if th > 0 else 0.0
        if a + b == 0:
            continue
        p = a / (a + b)
        N = sc + nc
        f = (s * x + N * p) / (s + N)
        if abs(f - 0.5) < d:
            continue
        lp += math.log(f)
        lq += math.log1p(-f)
        n += 1
    if n == 0:
        return None
    h = chi2q(-2 * lp, n)
    sp = chi2q(-2 * lq, n)
    return (1 + h - sp) / 2


def main():
    totals, messages = load(sys.argv[1])
    ts, th = totals
    if len(sys.argv) > 3:
        ts, th = int(sys.argv[2]), int(sys.argv[3])
    grid_s = [0.1, 0.3, 1.0, 3.0]
    grid_x = [0.4, 0.5, 0.6]
    grid_d = [0.0, 0.1, 0.2, 0.3, 0.4]
    for s in grid_s:
        for x in grid_x:
            for d in grid_d:
                spam = []
                ham = []
                none = 0
                for is_spam, words in messages:
                    i = indicator(words, ts, th, s, x, d)
                    if i is None:
                        none += 1
                        continue
                    (spam if is_spam else ham).append(i)
                spam.sort()
                ham.sort()
                top_ham = ham[-1]
                caught = sum(1 for v in spam if v > top_ham)
                q = lambda v, f: v[min(len(v) - 1, int(f * len(v)))]
                print(f"s={s} x={x} d={d}: caught {caught}/{len(spam)} above max ham {top_ham:.4f};"
                      f" ham q50/q99 {q(ham,.5):.4f}/{q(ham,.99):.4f};"
                      f" spam q10/q25/q50 {q(spam,.1):.4f}/{q(spam,.25):.4f}/{q(spam,.5):.4f};"
                      f" none {none}; spam>=.9 {sum(v>=.9 for v in spam)} ham>=.9 {sum(v>=.9 for v in ham)}"
                      f" ham<=.1 {sum(v<=.1 for v in ham)}")


main()
