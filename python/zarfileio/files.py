"""read, write and convert: files in and out through the library's formats table."""

import os
import warnings

from . import _files, _native, _options
from .c3d import C3DExtras
from .markers import Markers
from .skeleton import Skeleton


def _format(path, kind, reads):
    """The format row of `path`'s extension that reads (or writes) `kind`, or None."""
    extension = os.path.splitext(path)[1].lower()
    for ext, title, row_kind, can_read, can_write in _native.formats():
        if ext == extension and row_kind == kind and (can_read if reads else can_write):
            return ext, title
    return None


def _is_c3d(path):
    return os.path.splitext(path)[1].lower() == ".c3d"


def _extensions(kind, reads):
    return " ".join(ext for ext, _, row_kind, can_read, can_write in _native.formats()
                    if row_kind == kind and (can_read if reads else can_write))


def _warn(notes):
    for note in notes:
        warnings.warn(note, stacklevel=3)


def _is_scene(path):
    return os.path.splitext(os.fspath(path))[1].lower() == ".json"


def read(path, *, names=None, up=None, points=None, lenient=False, from_frame=None,
         to_frame=None, keep_time=False, units=None, node=None, markers=None, exclude=None):
    """Reads a motion file: Markers from .trc and .c3d, a Skeleton from .htr and .bvh, and from a
    scene document (.json) its one skeleton or marker cloud, Y up, as the tool's ``convert`` takes
    it (``node``: the name or path of names of the node below which to look, as ``--node``).

    The options are those of the tool's ``convert``:
        names: "labels" (default) or "descriptions": which C3D text names a point.
        up: "y" or "z", the file's up axis where it names none (default: y for TRC, z for C3D).
        markers, exclude: the points to keep and to leave out by name: glob patterns (* ? [..],
            any letter case), a list or one comma-separated str (the tool's --markers, --exclude).
        points: the kinds of C3D point to keep, one or a list of "markers" (the default), "all",
            "angles", "forces", "moments", "powers", "scalars", "reactions".
        lenient: read what can be read of a C3D file's damaged parameter section (warnings say
            what was cut).
        from_frame, to_frame: keep this range of frame numbers; the frames kept are numbered
            from 1 at 0 s unless keep_time is True.
        units: "mm", "cm", "m" or "in": the markers' lengths in this unit.

    Warnings (warnings.warn) say what the tool says on standard error: a reader's warnings, a
    file that holds fewer frames than declared.

    Raises:
        OSError: the file cannot be opened (the system's reason and errno).
        zarfileio.FormatError: its contents cannot be read (the tool's message, line).
        ValueError, TypeError: a format that is not read, or a bad option.
    """
    path = _files.as_path(path)
    options = _options.read_options(names, up, points, lenient, from_frame, to_frame,
                                     keep_time, units, markers, exclude)
    if node is not None and not isinstance(node, str):
        raise TypeError(f"node must be a str, not {type(node).__name__}")
    if _is_scene(path):
        for name in ("names", "up", "points", "markers", "exclude"):
            if options[name] is not None:
                raise ValueError(f"{name}= is not used with a scene document, {path}")
        _options.refuse_c3d_options(path, options)
        _files.check_input(path)
        kind, fields, notes = _native.read_scene(path, node or "", options)
        _warn(notes)
        return Markers._from_fields(fields, None) if kind == "markers" else \
            Skeleton._from_fields(fields)
    if node is not None:
        raise ValueError(f"node= is used only with a scene document, not {path}")
    marker_format = _format(path, "markers", reads=True)
    skeleton_format = _format(path, "skeleton", reads=True)
    if marker_format is None and skeleton_format is None:
        raise ValueError(f"cannot read {path}: reads {_extensions('markers', True)} (markers) "
                         f"and {_extensions('skeleton', True)} (skeletons)")
    _files.check_input(path)
    if not _is_c3d(path):
        _options.refuse_c3d_options(path, options)
    if marker_format is not None:
        fields, notes = _native.read_markers(path, options)
        _warn(notes)
        c3d = C3DExtras(path, lenient) if _is_c3d(path) else None
        return Markers._from_fields(fields, c3d)
    for name in ("points", "markers", "exclude"):
        if options[name] is not None:
            raise ValueError(f"{name}= is used only with a marker file, not {path}")
    fields, notes = _native.read_skeleton(path, options)
    _warn(notes)
    return Skeleton._from_fields(fields)


def write(motion, path, *, units=None, up_out=None):
    """Writes Markers (to .trc, .c3d, .csv, .glb, .gltf) or a Skeleton (to .htr, .bvh, .csv,
    .glb, .gltf), by `path`'s extension, as the tool's ``convert`` writes them: completely or not
    at all (a temporary file renamed over `path`).

    Args:
        units: the length unit to write ("mm", "cm", "m", "in", "ft", "yd"; default the motion's own).
        up_out: "y" or "z", the up axis to write in (a quarter turn about X); BVH, glTF and HTR
            are written Y up whatever the motion.

    Raises OSError (with errno) when the system refuses the file, ValueError for a format that
    does not take this motion or a motion with nothing to write, TypeError for a wrong argument.
    """
    path = _files.as_path(path)
    options = _options.write_options(units, up_out)
    kind = "markers" if isinstance(motion, Markers) else \
        "skeleton" if isinstance(motion, Skeleton) else None
    if kind is None:
        raise TypeError(f"write takes Markers or a Skeleton, not {type(motion).__name__}")
    if _format(path, kind, reads=False) is None:
        raise ValueError(f"cannot write {kind} to {path}: {kind} are written as "
                         f"{_extensions(kind, False)}")
    _files.check_output(path)
    fields = motion._fields()
    write_fields = _native.write_markers if kind == "markers" else _native.write_skeleton
    _warn(write_fields(fields, path, options))


def convert(src, dst, *, names=None, up=None, points=None, lenient=False, from_frame=None,
            to_frame=None, keep_time=False, units=None, up_out=None, markers=None, exclude=None):
    """The tool's ``convert SRC DST``: reads `src` and writes `dst` (formats by their
    extensions), the same bytes as the tool writes with the same options. The options are
    read's and write's. Refuses to write over its input, however either path is spelled.

    Raises as read and write do.
    """
    src = _files.as_path(src, "src")
    dst = _files.as_path(dst, "dst")
    options = _options.read_options(names, up, points, lenient, from_frame, to_frame,
                                     keep_time, units, markers, exclude)
    options.update(up_out=_options.write_options(units, up_out)["up_out"])
    pairs = [(kind, _format(src, kind, True), _format(dst, kind, False))
             for kind in ("markers", "skeleton")]
    if not any(source and target for _, source, target in pairs):
        can = "; ".join(f"{_extensions(kind, True)} -> {_extensions(kind, False)}"
                        for kind in ("markers", "skeleton"))
        raise ValueError(f"cannot convert {src} to {dst}; convert can do: {can}")
    _files.check_input(src)
    if not _is_c3d(src):
        _options.refuse_c3d_options(src, options)
    if _files.same_file(src, dst):
        raise ValueError(f"{dst} is the input {src}; it would be replaced")
    _files.check_output(dst)
    _warn(_native.convert(src, dst, options))
