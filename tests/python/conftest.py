"""Shared fixtures of the Python module's tests.

The tests import verdanthollow from the build tree and run the command-line
tool of the same build, whose files and counts the module must match:
scripts/test.sh sets PYTHONPATH to <build>/python and VH_CLI to the tool.
"""
import os
import re
import subprocess

import pytest

import verdanthollow as vh


@pytest.fixture(scope="session")
def cli():
    """Runs verdanthollow-cli with the given arguments and returns its stdout."""
    program = os.environ.get("VH_CLI")
    if not program:
        raise RuntimeError("VH_CLI must name the verdanthollow-cli of the build under test")

    def run(*arguments, cwd=None):
        done = subprocess.run([program, *map(str, arguments)], cwd=cwd, capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        return done.stdout

    return run


@pytest.fixture(scope="session")
def cli_counts(cli):
    """The counts `verdanthollow-cli info` prints, as a dict like Tree.counts."""

    def counts(*arguments):
        line = cli("info", *arguments).strip()
        fields = re.fullmatch(r"submeshes (\d+) vertices (\d+) polygons (\d+) leaves (\d+)", line)
        assert fields, line
        return dict(zip(("submeshes", "vertices", "polygons", "leaves"), map(int, fields.groups())))

    return counts


def files_in(folder):
    """Every file below `folder` with its bytes, by relative name."""
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as file:
                found[os.path.relpath(path, folder)] = file.read()
    return found


def headless_gl_or_skip(action):
    """Runs `action`; skips the test where no OpenGL context without a display can be made."""
    try:
        return action()
    except RuntimeError as error:
        if "without a display" in str(error):
            pytest.skip(str(error))
        raise


@pytest.fixture
def conifer():
    return vh.Document.preset("conifer")
