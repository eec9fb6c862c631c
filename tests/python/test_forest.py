"""Forests from Python: the command-line tool's file, byte for byte, grown
on local threads or on a Dask cluster; bad descriptions refused."""
import pytest

import verdanthollow as vh
from conftest import headless_gl_or_skip

# Small presets with their chains and wind: every part of the file format.
DESCRIPTION = """seed = 5
area = 12 x 12
count = 30
spacing = 1
scale = 0.7 1.3
lod = yes
wind = yes
species = young-sapling
variants = 2
species = dead-tree
variants = 2
"""


@pytest.fixture(scope="module")
def tools_forest(tmp_path_factory, cli):
    folder = tmp_path_factory.mktemp("cli")
    (folder / "forest.txt").write_text(DESCRIPTION)
    cli("forest", folder / "forest.txt", "-o", folder / "forest.glb")
    return (folder / "forest.glb").read_bytes()


def test_local_threads_write_the_tools_file(tmp_path, tools_forest):
    # From the description's file on one thread, from its text on every core.
    (tmp_path / "forest.txt").write_text(DESCRIPTION)
    headless_gl_or_skip(lambda: vh.forest(str(tmp_path / "forest.txt"), tmp_path / "a.glb", threads=1))
    assert (tmp_path / "a.glb").read_bytes() == tools_forest
    vh.forest(DESCRIPTION, tmp_path / "b.glb")
    assert (tmp_path / "b.glb").read_bytes() == tools_forest


# Dask's event loop still calls a deprecated tornado function.
@pytest.mark.filterwarnings("ignore::DeprecationWarning")
def test_a_local_cluster_of_two_processes_writes_the_same_file(tmp_path, tools_forest):
    distributed = pytest.importorskip(
        "distributed", reason="growing on a cluster needs Dask's distributed (Debian: python3-distributed)")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        headless_gl_or_skip(lambda: vh.forest(DESCRIPTION, tmp_path / "forest.glb", client=client))
    assert (tmp_path / "forest.glb").read_bytes() == tools_forest


@pytest.mark.parametrize("text, message", [
    ("area = 10 x 10\ncount = 5\nspecies = oak-of-dreams\n", "line 3: unknown species 'oak-of-dreams'"),
    ("area = 10 x 10\ncount = -5\nspecies = conifer\n", "line 2: count needs a whole number"),
    ("area = 10 x 10\ncount = 50\nspacing = 3\nspecies = conifer\n", "line 3: a spacing of 3 cannot fit"),
])
def test_bad_descriptions_raise_naming_the_line_and_write_nothing(tmp_path, text, message):
    with pytest.raises(ValueError, match=message):
        vh.forest(text, tmp_path / "forest.glb")
    assert list(tmp_path.iterdir()) == []
