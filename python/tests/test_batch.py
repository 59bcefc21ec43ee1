"""zarfileio.batch over every shared sample, one task per file on a two-process Dask cluster
and on local threads: one row per file in order, bad files reported, outputs the tool's."""

import pathlib

import numpy as np
import pytest
import zarfileio
import zarfileio.batch
from conftest import run_tool

distributed = pytest.importorskip("dask.distributed")

# Samples every read refuses (as the tool's check commands do).
BAD = {"Empty.c3d", "bad_parameter_section.c3d", "badParameterOffset.c3d", "Empty.trc",
       "Truncated.trc", "10002-20130731010438-Unnamed.trc"}


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  host="127.0.0.1", dashboard_address=None) as cluster, \
            distributed.Client(cluster) as dask_client:
        yield dask_client


@pytest.fixture(scope="module")
def paths(samples):
    found = sorted(p for folder in ("trc", "c3d", "htr", "bvh")
                   for p in (samples / folder).iterdir())
    return [str(p) for p in found] + [str(samples / "trc" / "missing.trc")]


def test_summarize(paths, client):
    on_cluster = zarfileio.batch.summarize(paths, client=client)
    assert list(on_cluster["file"]) == paths
    failed = {pathlib.Path(p).name for p in on_cluster.loc[on_cluster["error"].notna(), "file"]}
    assert failed == BAD | {"missing.trc"}
    assert on_cluster.loc[on_cluster["file"].str.endswith("missing.trc"), "error"].item() \
        .startswith("FileNotFoundError")
    local = zarfileio.batch.summarize(paths)
    assert on_cluster.fillna(-1).equals(local.fillna(-1))
    gait = on_cluster[on_cluster["file"].str.endswith("trc/Gait.trc")].iloc[0]
    markers = zarfileio.read(gait["file"])
    missing = ~markers.present
    assert gait["missing_samples"] == missing.sum() and gait["markers"] == len(markers.names)
    column = markers.names.index(gait["longest_gap_marker"])
    runs = np.diff(np.flatnonzero(np.diff(np.r_[0, missing[:, column], 0])))[::2]
    assert gait["longest_gap"] == runs.max()
    walk = on_cluster[on_cluster["file"].str.endswith("fight_a.htr")].iloc[0]
    assert walk["joints"] == 22 and walk["frames"] == 1141


@pytest.mark.parametrize("folder", ["trc", "c3d"])
def test_convert_matches_the_tool(paths, client, tmp_path, folder):
    inputs = [p for p in paths if pathlib.Path(p).parent.name == folder]
    table = zarfileio.batch.convert(inputs, tmp_path / "ours", "csv", client=client)
    assert list(table["file"]) == inputs
    failed = {pathlib.Path(p).name for p in table.loc[~table["ok"], "file"]}
    assert failed == {pathlib.Path(p).name for p in inputs} & (BAD | {"missing.trc"})
    assert table.loc[~table["ok"], "error"].notna().all()
    assert all(pathlib.Path(row.output).exists() == row.ok for row in table.itertuples())
    status, _, err = run_tool("convert", *inputs, "--out-dir", tmp_path / "theirs", "--format",
                              "csv", "--jobs", "1")
    assert status == 1, err
    ours = sorted(p.name for p in (tmp_path / "ours").iterdir())
    assert ours == sorted(p.name for p in (tmp_path / "theirs").iterdir())
    for name in ours:
        assert (tmp_path / "ours" / name).read_bytes() == (tmp_path / "theirs" / name).read_bytes()
    with pytest.raises(ValueError, match="would both be converted"):
        zarfileio.batch.convert([inputs[0], inputs[0]], tmp_path / "x", "csv")
    with pytest.raises(ValueError, match="up='x'"):
        zarfileio.batch.convert(inputs, tmp_path / "x", "csv", up="x")
    assert not (tmp_path / "x").exists()
