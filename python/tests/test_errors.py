"""Each kind of bad input gives its exception type, and a file the readers refuse gives the
message the tool prints for it."""

import errno
import os

import numpy as np
import pytest
import zarfileio
from conftest import run_tool, tool_message

BAD_TRC_HEADER = "junk\n"
BAD_BVH = "HIERARCHY\nROOT hips\n{\n OFFSET 0 0 x\n"

# (name, contents or a shared sample, the line the message names or None)
BAD_FILES = [
    ("empty.trc", "", None),
    ("header.trc", BAD_TRC_HEADER, 1),
    ("offset.bvh", BAD_BVH, 4),
    ("short.c3d", b"\x02\x50" + bytes(50), None),
    ("segments.htr", "[Header]\nFileType htr\n", None),
    ("c3d/bad_parameter_section.c3d", None, None),
    ("c3d/Empty.c3d", None, None),
    ("trc/Truncated.trc", None, None),
]


@pytest.mark.parametrize("name,contents,line", BAD_FILES)
def test_format_error_has_the_tools_message(samples, tmp_path, name, contents, line):
    path = samples / name if contents is None else tmp_path / name
    if contents is not None:
        path.write_bytes(contents if isinstance(contents, bytes) else contents.encode())
    out = "out.csv" if path.suffix != ".htr" else "out.bvh"
    status, _, err = run_tool("convert", path, tmp_path / out)
    assert status == 1
    with pytest.raises(zarfileio.FormatError) as raised:
        zarfileio.read(path)
    assert isinstance(raised.value, ValueError)
    assert raised.value.message == tool_message(err, path)
    assert raised.value.lineno == line
    with pytest.raises(zarfileio.FormatError):
        zarfileio.convert(path, tmp_path / out)
    assert not (tmp_path / out).exists()


def test_file_problems_are_oserrors_with_the_systems_reason(samples, tmp_path):
    with pytest.raises(FileNotFoundError) as missing:
        zarfileio.read(tmp_path / "none.trc")
    assert missing.value.errno == errno.ENOENT
    (tmp_path / "folder.trc").mkdir()
    with pytest.raises(IsADirectoryError):
        zarfileio.read(tmp_path / "folder.trc")
    markers = zarfileio.Markers(["a"], np.zeros((2, 1, 3)), 100.0)
    with pytest.raises(FileNotFoundError):
        zarfileio.write(markers, tmp_path / "no" / "such" / "folder.trc")
    # A folder we may not write in; as root, sysfs refuses new files all the same.
    locked = tmp_path / "locked"
    locked.mkdir()
    locked.chmod(0o500)
    target = locked / "m.trc" if not os.access(locked, os.W_OK) else "/sys/zarfileio-test.trc"
    try:
        with pytest.raises(PermissionError) as refused:
            zarfileio.write(markers, target)
        assert refused.value.errno == errno.EACCES
        assert list(locked.iterdir()) == []
        status, _, err = run_tool("convert", samples / "trc" / "exampleFormat.trc", target)
        assert status == 1 and refused.value.strerror == tool_message(err, target)
    finally:
        locked.chmod(0o700)


def test_bad_arguments(samples, tmp_path):
    trc = samples / "trc" / "SprintMotion.trc"
    markers = zarfileio.read(trc)
    for call, error in [
        (lambda: zarfileio.read(trc, up="x"), ValueError),
        (lambda: zarfileio.read(trc, points="bones"), ValueError),
        (lambda: zarfileio.read(trc, from_frame="3"), TypeError),
        (lambda: zarfileio.read(trc, from_frame=9, to_frame=3), ValueError),
        (lambda: zarfileio.read(trc, from_frame=5000), ValueError),
        (lambda: zarfileio.read(trc, names="descriptions"), ValueError),
        (lambda: zarfileio.read(trc, lenient=1), TypeError),
        (lambda: zarfileio.read(42), TypeError),
        (lambda: zarfileio.read(tmp_path / "x.fbx"), ValueError),
        (lambda: zarfileio.write(markers, tmp_path / "m.htr"), ValueError),
        (lambda: zarfileio.write("markers", tmp_path / "m.trc"), TypeError),
        (lambda: zarfileio.write(markers, tmp_path / "m.glb", up_out="z"), ValueError),
        (lambda: zarfileio.convert(trc, trc), ValueError),
        (lambda: zarfileio.Markers(["a", "b"], np.zeros((4, 3, 3)), 60), ValueError),
        (lambda: zarfileio.Markers(["a"], np.zeros((4, 1, 3)), -1), ValueError),
        (lambda: zarfileio.Skeleton(["a", "b"], [1, -1], np.zeros((1, 2, 3)),
                                    np.ones((1, 2, 4)), 30), ValueError),
        (lambda: markers.select(markers=["nobody"]), ValueError),
    ]:
        with pytest.raises(error):
            call()
    empty = zarfileio.Markers(["a"], np.zeros((0, 1, 3)), 60)
    with pytest.raises(ValueError, match="nothing to write"):
        zarfileio.write(empty, tmp_path / "empty.trc")
    assert not (tmp_path / "empty.trc").exists()
