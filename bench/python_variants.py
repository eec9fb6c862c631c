#!/usr/bin/python3
"""Grows 100 seeded variants of a preset into .glb files four ways and
prints the wall-clock and processor time of each (processor time counts
this process and the tool's processes, and tells the ways apart on a
machine busy with other work): through the Python module on one thread
and on two threads (each tree meshed by one worker, so the threads share the
cores), and through verdanthollow-cli, one process at a time and two at a
time. Nothing is checked: the tests do that.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_variants.py \
        --cli build/release/src/cli/verdanthollow-cli [--preset conifer] [--count 100]
"""
import argparse
import os
import subprocess
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

import verdanthollow as vh


def python_variants(doc, seeds, folder, threads):
    def variant(seed):
        vh.grow(doc, seed=seed, workers=1).export(os.path.join(folder, f"tree-{seed:03}.glb"))

    with ThreadPoolExecutor(max_workers=threads) as pool:
        list(pool.map(variant, seeds))


def cli_variants(cli, preset, seeds, folder, processes):
    running = []
    for seed in seeds:
        if len(running) == processes:
            running.pop(0).wait()
        running.append(subprocess.Popen([cli, "export", "--preset", preset, "--seed", str(seed),
                                         "-o", os.path.join(folder, f"tree-{seed:03}.glb")]))
    for process in running:
        process.wait()
        if process.returncode != 0:
            raise RuntimeError("verdanthollow-cli failed")


def cpu_seconds():
    times = os.times()
    return times.user + times.system + times.children_user + times.children_system


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--cli", required=True, help="the verdanthollow-cli to compare with")
    parser.add_argument("--preset", default="conifer")
    parser.add_argument("--count", type=int, default=100)
    options = parser.parse_args()
    doc = vh.Document.preset(options.preset)
    seeds = range(1, options.count + 1)
    runs = [
        ("python, 1 thread", lambda folder: python_variants(doc, seeds, folder, 1)),
        ("python, 2 threads", lambda folder: python_variants(doc, seeds, folder, 2)),
        ("cli, 1 process at a time", lambda folder: cli_variants(options.cli, options.preset, seeds, folder, 1)),
        ("cli, 2 processes at a time", lambda folder: cli_variants(options.cli, options.preset, seeds, folder, 2)),
    ]
    print(f"{options.count} variants of {options.preset} into .glb files, {os.cpu_count()} cores")
    for name, run in runs:
        with tempfile.TemporaryDirectory(prefix="vh-bench-") as folder:
            start, start_cpu = time.perf_counter(), cpu_seconds()
            run(folder)
            seconds, cpu = time.perf_counter() - start, cpu_seconds() - start_cpu
            size = sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder))
        print(f"{name:28s} {seconds:7.2f} s  {1000 * seconds / options.count:7.1f} ms per tree  "
              f"processor {cpu:7.2f} s  {size / 1e6:8.1f} MB written")


if __name__ == "__main__":
    main()
