"""Inputs that are not files (named pipes, devices, folders) given to the
module: each is refused at once with an OSError naming the path and what it
is. Each call runs in a Python of its own with a time limit, so that a
module waiting on a pipe fails the test instead of hanging it."""
import os
import subprocess
import sys

import pytest

# Runs `call` with `pipe`, `folder` and `out` set; prints the OSError's
# text, or the warning's that a picture is missing (stopping the export).
REFUSE = """
import sys
import warnings
import verdanthollow as vh
warnings.simplefilter("error", RuntimeWarning)
pipe, folder, out = sys.argv[1:]
try:
    {call}
except (OSError, RuntimeWarning) as error:
    print(error)
"""

TEXTURED_LEAVES = ("d = vh.Document(); d['leafTextureFile'] = {picture}; d['leafTextureLoaded'] = True; "
                   "vh.grow(d).export(out)")


# Documents and forests name the file in quotes; pictures' messages start with its name.
DOCUMENT = "'{name}' is {kind}, not a file"
PICTURE = "{name}: it is {kind}, not a file"
# A document's picture that cannot be read is left out of the export.
MISSING = "the leaf picture '{name}' is missing (it is {kind}, not a file): the leaves are exported untextured, in the material colours"
FOREST = "cannot read the forest description '{name}': it is {kind}, not a file"


@pytest.mark.parametrize("call, refused, kind, said", [
    ("vh.Document.load(pipe)", "pipe", "a named pipe", DOCUMENT),
    ("vh.forest(pipe, out)", "pipe", "a named pipe", FOREST),
    ("vh.bark_tile(pipe, out)", "pipe", "a named pipe", PICTURE),
    ("vh.bark_tile(folder, out)", "folder", "a folder", PICTURE),
    ("vh.bark_tile('/dev/zero', out)", "/dev/zero", "a character device", PICTURE),
    (TEXTURED_LEAVES.format(picture="pipe"), "pipe", "a named pipe", MISSING),
    (TEXTURED_LEAVES.format(picture="'/dev/urandom'"), "/dev/urandom", "a character device", MISSING),
])
def test_inputs_that_are_not_files_are_refused_at_once(tmp_path, call, refused, kind, said):
    pipe = tmp_path / "leaf.bmp"
    os.mkfifo(pipe)
    folder = tmp_path / "photo.jpg"
    folder.mkdir()
    out = tmp_path / "out.glb"
    done = subprocess.run([sys.executable, "-c", REFUSE.format(call=call), str(pipe), str(folder), str(out)],
                          capture_output=True, text=True, timeout=20)
    assert done.returncode == 0, done.stderr
    named = {"pipe": str(pipe), "folder": str(folder)}.get(refused, refused)
    assert done.stdout.strip() == said.format(name=named, kind=kind)
    assert not out.exists()
