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

import os
import tempfile

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
           "bark_tile", "grow", "preset_folder", "presets"]


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
