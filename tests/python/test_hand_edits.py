"""Hand edits from Python: doc.edits, saving them, growing and picking."""
import warnings

import pytest

import verdanthollow as vh


def test_edits_are_listed_added_removed_and_cleared():
    doc = vh.Document()
    assert len(doc.edits) == 0 and doc.edits.list() == []
    doc.edits.add("remove", (0, 1))
    doc.edits.add("turn", "0/2", around=15, away=-10.5)
    doc.edits.add("length", [0, 3, 1], factor=0.5)
    doc.edits.add("turn", (0, 2), away=3)
    assert [(e.kind, e.branch) for e in doc.edits] == [
        ("remove", (0, 1)), ("turn", (0, 2)), ("length", (0, 3, 1)), ("turn", (0, 2))]
    turn = doc.edits[1]
    assert (turn.around, turn.away, turn.factor) == (15.0, -10.5, 1.0)
    assert doc.edits[-2].place == "level 3, branch 2 of branch 4 of the trunk"
    assert doc.edits.remove("0/2") == 2
    assert doc.edits.remove(0) == 1
    assert [e.kind for e in doc.edits.list()] == ["length"]
    doc.edits.clear()
    assert len(doc.edits) == 0 and doc == vh.Document()


@pytest.mark.parametrize("change, error, message", [
    (lambda e: e.add("cut", (0, 1)), ValueError, "'remove', 'turn' or 'length', not 'cut'"),
    (lambda e: e.add("remove", "0/x"), ValueError, "a place like 0/4/1"),
    (lambda e: e.add("remove", (0, 1.5)), TypeError, "ints, not float"),
    (lambda e: e.add("remove", 3), TypeError, "not int"),
    (lambda e: e.add("remove", ()), ValueError, "it names no branch"),
    (lambda e: e.add("remove", (0, 2 ** 70)), ValueError, "lies outside 0..999"),
    (lambda e: e.add("remove", (0, 1), factor=2), ValueError, "only a length takes a factor"),
    (lambda e: e.add("turn", (0, 1)), ValueError, "a turn needs around, away or both"),
    (lambda e: e.add("turn", (0, 1), around=400), ValueError, "the angle around 400 lies outside -360..360"),
    (lambda e: e.add("length", (0, 1)), ValueError, "a length needs its factor"),
    (lambda e: e.add("length", (0, 1), factor=float("nan")), ValueError, "the factor is not a finite number"),
    (lambda e: e.remove(5), IndexError, "has 0 hand edits, so no edit 5"),
])
def test_bad_edits_raise_and_change_nothing(change, error, message):
    doc = vh.Document()
    with pytest.raises(error) as raised:
        change(doc.edits)
    assert message in str(raised.value)
    assert doc == vh.Document()


def test_edits_are_saved_and_the_edited_tree_grows_again(tmp_path):
    doc = vh.Document()
    doc.edits.add("remove", (0, 1))
    doc.edits.add("turn", (0, 2), around=12.345678901234, away=-1 / 3)
    path = tmp_path / "edited.vhm"
    doc.save(str(path))
    assert "HandEdits\n2\nremove 0/1\n" in path.read_text()
    loaded = vh.Document.load(str(path))
    assert loaded == doc and loaded.edits.list() == doc.edits.list()
    edited, plain = vh.grow(loaded), vh.grow(vh.Document())
    assert edited.counts["submeshes"] < plain.counts["submeshes"]
    assert edited.to_glb() == vh.grow(doc).to_glb()


def test_edits_of_branches_the_tree_lacks_warn_and_stay():
    doc = vh.Document()
    doc.edits.add("length", (0, 1), factor=2)
    doc.edits.add("remove", (0, 9))
    with pytest.warns(RuntimeWarning, match="^1 hand edit does not apply to this tree$"):
        tree = vh.grow(doc)
    assert tree.unapplied_edits == [1]
    assert len(tree.document.edits) == 2
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        doc.edits.remove(1)
        assert vh.grow(doc).unapplied_edits == []


def test_a_pick_names_the_branch_a_ray_meets():
    tree = vh.grow(vh.Document())
    trunk = tree.pick((0, 30, -500), (0, 0, 1))
    assert trunk == (0,)
    assert tree.pick((0, -10, 0), (0, -1, 0)) is None
    with pytest.raises(ValueError, match="must not be zero"):
        tree.pick((0, 0, 0), (0, 0, 0))
