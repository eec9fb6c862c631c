#!/usr/bin/env python3
"""Saves and exports killed while they write: after every SIGKILL the target
must be the old file byte for byte or the complete new one, and no temporary
file may be left where the user sees it; a hidden one left by a kill must be
gone after the next write to the same target.

    kill_during_writes.py export CLI [--kills N]
        The command-line export of a tree of tens of megabytes (.glb), killed
        at random moments while the file is written, half of the runs with
        temporary files named from the start (as on file systems without
        unnamed files).
    kill_during_writes.py save PYTHONPATH [--kills N]
        A .vhm save through the Python module, in a process that saves two
        documents in turn until it is killed at a random moment.
    kill_during_writes.py program PROGRAM [--kills N]
        The desktop program's "Save" (Ctrl+S pressed through the X server by
        xdotool) killed at a random moment; run under a virtual display.

Each prints one line per kill and exits non-zero at the first fault.
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(os.path.dirname(HERE), "data")
LARGE_TREE = os.path.join(DATA, "tens_of_megabytes_tree.vhm")


class Fault(Exception):
    pass


def read(path):
    with open(path, "rb") as file:
        return file.read()


def write(path, data):
    with open(path, "wb") as file:
        file.write(data)


def temporary_pattern(target):
    """The hidden temporary files of `target` (see src/foundations/atomic_file.h)."""
    return re.compile(r"\." + re.escape(os.path.basename(target)) + r"\.[A-Za-z0-9]{6}\.partial")


class Target:
    """A file that writes are killed over, its old and new content, and what
    the kills left beside it."""

    def __init__(self, folder, name, old, new):
        self.path = os.path.join(folder, name)
        self.folder = folder
        self.old = old
        self.new = new
        self.pattern = temporary_pattern(self.path)
        self.left = set()  # temporary files a kill left behind
        self.kills = 0

    def restore(self):
        write(self.path, self.old)

    def check(self, what):
        """After a kill: the target is whole, and nothing else is there but
        hidden temporary files of the target that are new since the last
        write (the ones before, that write removed)."""
        content = read(self.path)
        if content != self.old and content != self.new:
            raise Fault(f"{what}: the target holds {len(content)} bytes, neither the old "
                        f"({len(self.old)}) nor the new file ({len(self.new)})")
        others = sorted(set(os.listdir(self.folder)) - {os.path.basename(self.path)})
        strangers = [name for name in others if not self.pattern.fullmatch(name)]
        if strangers:
            raise Fault(f"{what}: files left where the user sees them: {strangers}")
        stale = self.left & set(others)
        if stale:
            raise Fault(f"{what}: the write did not remove what an earlier kill left: {sorted(stale)}")
        self.left = set(others)
        return "new" if content == self.new else "old", len(others)

    def check_clean(self, what):
        """After a write that was not killed: the new file alone."""
        if read(self.path) != self.new:
            raise Fault(f"{what}: the complete write did not leave the new file")
        others = set(os.listdir(self.folder)) - {os.path.basename(self.path)}
        if others:
            raise Fault(f"{what}: the complete write left {sorted(others)} behind")
        self.left = set()


def kill_at(process, delay):
    """SIGKILLs `process` after `delay` seconds; False when it ended first."""
    try:
        process.wait(timeout=delay)
        return False
    except subprocess.TimeoutExpired:
        process.send_signal(signal.SIGKILL)
        process.wait()
        return True


def bytes_written(pid):
    """The bytes the process has written so far (all its writes, any file)."""
    try:
        with open(f"/proc/{pid}/io") as io:
            for line in io:
                if line.startswith("wchar:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def inode(path):
    try:
        return os.stat(path).st_ino
    except FileNotFoundError:
        return None


def wait_for_replacement(process, path, before, give_up=30.0):
    """Waits until a write has replaced `path` (whose inode was `before`)."""
    started = time.monotonic()
    while inode(path) == before:
        if process.poll() is not None or time.monotonic() - started > give_up:
            raise Fault(f"nothing was saved within {give_up:.0f} s")
        time.sleep(0.001)


def wait_for_writing(process, give_up=120.0):
    """Waits until the process writes (the export starts its file); the
    seconds that took, or None when it ended first."""
    started = time.monotonic()
    while process.poll() is None and time.monotonic() - started < give_up:
        if bytes_written(process.pid) > 0:
            return time.monotonic() - started
        time.sleep(0.001)
    return None


# ---- the command-line export ------------------------------------------------

def export_kills(cli, kills, rng):
    with tempfile.TemporaryDirectory(prefix="vh-kill-export-") as scratch:
        # Named as the target is: the file's name names its nodes.
        os.mkdir(os.path.join(scratch, "reference"))
        reference = os.path.join(scratch, "reference", "tree.glb")
        started = time.monotonic()
        process = subprocess.Popen([cli, "export", LARGE_TREE, "-o", reference])
        growing = wait_for_writing(process)
        if process.wait() != 0 or growing is None:
            raise Fault("the reference export failed")
        writing = time.monotonic() - started - growing
        new = read(reference)
        if len(new) < 10 << 20:
            raise Fault(f"the reference export has {len(new)} bytes, not tens of megabytes")
        print(f"export: {len(new) >> 20} MB, growing {growing:.2f} s, writing {writing:.2f} s")

        folder = os.path.join(scratch, "out")
        os.mkdir(folder)
        subprocess.run([cli, "export", "-o", os.path.join(folder, "tree.glb")], check=True)  # the default tree
        target = Target(folder, "tree.glb", read(os.path.join(folder, "tree.glb")), new)
        command = [cli, "export", LARGE_TREE, "-o", target.path]
        runs = 0
        while target.kills < kills:
            named = runs % 2 == 1
            env = dict(os.environ, VH_NAMED_TEMPORARY_FILES="1" if named else "")
            target.restore()
            process = subprocess.Popen(command, env=env)
            if wait_for_writing(process) is None:
                raise Fault("the export ended before it wrote")
            wrote_at = time.monotonic()
            # Within the shortest write seen, so that nearly every run is
            # killed while it writes.
            delay = rng.uniform(0.0, 0.95 * writing)
            killed = kill_at(process, delay)
            runs += 1
            what = f"export run {runs} ({'named' if named else 'unnamed'} temporary files), " \
                   f"{'killed' if killed else 'not killed'} {delay:.3f} s into the write"
            if not killed:
                writing = min(writing, time.monotonic() - wrote_at)
                if process.returncode != 0:
                    raise Fault(f"{what}: the export failed")
                target.check_clean(what)
                print(what + ": complete")
                continue
            target.kills += 1
            found, left = target.check(what)
            print(f"{what}: the {found} file, {left} hidden temporary file(s)")
        subprocess.run(command, check=True)
        target.check_clean("the export after the kills")
        print(f"export: {target.kills} kills over the write in {runs} runs, every target whole")


# ---- the .vhm save through the Python module ---------------------------------

SAVER = """
import sys
import verdanthollow as vh
target, first, second = sys.argv[1:]
documents = [vh.Document.load(first), vh.Document.load(second)]
print("saving", flush=True)
while True:
    for document in documents:
        document.save(target)
"""


def save_kills(pythonpath, kills, rng):
    with tempfile.TemporaryDirectory(prefix="vh-kill-save-") as scratch:
        env = dict(os.environ, PYTHONPATH=pythonpath, PYTHONDONTWRITEBYTECODE="1")
        first, second = os.path.join(scratch, "a.vhm"), os.path.join(scratch, "b.vhm")
        make = ("import verdanthollow as vh, sys\n"
                "a = vh.Document(); a.save(sys.argv[1])\n"
                "b = vh.Document.load(sys.argv[3]); b['seed'] = 7; b.save(sys.argv[2])\n")
        subprocess.run([sys.executable, "-c", make, first, second, LARGE_TREE], env=env, check=True)
        folder = os.path.join(scratch, "out")
        os.mkdir(folder)
        target = Target(folder, "tree.vhm", read(first), read(second))
        found_new = 0
        for run in range(1, kills + 1):
            named = run % 2 == 0
            run_env = dict(env, VH_NAMED_TEMPORARY_FILES="1" if named else "")
            before = inode(target.path)
            process = subprocess.Popen([sys.executable, "-c", SAVER, target.path, first, second],
                                       env=run_env, stdout=subprocess.PIPE, text=True)
            if process.stdout.readline().strip() != "saving":
                raise Fault("the saving process did not start")
            # From the first save on (which removed what the last kill left).
            wait_for_replacement(process, target.path, before)
            delay = rng.uniform(0.0, 0.2)
            if not kill_at(process, delay):
                raise Fault(f"the saving process ended by itself: {process.returncode}")
            process.stdout.close()
            what = f"save run {run} ({'named' if named else 'unnamed'} temporary files), killed after {delay:.3f} s"
            found, left = target.check(what)  # "old" is the first document, "new" the second
            found_new += found == "new"
            target.kills += 1
            print(f"{what}: {'the second' if found == 'new' else 'the first'} document, "
                  f"{left} hidden temporary file(s)")
        print(f"save: {target.kills} kills while saving, every target whole "
              f"({found_new} times the second document)")


# ---- the desktop program's Save ------------------------------------------------

def program_kills(program, kills, rng):
    if shutil.which("xdotool") is None:
        raise Fault("xdotool is needed to press Ctrl+S")
    with tempfile.TemporaryDirectory(prefix="vh-kill-program-") as scratch:
        folder = os.path.join(scratch, "out")
        os.mkdir(folder)
        # The old file is the document with Windows line ends, which the
        # program reads and saves with its own.
        canonical = read(os.path.join(DATA, "default_tree.vhm"))
        old = canonical.replace(b"\n", b"\r\n")
        target = Target(folder, "tree.vhm", old, canonical)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(scratch, "config"))
        for run in range(1, kills + 1):
            target.restore()
            before = inode(target.path)
            named = run % 2 == 0
            process = subprocess.Popen([program, target.path],
                                       env=dict(env, VH_NAMED_TEMPORARY_FILES="1" if named else ""),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            keys = None
            try:
                window = main_window(process)
                # Ctrl+S every 20 ms, from the first save on killed at a random moment.
                keys = subprocess.Popen(["xdotool", "windowfocus", "--sync", window,
                                         "key", "--repeat", "200", "--delay", "20", "ctrl+s"])
                wait_for_replacement(process, target.path, before)
                delay = rng.uniform(0.0, 0.3)
                if not kill_at(process, delay):
                    raise Fault(f"the program ended by itself: {process.returncode}")
            finally:
                for started in (keys, process):
                    if started is not None and started.poll() is None:
                        started.kill()
                        started.wait()
            what = f"program run {run} ({'named' if named else 'unnamed'} temporary files), " \
                   f"killed {delay:.3f} s into its saves"
            found, left = target.check(what)
            target.kills += 1
            print(f"{what}: the {found} file, {left} hidden temporary file(s)")
        print(f"program: {target.kills} kills while saving, every target whole")


def main_window(process, timeout=60.0):
    """The id of the program's main window, once it is shown."""
    give_up = time.monotonic() + timeout
    while time.monotonic() < give_up and process.poll() is None:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Verdanthollow"],
                               capture_output=True, text=True).stdout.split()
        for window in found:
            shape = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                   capture_output=True, text=True).stdout
            values = dict(line.split("=", 1) for line in shape.split() if "=" in line)
            if int(values.get("WIDTH", 0)) > 600:
                return window
        time.sleep(0.05)
    raise Fault("the program's window did not appear")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("what", choices=["export", "save", "program"])
    parser.add_argument("tool", help="the CLI, the Python module's folder or the program")
    parser.add_argument("--kills", type=int, default=50)
    parser.add_argument("--seed", type=int, default=None, help="of the random moments (default: any)")
    options = parser.parse_args()
    seed = options.seed if options.seed is not None else random.randrange(1 << 30)
    print(f"random moments of seed {seed}")
    rng = random.Random(seed)
    run = {"export": export_kills, "save": save_kills, "program": program_kills}[options.what]
    try:
        run(options.tool, options.kills, rng)
    except Fault as fault:
        print(f"FAULT: {fault}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
