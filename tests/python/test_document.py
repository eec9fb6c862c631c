"""Documents from Python: parameters by name, presets, loading and saving."""
import pytest

import verdanthollow as vh


def test_parameters_read_and_write_by_name():
    doc = vh.Document()
    assert doc["seed"] == 160
    assert doc["material prefix"] == "Material"
    assert doc["no leaves on trunk"] is True
    doc["seed"] = 7
    doc.level(2)["nb children max"] = 6
    doc.level(2)["heightRelative"] = True
    assert (doc["seed"], doc.level(2)["nb_children_max"], doc.level(2)["height relative"]) == (7, 6, True)
    assert doc.level(1)["nb children max"] == 4  # the trunk's own record
    assert doc.level_count == 4
    assert "base length" in vh.Level.keys() and "last parent level" in vh.Document.keys()
    assert vh.Level.limits("nb children max") == (0, 1000)


@pytest.mark.parametrize("change, error, message", [
    (lambda d: d.__setitem__("trunk lenght", 1), KeyError, "'trunk lenght'; the tree's parameters are: bark"),
    (lambda d: d.level(2).__getitem__("seed"), KeyError, "a level's parameters are: base size"),
    (lambda d: d.level(2).__setitem__("nb children max", 1001), ValueError,
     "level 2: nb children max 1001 must lie between 0 and 1000"),
    (lambda d: d.__setitem__("last parent level", 2 ** 80), ValueError, "must lie between -1 and 8"),
    (lambda d: d.__setitem__("seed", "7"), TypeError, "seed takes an integer"),
    (lambda d: d.level(1).__setitem__("height relative", 1), TypeError, "takes a flag"),
    (lambda d: d.__setitem__("seed", 1.5), TypeError, "not float"),
    (lambda d: d.__setitem__("material prefix", "a\nb"), ValueError, "line break"),
    (lambda d: d.level(12), IndexError, "from 1 (the trunk) to 11"),
])
def test_bad_names_and_values_raise_and_change_nothing(change, error, message):
    doc = vh.Document()
    with pytest.raises(error, match=None) as raised:
        change(doc)
    assert message in str(raised.value)
    assert doc == vh.Document()


def test_documents_round_trip_through_text_and_files(tmp_path):
    doc = vh.Document.preset("white-birch")
    doc.level(3)["noise"] = 55
    path = tmp_path / "birch.vhm"
    doc.save(str(path))
    assert path.read_text() == doc.to_string()
    assert vh.Document.load(str(path)) == doc
    assert vh.Document.from_string(doc.to_string()) == doc
    copy = doc.copy()
    copy["seed"] = 1
    assert copy != doc


def test_broken_documents_and_missing_files_raise():
    with pytest.raises(vh.DocumentError, match="broken.vhm, line"):
        vh.Document.from_string("only a header\n", "broken.vhm")
    assert issubclass(vh.DocumentError, ValueError)
    with pytest.raises(OSError):
        vh.Document.load("/nonexistent/tree.vhm")
    with pytest.raises(OSError, match="there is no preset 'baobab'"):
        vh.Document.preset("baobab")


def test_presets_are_the_installed_ones(cli):
    assert vh.presets() == cli("presets").split()
    assert "conifer" in vh.presets()
