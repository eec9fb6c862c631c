"""Grow procedural trees from Python.

The same documents and seeds grow the same trees, float for float, as the
desktop program and ``verdanthollow-cli``; exports go through the same
writers, so their files are byte for byte the tool's::

    import verdanthollow as vh
    doc = vh.Document.preset("conifer")
    doc.level(2)["nb children max"] = 6
    tree = vh.grow(doc, seed=7)
    print(tree.counts)            # {'submeshes': ..., 'vertices': ..., ...}
    mesh = tree.mesh()            # numpy arrays: positions, normals, uvs, indices
    tree.export("conifer.glb")

See docs/python.md for the whole interface.
"""

import functools
import os
import tempfile
import warnings

from ._verdanthollow import (  # noqa: F401  (re-exported)
    Cancellation,
    Document,
    DocumentError,
    Level,
    Mesh,
    Tree,
    bark_tile,
    grow,
)
from . import _verdanthollow

__all__ = ["Cancellation", "Document", "DocumentError", "Level", "Mesh", "Tree",
           "bark_tile", "forest", "grow", "preset_folder", "presets"]


def preset_folder() -> str:
    """The folder of the installed species presets.

    VERDANTHOLLOW_PRESETS names it when set; otherwise it is
    share/verdanthollow/presets of the installation (the module lies in
    <prefix>/lib/python3/dist-packages/verdanthollow) or of the build tree
    (<build>/python/verdanthollow). Raises FileNotFoundError naming the
    places looked at.
    """
    override = os.environ.get("VERDANTHOLLOW_PRESETS")
    if override:
        return override
    here = os.path.dirname(os.path.abspath(__file__))
    share = os.path.join("share", "verdanthollow", "presets")
    candidates = [os.path.normpath(os.path.join(here, "..", "..", "..", "..", share)),
                  os.path.normpath(os.path.join(here, "..", "..", share))]
    for folder in candidates:
        if os.path.isdir(folder):
            return folder
    raise FileNotFoundError("the species presets are not installed; looked in "
                            + " ".join(repr(folder) for folder in candidates))


def presets() -> list:
    """The names of the installed species presets, sorted."""
    return _verdanthollow._preset_names(preset_folder())


def _preset(name: str) -> Document:
    """The document of the installed species preset `name` (see presets()).

    Its picture names are made absolute, so the document grows and exports
    from anywhere. Raises OSError for a name that is not a preset.
    """
    return Document._read_preset(preset_folder(), name)


def _to_glb(self, scale=None, lod=False, name="tree") -> bytes:
    """The tree as a binary glTF file, exactly what export(name + ".glb") writes."""
    with tempfile.TemporaryDirectory(prefix="verdanthollow-") as folder:
        path = os.path.join(folder, name + ".glb")
        self.export(path, scale=scale, lod=lod)
        with open(path, "rb") as glb:
            return glb.read()


Document.preset = staticmethod(_preset)
Tree.to_glb = _to_glb


def _description(description):
    """(text, name for messages, folder of relative documents) of a forest
    description given as a file name or as its text."""
    description = os.fspath(description)
    if "\n" not in description and os.path.exists(description):
        # Read by the core, which refuses what is not a regular file (a
        # named pipe would keep open() waiting) with an OSError naming it.
        text = _verdanthollow._read_forest_description(description)
        return text, description, os.path.join(os.path.dirname(os.path.abspath(description)), "")
    return description, "<forest description>", os.path.join(os.getcwd(), "")


@functools.lru_cache(maxsize=4)
def _plan(text, name, folder, presets_folder):
    """The plan of a description, read once per process (each Dask worker
    plans the forest it grows variants of)."""
    return _verdanthollow._ForestPlan(text, name, folder, presets_folder)


def _grow_variant(variant, text, name, folder, presets_folder) -> bytes:
    """The pack of one variant: what a Dask worker computes."""
    return _verdanthollow._grow_pack(_plan(text, name, folder, presets_folder), variant)


def forest(description, path, client=None, *, instancing="gpu", threads=0) -> None:
    """Grows the forest of `description` (a file name or the description's
    text, see docs/forest.md) and writes it to the .glb `path`, byte for byte
    what ``verdanthollow-cli forest`` writes.

    Without `client` the variants grow on this machine's cores (`threads`,
    0: one per core), without the GIL, and Ctrl+C stops them with nothing
    written. With a ``dask.distributed.Client`` they grow on its workers,
    which must reach the description's documents and the presets at the same
    paths; their packs come back and are written here in order, into the
    same file. Raises ValueError for a description that cannot be used
    (naming its line), OSError when the file cannot be written.
    """
    text, name, folder = _description(description)
    presets_folder = preset_folder()
    plan = _plan(text, name, folder, presets_folder)
    for warning in plan.warnings:  # pictures that cannot be read: their materials go untextured
        warnings.warn(warning, RuntimeWarning, stacklevel=2)
    path = os.fspath(path)
    if client is None:
        _verdanthollow._export_forest(plan, path, instancing, threads)
        return
    writer = _verdanthollow._ForestWriter(plan, path, instancing)
    wanted = [v for v in range(len(plan.variants)) if writer.wanted(v)]
    futures = client.map(_grow_variant, wanted, text=text, name=name, folder=folder,
                         presets_folder=presets_folder, pure=False)
    try:
        for variant, future in zip(wanted, futures):
            writer.add(variant, future.result())
            future.release()
    finally:
        client.cancel(futures)
    writer.commit()
