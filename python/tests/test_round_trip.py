"""Writing: zarfileio.convert gives the tool's bytes; read -> write -> read gives back what was
read in every format that is read; Markers and Skeletons made from NumPy arrays are written."""

import numpy as np
import pytest
import zarfileio
from conftest import run_tool

CONVERSIONS = [
    ("trc/SprintMotion.trc", ".c3d", {}),
    ("trc/SprintMotion.trc", ".csv", {"units": "m"}),
    ("trc/abdbonepin.trc", ".glb", {"up": "z"}),
    ("trc/Gait.trc", ".trc", {"from_frame": 10, "to_frame": 99}),
    ("c3d/Gait.c3d", ".trc", {"names": "descriptions"}),
    ("c3d/PiG_Motion3_FF.c3d", ".csv", {"points": ["angles", "forces"]}),
    ("c3d/bad_parameter_section.c3d", ".trc", {"lenient": True}),
    ("c3d/Dance.c3d", ".c3d", {"up_out": "y", "from_frame": 5, "keep_time": True}),
    ("c3d/PiG_Motion3_FF.c3d", ".c3d", {"from_frame": 750, "to_frame": 900}),
    ("c3d/PiG_Motion3_FF.c3d", ".trc", {"markers": "L*,R?SI", "exclude": "LT*"}),
    ("htr/fight_a.htr", ".htr", {}),
    ("htr/fight_a.htr", ".htr", {"from_frame": 3, "units": "cm"}),
    ("htr/fight_a.htr", ".bvh", {}),
    ("htr/fight_a.htr", ".gltf", {}),
    ("bvh/yxz_clip.bvh", ".htr", {}),
    ("bvh/cmu_12_01_walk.bvh", ".csv", {"to_frame": 50}),
]


def flags(options):
    """The tool's flags for convert's keyword options."""
    names = {"from_frame": "--from", "to_frame": "--to", "keep_time": "--keep-time"}
    out = []
    for key, value in options.items():
        flag = names.get(key, "--" + key.replace("_", "-"))
        for item in value if isinstance(value, list) else [value]:
            out += [flag] if item is True else [flag, str(item)]
    return out


@pytest.mark.filterwarnings("ignore::UserWarning")  # the notes the tool prints on stderr
@pytest.mark.parametrize("source,extension,options", CONVERSIONS)
def test_convert_gives_the_tools_bytes(samples, tmp_path, source, extension, options):
    # One name in two folders: a TRC file's first line names the file.
    (tmp_path / "ours").mkdir()
    (tmp_path / "theirs").mkdir()
    ours = tmp_path / "ours" / ("out" + extension)
    theirs = tmp_path / "theirs" / ("out" + extension)
    zarfileio.convert(samples / source, ours, **options)
    status, _, err = run_tool("convert", samples / source, theirs, *flags(options))
    assert status == 0, err
    assert ours.read_bytes() == theirs.read_bytes()


@pytest.mark.filterwarnings("ignore::UserWarning")
@pytest.mark.parametrize("source,extension", [
    ("trc/SprintMotion.trc", ".trc"), ("trc/dataWithEformat.trc", ".c3d"),
    ("c3d/Eb015vi.c3d", ".c3d"), ("c3d/sub_labels.c3d", ".trc"),
    ("htr/fight_a.htr", ".htr"), ("htr/fight_a.htr", ".bvh"), ("bvh/example.bvh", ".bvh")])
def test_read_write_read(samples, tmp_path, source, extension):
    first = zarfileio.read(samples / source)
    zarfileio.write(first, tmp_path / ("again" + extension))
    again = zarfileio.read(tmp_path / ("again" + extension), up=first.up)
    assert again.frames == first.frames and again.rate == pytest.approx(first.rate)
    if isinstance(first, zarfileio.Markers):
        np.testing.assert_array_equal(again.present, first.present)
        np.testing.assert_allclose(again.positions, first.positions, rtol=1e-6, atol=1e-4)
    else:
        assert again.joints == first.joints
        np.testing.assert_allclose(again.world_positions(), first.world_positions(), atol=1e-3)


def test_markers_from_arrays_to_every_marker_format(tmp_path):
    rng = np.random.default_rng(7)
    positions = rng.normal(0, 500, (40, 3, 3))
    positions[5:9, 1] = np.nan
    markers = zarfileio.Markers(["head", "hand", "foot"], positions, 59.94, units="mm", up="z")
    assert markers.present[5:9, 1].sum() == 0 and markers.present.sum() == 40 * 3 - 4
    for extension in (".trc", ".c3d", ".csv", ".glb", ".gltf"):
        zarfileio.write(markers, tmp_path / ("m" + extension))
        assert (tmp_path / ("m" + extension)).stat().st_size > 0
    for extension in (".trc", ".c3d"):
        back = zarfileio.read(tmp_path / ("m" + extension), up="z")
        assert back.names == markers.names and back.rate == pytest.approx(59.94)
        np.testing.assert_array_equal(back.present, markers.present)
        np.testing.assert_allclose(back.positions, markers.positions, rtol=1e-6, atol=1e-3)
    part = markers.select(markers=["foot", 0], frames=(3, 10))
    assert part.names == ["foot", "head"] and part.first_frame == 3 and part.frames == 8
    np.testing.assert_array_equal(part.positions, positions[2:10][:, [2, 0]])


def test_skeleton_from_arrays_keeps_its_world_positions(tmp_path):
    # A two-joint arm: the root turns about Z a little more each frame; the child sits 100 along
    # the root's X axis, so it lies at 100 (cos a, sin a, 0) in the world.
    angles = np.linspace(0, np.pi / 2, 11)
    rotations = np.zeros((11, 2, 4))
    rotations[:, 0] = np.stack([np.cos(angles / 2), 0 * angles, 0 * angles, np.sin(angles / 2)], 1)
    rotations[:, 1, 0] = 1
    translations = np.zeros((11, 2, 3))
    translations[:, 1, 0] = 100
    arm = zarfileio.Skeleton(["shoulder", "elbow"], [-1, 0], translations, rotations, 30.0)
    world = arm.world_positions()
    np.testing.assert_allclose(world[:, 1], np.stack([100 * np.cos(angles), 100 * np.sin(angles),
                                                      0 * angles], 1), atol=1e-9)
    for extension in (".htr", ".bvh", ".glb", ".csv"):
        zarfileio.write(arm, tmp_path / ("arm" + extension))
    for extension in (".htr", ".bvh"):
        back = zarfileio.read(tmp_path / ("arm" + extension))
        np.testing.assert_allclose(back.world_positions(), world, atol=1e-3)
