#!/usr/bin/env python3
"""Python's decimal module, made exact, on the operands written by bench_decimal.

Usage: bench_decimal.py OPERANDS RESULTS
OPERANDS has lines "<n> <name> <text>"; RESULTS receives "<op> <n> <median ns> <result text>".
"""
import decimal
import statistics
import sys
import time

ctx = decimal.Context(prec=decimal.MAX_PREC, Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN)
ctx.traps[decimal.Inexact] = True
ctx.traps[decimal.Rounded] = True
decimal.setcontext(ctx)
D = decimal.Decimal


def canonical(x):
    return format(x.normalize(), 'f')


def median_ns(fn, budget_ns=2_000_000, reps=9):
    # CPU time of this thread, as on the C++ side: time spent descheduled is not counted.
    start = time.thread_time_ns()
    fn()
    once = max(time.thread_time_ns() - start, 1)
    loops = max(1, budget_ns // once)
    if once > 200_000_000:
        reps = 3
    samples = []
    for _ in range(reps):
        start = time.thread_time_ns()
        for _ in range(loops):
            fn()
        samples.append((time.thread_time_ns() - start) / loops)
    return statistics.median(samples)


def main():
    operands = {}
    with open(sys.argv[1]) as f:
        for line in f:
            n, name, text = line.rstrip('\n').split(' ', 2)
            operands.setdefault(int(n), {})[name] = text
    out = open(sys.argv[2], 'w')
    for n, t in sorted(operands.items()):
        if 'Z' not in t:  # a size for the n x n product only
            x, y = D(t['X']), D(t['Y'])
            ns = median_ns(lambda: x * y)
            out.write(f'mul_nn {n} {ns:.1f} {canonical(x * y)}\n')
            out.flush()
            continue
        x, y, z, w, x2 = (D(t[k]) for k in ('X', 'Y', 'Z', 'W', 'X2'))
        xcopy = D(t['X'])
        cases = [
            ('add_eq', lambda: x + y, lambda r: canonical(r)),
            ('add_diff', lambda: x + z, lambda r: canonical(r)),
            ('mul_8', lambda: w * x, lambda r: canonical(r)),
            ('mul_nn', lambda: x * y, lambda r: canonical(r)),
            ('greater', lambda: x2 > x, lambda r: 'Bigger' if r else 'Not bigger'),
            ('equal', lambda: x == xcopy, lambda r: 'Equal' if r else 'Not Equal'),
            ('parse', lambda: D(t['X']), lambda r: canonical(r)),
            ('totext', lambda: canonical(x), lambda r: r),
        ]
        for op, fn, text in cases:
            ns = median_ns(fn)
            out.write(f'{op} {n} {ns:.1f} {text(fn())}\n')
            out.flush()
    out.close()


if __name__ == '__main__':
    main()
