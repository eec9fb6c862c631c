"""Exports from Python are the command-line tool's files, byte for byte."""
import pytest

import verdanthollow as vh
from conftest import files_in, headless_gl_or_skip


@pytest.mark.parametrize("name, options, cli_options", [
    ("tree.obj", {}, []),
    ("tree.dxf", {}, []),
    ("tree.3ds", {}, []),
    ("tree.glb", {}, []),
    ("tree.gltf", {"scale": 0.5}, ["--scale", "0.5"]),
])
def test_exports_are_the_tools_files(tmp_path, cli, conifer, name, options, cli_options):
    ours, theirs = tmp_path / "python", tmp_path / "cli"
    ours.mkdir()
    theirs.mkdir()
    vh.grow(conifer, seed=4).export(str(ours / name), **options)
    cli("export", "--preset", "conifer", "--seed", 4, "-o", theirs / name, *cli_options)
    written = files_in(ours)
    assert written == files_in(theirs)
    assert name in written


def test_to_glb_is_the_tools_glb(tmp_path, cli, conifer):
    cli("export", "--preset", "conifer", "-o", tmp_path / "tree.glb")
    assert vh.grow(conifer).to_glb() == (tmp_path / "tree.glb").read_bytes()


def test_the_level_of_detail_chain_is_the_tools(tmp_path, cli):
    doc = vh.Document.preset("young-sapling")
    headless_gl_or_skip(lambda: vh.grow(doc).export(str(tmp_path / "ours.glb"), lod=True))
    # The tool names the nodes after its file: write it under the same name.
    (tmp_path / "cli").mkdir()
    cli("export", "--preset", "young-sapling", "-o", tmp_path / "cli" / "ours.glb", "--lod")
    assert (tmp_path / "ours.glb").read_bytes() == (tmp_path / "cli" / "ours.glb").read_bytes()


# A document whose wind is on (the default tree with a wind section) and one
# without: the second sways in the default wind.
WINDY = "Wind\n70\n90\n40\n30\n50\n60\n668\n"


@pytest.mark.parametrize("windy, options, cli_options", [
    (True, {"wind": True}, ["--wind"]),
    (False, {"wind": True}, ["--wind"]),
    (True, {"wind": True, "wind_engine_copies": True}, ["--wind", "--wind-engine-copies"]),
])
def test_wind_exports_are_the_tools(tmp_path, cli, windy, options, cli_options):
    text = vh.Document().to_string() + (WINDY if windy else "")
    (tmp_path / "tree.vhm").write_text(text)
    (tmp_path / "cli").mkdir()
    vh.grow(vh.Document.load(str(tmp_path / "tree.vhm"))).export(str(tmp_path / "tree.glb"), **options)
    cli("export", tmp_path / "tree.vhm", "-o", tmp_path / "cli" / "tree.glb", *cli_options)
    ours = (tmp_path / "tree.glb").read_bytes()
    assert ours == (tmp_path / "cli" / "tree.glb").read_bytes()
    assert b'"Wind"' in ours and b"_PIVOT" in ours


def test_billboard_clouds_are_the_tools(tmp_path, cli):
    ours, theirs = tmp_path / "python", tmp_path / "cli"
    ours.mkdir()
    theirs.mkdir()
    tree = vh.grow(vh.Document.preset("young-sapling"))
    vh.grow(vh.Document(), seed=1)  # a tree grown since must not change the cloud's numbering
    counts = headless_gl_or_skip(lambda: tree.billboard(str(ours / "cloud.obj"), count=5))
    printed = cli("billboard", "--preset", "young-sapling", "-o", theirs / "cloud.obj", "--count", 5)
    assert printed.split() == ["billboards", str(counts["billboards"]), "submeshes", str(counts["submeshes"]),
                               "vertices", str(counts["vertices"]), "polygons", str(counts["polygons"])]
    assert files_in(ours) == files_in(theirs)


def test_bark_tiles_are_the_tools(tmp_path, cli):
    photo = vh.preset_folder() + "/conifer-bark.jpg"
    tile = vh.bark_tile(photo, str(tmp_path / "ours.bmp"), crop=(10, 90, 0, 100), shading=12, pow2=True)
    cli("bark-tile", photo, tmp_path / "theirs.bmp", "--crop", "10,90,0,100", "--shading", 12, "--pow2")
    assert (tmp_path / "ours.bmp").read_bytes() == (tmp_path / "theirs.bmp").read_bytes()
    assert tile.shape[2] == 3 and tile.shape[0] & (tile.shape[0] - 1) == 0


@pytest.mark.parametrize("call, error, message", [
    (lambda t, d: t.export(str(d / "tree.stl")), ValueError, "extension must be .3ds"),
    (lambda t, d: t.export(str(d / "tree.obj"), scale=2), ValueError, "scale needs a glTF output"),
    (lambda t, d: t.export(str(d / "tree.glb"), scale=0), ValueError, "scale must lie between"),
    (lambda t, d: t.export(str(d / "tree.obj"), wind=True), ValueError, "wind needs a glTF output"),
    (lambda t, d: t.export(str(d / "tree.glb"), wind_engine_copies=True), ValueError, "needs wind=True"),
    (lambda t, d: t.export(str(d / "missing" / "tree.obj")), OSError, "tree.obj"),
])
def test_bad_exports_raise(tmp_path, call, error, message):
    with pytest.raises(error, match=message):
        call(vh.grow(vh.Document()), tmp_path)


@pytest.mark.parametrize("name", ["tree.glb", "tree.obj"])
@pytest.mark.parametrize("material", ["leaf", "bark"])
def test_a_missing_picture_is_exported_untextured_as_the_tool_does(tmp_path, cli, name, material):
    # The tool's one rule: the material is exported in its colours and the
    # export says which picture was missing.
    doc = vh.Document.preset("young-sapling")
    doc[f"{material}TextureFile"] = str(tmp_path / "gone.bmp")
    doc[f"{material}TextureLoaded"] = True
    doc.save(str(tmp_path / "tree.vhm"))
    ours, theirs = tmp_path / "python", tmp_path / "cli"
    ours.mkdir()
    theirs.mkdir()
    with pytest.warns(RuntimeWarning, match=f"the {material} picture '.*gone.bmp' is missing"):
        vh.grow(doc).export(str(ours / name))
    cli("export", tmp_path / "tree.vhm", "-o", theirs / name)
    assert files_in(ours) == files_in(theirs)
