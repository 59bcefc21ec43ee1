"""Values read by zarfileio against oracles that do not use our readers: the TRC samples split
as plain text, a C3D file's first frames decoded by hand from its bytes, and the tool's CSV of
a skeleton's joints."""

import csv
import pathlib
import struct

import numpy as np
import pytest
import zarfileio
from conftest import run_tool

# TRC samples laid out plainly enough for a tab-splitting oracle (the odd ones, with names
# shifted or counts that disagree, are the file library's own tests' business).
PLAIN_TRC = ["SprintMotion.trc", "dataWithBlanksForMissingMarkers.trc", "dataWithEformat.trc",
             "dataWithNaNsOfDifferentCases.trc", "exampleFormat.trc", "constraintTest.trc",
             "abdbonepin.trc", "temp_trc_file.trc"]


def split_trc(path):
    """(names, frames, positions, present, rate, first frame) by splitting lines on tabs; the
    frames are numbered from the header's OrigDataStartFrame."""
    lines = path.read_text().splitlines()
    keys = lines[1].split("\t")
    values = lines[2].split("\t")
    rate = float(values[keys.index("DataRate")])
    first = int(values[keys.index("OrigDataStartFrame")])
    names = [n.strip() for n in lines[3].split("\t")[2::3]]
    names = [n for n in names if n]
    rows = [line.rstrip("\n").split("\t") for line in lines[4:]]
    rows = [row for row in rows if row and row[0].strip().lstrip("-").isdigit()]
    positions = np.full((len(rows), len(names), 3), np.nan)
    for k, row in enumerate(rows):
        for m in range(len(names)):
            cells = row[2 + 3 * m:5 + 3 * m]
            if len(cells) == 3 and all(c.strip() and c.strip().lower() != "nan" for c in cells):
                positions[k, m] = [float(c) for c in cells]
    return names, positions, ~np.isnan(positions[:, :, 0]), rate, first


@pytest.mark.parametrize("name", PLAIN_TRC)
def test_trc_as_split_text(samples, name):
    names, positions, present, rate, first = split_trc(samples / "trc" / name)
    markers = zarfileio.read(samples / "trc" / name)
    assert markers.names == names
    assert markers.rate == rate
    assert markers.first_frame == first
    np.testing.assert_array_equal(markers.present, present)
    np.testing.assert_array_equal(markers.positions, positions)
    assert markers.types == ["marker"] * len(names)


def test_c3d_decoded_by_hand(samples):
    # pc_real.c3d: Intel, float storage. Header words: 1 parameter block and key, 2 points,
    # 3 analog words per frame, 4-5 first and last frame, 7-8 scale (float), 9 data start block,
    # 11-12 rate (float); each frame holds x, y, z and a residual word per point (negative:
    # missing), then the analog words.
    data = (samples / "c3d" / "pc_real.c3d").read_bytes()
    points, analog, first, last = struct.unpack_from("<4H", data, 2)
    scale, = struct.unpack_from("<f", data, 12)
    start, = struct.unpack_from("<H", data, 16)
    rate, = struct.unpack_from("<f", data, 20)
    assert scale < 0
    markers = zarfileio.read(samples / "c3d" / "pc_real.c3d", points="all")
    assert markers.positions.shape == (last - first + 1, points, 3)
    assert markers.first_frame == first and markers.rate == pytest.approx(rate)
    frame_bytes = 4 * (4 * points + analog)
    for k in (0, 1, last - first):
        values = np.frombuffer(data, "<f4", 4 * points, (start - 1) * 512 + k * frame_bytes)
        values = values.reshape(points, 4).astype(np.float64)
        seen = values[:, 3] >= 0
        np.testing.assert_array_equal(markers.present[k], seen)
        np.testing.assert_array_equal(markers.positions[k][seen], values[seen, :3])
        assert np.isnan(markers.positions[k][~seen]).all()


def test_c3d_model_outputs_and_units(samples):
    path = samples / "c3d" / "PiG_Motion3_FF.c3d"
    everything = zarfileio.read(path, points="all")
    markers = zarfileio.read(path)
    assert set(markers.types) == {"marker"}
    assert len(set(everything.types)) > 1
    kept = [everything.names.index(n) for n in markers.names]
    np.testing.assert_array_equal(everything.positions[:, kept], markers.positions)
    metres = everything.to_units("m")
    lengths = np.array([t == "marker" for t in everything.types])
    np.testing.assert_allclose(metres.positions[:, lengths], everything.positions[:, lengths] / 1000)
    np.testing.assert_array_equal(metres.positions[:, ~lengths], everything.positions[:, ~lengths])
    frame = markers.to_dataframe()
    np.testing.assert_array_equal(frame[(markers.names[3], "y")], markers.positions[:, 3, 1])
    assert frame.index[0] == markers.first_frame


def test_c3d_analog_plates_events_match_the_tools_tables(samples, tmp_path):
    path = samples / "c3d" / "Gait.c3d"
    markers = zarfileio.read(path)
    for flag in ("--analog", "--forces"):
        status, _, err = run_tool("convert", path, tmp_path / f"{flag}.csv", flag)
        assert status == 0, err
    with open(tmp_path / "--analog.csv") as table:
        rows = list(csv.reader(table))
    assert rows[0][2:] == markers.analog.labels
    values = np.array([[float(c) for c in row[2:]] for row in rows[1:]])
    np.testing.assert_allclose(markers.analog.values, values, rtol=1e-6, atol=1e-9)
    with open(tmp_path / "--forces.csv") as table:
        forces = [row for row in csv.DictReader(table) if row["plate"] == "1"]
    plate = markers.plates[0]
    np.testing.assert_allclose(plate.force[:, 2], [float(r["Fz"]) for r in forces], rtol=1e-6,
                               atol=1e-6)
    assert markers.events == []  # Gait.c3d lists none; the tool says the same
    assert run_tool("convert", path, tmp_path / "e.csv", "--events")[0] == 1
    path = samples / "c3d" / "PiG_Motion3_FF.c3d"
    assert run_tool("convert", path, tmp_path / "events.csv", "--events")[0] == 0
    with open(tmp_path / "events.csv") as table:
        rows = list(csv.DictReader(table))
    events = zarfileio.read(path).events
    assert [(e.context, e.label, e.frame) for e in events] == \
        [(r["context"], r["label"], int(r["frame"])) for r in rows]
    np.testing.assert_allclose([e.time for e in events], [float(r["time"]) for r in rows],
                               rtol=1e-6)


@pytest.mark.parametrize("name", ["htr/fight_a.htr", "bvh/cmu_12_01_walk.bvh"])
def test_world_positions_are_the_tools_csv(samples, tmp_path, name):
    skeleton = zarfileio.read(samples / name)
    status, _, err = run_tool("convert", samples / name, tmp_path / "joints.csv")
    assert status == 0, err
    table = np.genfromtxt(tmp_path / "joints.csv", delimiter=",", skip_header=1)
    world = skeleton.world_positions()
    np.testing.assert_allclose(world.reshape(len(world), -1), table[:, 2:], rtol=0, atol=1e-9)
    # The documented convention, applied here with NumPy alone, puts every joint where the tool
    # does: a child's world position is its parent's plus the parent's world rotation of its
    # local translation, rotations composing q_world = q_parent_world * q_local.
    for k in (0, len(world) // 2):
        turns = [None] * len(skeleton.joints)
        places = [None] * len(skeleton.joints)
        for j, parent in enumerate(skeleton.parents):
            q, t = skeleton.local_rotations[k, j], skeleton.local_translations[k, j]
            turns[j] = q if parent < 0 else multiply(turns[parent], q)
            places[j] = t if parent < 0 else places[parent] + rotate(turns[parent], t)
        np.testing.assert_allclose(np.array(places), world[k], atol=1e-6)


def multiply(a, b):
    """The Hamilton product of quaternions (w, x, y, z)."""
    w1, v1, w2, v2 = a[0], a[1:], b[0], b[1:]
    return np.r_[w1 * w2 - v1 @ v2, w1 * v2 + w2 * v1 + np.cross(v1, v2)]


def rotate(q, p):
    """q p q* for a point p."""
    return multiply(multiply(q, np.r_[0.0, p]), q * [1, -1, -1, -1])[1:]


def test_a_scene_document_reads_as_the_tool_converts_it(tmp_path):
    """A skeleton and a marker cloud imported into scene documents by the tool read back as the
    tool's convert of those documents writes them (CSV), and a scene with both is refused."""
    samples = pathlib.Path(__file__).resolve().parents[2] / "samples"
    bones, cloud = tmp_path / "bones.json", tmp_path / "cloud.json"
    for command in (("import-htr", samples / "walk.htr", "--scene", bones, "--create", "--all"),
                    ("import-trc", samples / "markers.trc", "--scene", cloud, "--create",
                     "--root-node", "--all")):
        status, _, err = run_tool(*command, cwd=tmp_path)
        assert status == 0, err
    for scene in (bones, cloud):
        status, _, err = run_tool("convert", scene, tmp_path / "tool.csv", cwd=tmp_path)
        assert status == 0, err
        table = np.genfromtxt(tmp_path / "tool.csv", delimiter=",", skip_header=1)
        motion = zarfileio.read(scene)
        if scene == bones:
            assert isinstance(motion, zarfileio.Skeleton)
            ours = motion.world_positions()
        else:
            assert isinstance(motion, zarfileio.Markers)
            ours = motion.positions
        # The CSV holds the scene's single-precision values in their shortest text.
        np.testing.assert_allclose(ours.reshape(len(ours), -1), table[:, 2:], rtol=2e-7, atol=1e-9)
        zarfileio.write(motion, tmp_path / "ours.csv")
        again = np.genfromtxt(tmp_path / "ours.csv", delimiter=",", skip_header=1)
        np.testing.assert_allclose(again, table, rtol=0, atol=1e-9)
    status, _, err = run_tool("import-trc", samples / "markers.trc", "--scene", bones,
                              "--root-node", "--all", cwd=tmp_path)
    assert status == 0, err
    with pytest.raises(ValueError, match="name one with node="):
        zarfileio.read(bones)
    assert isinstance(zarfileio.read(bones, node="TRCCloud"), zarfileio.Markers)
