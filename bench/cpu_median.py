#!/usr/bin/python3
"""Interleaved runs of whole commands; prints the median CPU time (user + system) of each with
its interquartile range, the measure least disturbed by other work on a shared machine.

  bench/cpu_median.py ROUNDS NAME -- COMMAND... [NAME -- COMMAND...]   (each command's words
  separated by spaces; a word '--' ends a name)
Commands run round-robin, ROUNDS times each, with their output discarded.
"""
import os
import statistics
import sys


def parse(argv):
    cmds, i = [], 0
    while i < len(argv):
        name = argv[i]
        assert argv[i + 1] == "--", "NAME -- COMMAND"
        j = i + 2
        while j < len(argv) and not (j + 1 < len(argv) and argv[j + 1] == "--"):
            j += 1
        cmds.append((name, argv[i + 2:j]))
        i = j
    return cmds


def cpu_ms(cmd):
    pid = os.fork()
    if pid == 0:
        fd = os.open(os.devnull, os.O_WRONLY)
        os.dup2(fd, 1)
        os.dup2(fd, 2)
        os.execvp(cmd[0], cmd)
    _, _, usage = os.wait4(pid, 0)
    return (usage.ru_utime + usage.ru_stime) * 1000


def main():
    rounds = int(sys.argv[1])
    cmds = parse(sys.argv[2:])
    times = {name: [] for name, _ in cmds}
    for _ in range(rounds):
        for name, cmd in cmds:
            times[name].append(cpu_ms(cmd))
    for name, t in times.items():
        t.sort()
        print(f"  {name:24s} {statistics.median(t):8.1f} ms  (IQR {t[len(t) // 4]:.1f}-{t[3 * len(t) // 4]:.1f})")


main()
