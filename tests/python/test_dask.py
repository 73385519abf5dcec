"""scrivex.dask.load_bag on a real distributed cluster: two worker processes on loopback."""

import json
import os

import pytest

import _scrivex

pytest.importorskip("dask.bag")
distributed = pytest.importorskip("distributed")

import scrivex.dask  # noqa: E402  (needs Dask, so only after the skip)


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       host="127.0.0.1", dashboard_address=None)
    with cluster, distributed.Client(cluster) as connected:
        yield connected


@pytest.fixture
def paths(tmp_path):
    """Twelve good files with a missing one and an unknown format among them."""
    good = []
    for number in range(12):
        path = tmp_path / f"doc{number}.txt"
        path.write_text(f"Document {number}\n\nBody of {number}.\n", encoding="utf-8")
        good.append(str(path))
    return good[:5] + [str(tmp_path / "missing.pdf")] + good[5:] + [str(tmp_path / "notes.xyz")]


def test_load_bag_on_two_worker_processes(client, paths):
    bag = scrivex.dask.load_bag(paths, npartitions=4)
    assert bag.npartitions == 4
    results = bag.compute()
    assert results == json.loads(_scrivex.load_many_json(paths))
    # The files were loaded in the worker processes, not in this one.
    worker_pids = set(client.run(os.getpid).values())
    assert len(worker_pids) == 2 and os.getpid() not in worker_pids
    loaded_by = set(bag.map(lambda result: os.getpid()).compute())
    assert loaded_by and loaded_by <= worker_pids


def test_load_bag_options_and_further_steps(client, paths):
    bag = scrivex.dask.load_bag(paths, include_geometry=False, suppress_headers_footers=True)
    failed = bag.filter(lambda result: not result["ok"]).pluck("path").compute()
    assert failed == [paths[5], paths[-1]]
    words = bag.filter(lambda result: result["ok"]).map(
        lambda result: result["document"]["metadata"]["word_count"]).sum().compute()
    assert words == 12 * 5


def test_load_bag_arguments():
    assert scrivex.dask.load_bag([]).compute() == []
    with pytest.raises(TypeError):
        scrivex.dask.load_bag("a.txt")
    with pytest.raises(TypeError):
        scrivex.dask.load_bag(["a.txt"], include_assets=None)
