"""Growing from Python: reproducible arrays that match the tool's counts,
arrays that outlive their tree, the budget, cancelling and threads."""
import gc
import threading
import time
import warnings

import numpy as np
import pytest

import verdanthollow as vh


def arrays_of(tree):
    mesh = tree.mesh()
    return [mesh.positions, mesh.normals, mesh.uvs, mesh.indices]


def test_same_document_and_seed_give_identical_arrays_and_the_tools_counts(conifer, cli_counts):
    first, second = vh.grow(conifer, seed=5), vh.grow(conifer, seed=5)
    for a, b in zip(arrays_of(first), arrays_of(second)):
        assert a.tobytes() == b.tobytes()
    expected = cli_counts("--preset", "conifer", "--seed", 5)
    assert first.counts == expected
    mesh = first.mesh()
    assert mesh.positions.shape == (expected["vertices"], 3)
    assert mesh.indices.shape == (expected["polygons"], 3)
    assert mesh.indices.dtype == np.uint32 and mesh.uvs.shape == (expected["vertices"], 2)
    assert int(mesh.indices.max()) < expected["vertices"]
    assert sum(g["triangle_count"] for g in mesh.groups) == expected["polygons"]
    assert [g["material"] for g in mesh.groups] == [1, 2]
    assert vh.grow(conifer, seed=6).counts != first.counts


def test_arrays_are_read_only_views_that_outlive_the_tree(conifer):
    tree = vh.grow(conifer)
    mesh = tree.mesh()
    positions = mesh.positions
    assert np.shares_memory(positions, tree.mesh().positions)  # the same memory, not a copy
    with pytest.raises(ValueError):
        positions[0, 0] = 1.0
    snapshot = positions.copy()
    del tree, mesh
    gc.collect()
    vh.grow(conifer, seed=99)  # reuses memory a dangling view would now see
    assert np.array_equal(positions, snapshot)


def test_levels_of_detail_reduce_the_triangles(conifer):
    tree = vh.grow(conifer)
    full, reduced = tree.mesh(0), tree.mesh(1)
    assert 0 < reduced.indices.shape[0] < full.indices.shape[0]
    # The chain's levels: the tree, two reductions and the cards.
    for lod in (-1, 4):
        with pytest.raises(IndexError, match=rf"lod runs from 0 \(the tree\) to 3 \(the cards\), not {lod}$"):
            tree.mesh(lod)


def test_the_vertex_budget_stops_the_growth_with_a_warning(conifer):
    with pytest.warns(RuntimeWarning, match="budget of 1000 vertices"):
        tree = vh.grow(conifer, vertex_budget=1000)
    assert tree.budget_exceeded
    assert tree.counts["vertices"] < vh.grow(conifer).counts["vertices"]


def large_document():
    """A tree that takes long enough to grow for another thread to act meanwhile."""
    doc = vh.Document()
    doc["last parent level"] = 4
    for level in range(1, 6):
        doc.level(level)["nb children min"] = 6
        doc.level(level)["nb children max"] = 6
        doc.level(level)["quality angle"] = 40
        doc.level(level)["quality height"] = 40
    return doc


def test_two_trees_grow_at_once_and_one_cancels_the_other():
    # While the large tree grows on one thread, a second thread grows a small
    # tree and then cancels the first: the large tree comes back cut short,
    # neither empty nor whole, which can only happen when both grew at once
    # (a growth holding the GIL would let the second thread run only before
    # or after it).
    large, small = large_document(), vh.Document()
    cancel = vh.Cancellation()
    grown = {}
    started = threading.Event()

    def grow_large():
        started.set()
        grown["large"] = vh.grow(large, cancel=cancel, workers=1)

    def grow_small_then_cancel():
        # The large tree is under way once the process has spent processor
        # time on it (nothing else here runs): 50 ms, a twelfth of the 0.6 s
        # it needs whole, however fast or busy the machine, where a sleep
        # guessed at how long that takes.
        started.wait()
        begun = time.process_time()
        while time.process_time() - begun < 0.05:
            time.sleep(0.001)
        grown["small"] = vh.grow(small, seed=3, workers=1)
        cancel.cancel()

    threads = [threading.Thread(target=grow_large), threading.Thread(target=grow_small_then_cancel)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert grown["small"].counts == vh.grow(small, seed=3).counts
    assert grown["large"].cancelled and cancel.cancelled
    assert 0 < grown["large"].counts["vertices"]
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert grown["large"].counts["vertices"] < vh.grow(large, workers=2).counts["vertices"]


def test_trees_grown_on_threads_equal_trees_grown_one_after_the_other(conifer):
    seeds = [11, 12, 13, 14]
    alone = [arrays_of(vh.grow(conifer, seed=s)) for s in seeds]
    together = [None] * len(seeds)

    def grow(i):
        together[i] = arrays_of(vh.grow(conifer, seed=seeds[i], workers=1))

    threads = [threading.Thread(target=grow, args=(i,)) for i in range(len(seeds))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for a, b in zip(alone, together):
        assert all(x.tobytes() == y.tobytes() for x, y in zip(a, b))
