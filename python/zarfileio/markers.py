"""Markers: the points of a marker file (TRC, C3D) as NumPy arrays."""

import numpy as np

from . import _native
from ._options import AXES, LENGTH_UNITS

POINT_TYPES = ("marker", "angle", "force", "moment", "power", "scalar", "reaction")


class Markers:
    """Points over a run of frames: marker positions, and in a C3D file the model outputs
    (joint angles, forces, ...) it lists beside them.

    Attributes:
        names: one str per point.
        descriptions: one str per point (a C3D point's description; else "").
        types: one str per point: "marker" (a position, in `units`), or a model output's kind
            ("angle", "force", "moment", "power", "scalar", "reaction"), in its own units.
        positions: float64 array, frames x points x 3; NaN where a point is missing.
        present: bool array, frames x points; False where a point is missing.
        rate: frames per second, exactly as the source gives it (119.88, not 120).
        camera_rate: the capture rate where the source gives one, else 0.
        first_frame: the number of the first frame (frame numbers count on from it).
        units: the length unit of the markers: "mm", "cm", "m", "in" (or "ft", "yd").
        up: "y" or "z", the axis that points up in the positions' world.
    """

    def __init__(self, names, positions, rate, *, present=None, first_frame=1, units="mm",
                 up="y", types=None, descriptions=None, camera_rate=0.0):
        """Markers from NumPy data (a pose estimator's, a simulation's, ...).

        Args:
            names: one str per point.
            positions: array-like, frames x points x 3; NaN (or present False) where missing.
            rate: frames per second (above 0).
            present: bool array-like, frames x points (default: where all three coordinates
                are finite).
            first_frame, units, up, types, descriptions, camera_rate: as the attributes.

        Raises TypeError or ValueError for data that does not fit together.
        """
        names = _strings("names", names)
        positions = np.array(positions, dtype=np.float64, copy=True)
        if positions.ndim != 3 or positions.shape[1:] != (len(names), 3):
            raise ValueError(f"positions must be frames x {len(names)} points x 3, "
                             f"not {positions.shape}")
        finite = np.isfinite(positions).all(axis=2)
        if present is None:
            present = finite
        else:
            present = np.asarray(present, dtype=bool)
            if present.shape != positions.shape[:2]:
                raise ValueError(f"present must be {positions.shape[:2]}, not {present.shape}")
            present = present & finite
        positions[~present] = np.nan
        self._set(
            names=names,
            descriptions=_strings("descriptions", descriptions, len(names), ""),
            types=_strings("types", types, len(names), "marker", POINT_TYPES),
            positions=positions, present=np.ascontiguousarray(present),
            rate=_rate(rate), camera_rate=float(camera_rate),
            first_frame=_integer("first_frame", first_frame),
            units=_unit(units), up=_axis(up))

    @classmethod
    def _from_fields(cls, fields, c3d=None):
        markers = cls.__new__(cls)
        markers._set(**fields)
        markers._c3d = c3d
        return markers

    def _set(self, names, descriptions, types, positions, present, rate, camera_rate,
             first_frame, units, up):
        self.names = list(names)
        self.descriptions = list(descriptions)
        self.types = list(types)
        self.positions = positions
        self.present = present
        self.rate = rate
        self.camera_rate = camera_rate
        self.first_frame = first_frame
        self.units = units
        self.up = up
        self._c3d = None

    def _fields(self):
        """What the extension takes to write these markers."""
        positions = np.ascontiguousarray(self.positions, dtype=np.float64)
        present = np.ascontiguousarray(self.present, dtype=bool)
        if positions.shape != (len(present), len(self.names), 3) or \
                present.shape != positions.shape[:2]:
            raise ValueError("positions, present and names do not fit together: "
                             f"{positions.shape}, {present.shape}, {len(self.names)} names")
        return {"names": self.names, "descriptions": self.descriptions, "types": self.types,
                "positions": positions, "present": present, "rate": _rate(self.rate),
                "camera_rate": float(self.camera_rate),
                "first_frame": _integer("first_frame", self.first_frame),
                "units": _unit(self.units), "up": _axis(self.up)}

    def __repr__(self):
        return (f"<Markers: {len(self.names)} points, {self.frames} frames from "
                f"{self.first_frame}, {self.rate:g} frames/s, {self.units}, {self.up} up>")

    @property
    def frames(self):
        """The number of frames."""
        return self.positions.shape[0]

    @property
    def frame_numbers(self):
        """The number of each frame (int64 array)."""
        return np.arange(self.first_frame, self.first_frame + self.frames, dtype=np.int64)

    @property
    def times(self):
        """The time of each frame in seconds from the exact rate, as the tool's CSV gives it:
        counted from frame 1 (from frame 0 where the numbering starts at 0)."""
        return _native.frame_times(self.first_frame, self.frames, self.rate)

    def to_dataframe(self):
        """A pandas DataFrame: one row per frame (index: the frame number), columns
        (point, axis) with axis "x", "y", "z"; NaN where missing."""
        import pandas as pd

        columns = pd.MultiIndex.from_product([self.names, ["x", "y", "z"]],
                                             names=["marker", "axis"])
        return pd.DataFrame(self.positions.reshape(self.frames, -1), columns=columns,
                            index=pd.Index(self.frame_numbers, name="frame"))

    def select(self, markers=None, frames=None):
        """The points and frames asked for, as new Markers.

        Args:
            markers: names or indices of points, in the order wanted (default: all).
            frames: (first, last), frame numbers both kept, either None for the end; or a range
                of frame numbers with step 1 (default: all). The frames keep their numbers.
        """
        columns = list(range(len(self.names))) if markers is None else \
            [self._index(m) for m in ([markers] if isinstance(markers, (str, int)) else markers)]
        start, stop = 0, self.frames
        if frames is not None:
            if isinstance(frames, range):
                if frames.step != 1:
                    raise ValueError("frames must be consecutive (a range with step 1)")
                first, last = frames.start, frames.stop - 1
            else:
                try:
                    first, last = frames
                except (TypeError, ValueError):
                    raise TypeError("frames must be (first, last) or a range") from None
            first = self.first_frame if first is None else _integer("frames", first)
            last = self.first_frame + self.frames - 1 if last is None else _integer("frames", last)
            start = max(0, first - self.first_frame)
            stop = min(self.frames, last - self.first_frame + 1)
            if start >= stop:
                raise ValueError(f"the frames asked for are outside frames {self.first_frame} to "
                                 f"{self.first_frame + self.frames - 1}")
        fields = self._fields()
        fields.update(
            names=[self.names[c] for c in columns],
            descriptions=[self.descriptions[c] for c in columns],
            types=[self.types[c] for c in columns],
            positions=self.positions[start:stop][:, columns].copy(),
            present=self.present[start:stop][:, columns].copy(),
            first_frame=self.first_frame + start)
        return Markers._from_fields(fields)

    def to_units(self, units):
        """New Markers with the marker positions in `units` ("mm", "cm", "m", "in", "ft", "yd"); model
        outputs (angles, forces, ...) keep their values, as the tool's --units does."""
        units = _unit(units)
        factor = _native.length_factor(self.units, units)
        fields = self._fields()
        positions = self.positions.copy()
        lengths = np.array([t == "marker" for t in self.types], dtype=bool)
        positions[:, lengths] *= factor
        fields.update(positions=positions, present=self.present.copy(), units=units)
        result = Markers._from_fields(fields)
        result._c3d = self._c3d
        return result

    @property
    def analog(self):
        """A C3D file's analog channels (zarfileio.c3d.Analog); None for other sources."""
        return None if self._c3d is None else self._c3d.analog

    @property
    def plates(self):
        """A C3D file's force plates (a list of zarfileio.c3d.ForcePlate); None for other
        sources."""
        return None if self._c3d is None else self._c3d.plates

    @property
    def events(self):
        """A C3D file's events (a list of zarfileio.c3d.Event); None for other sources."""
        return None if self._c3d is None else self._c3d.events

    def _index(self, marker):
        if isinstance(marker, str):
            try:
                return self.names.index(marker)
            except ValueError:
                raise ValueError(f"no point is named {marker!r}") from None
        if isinstance(marker, bool) or not isinstance(marker, (int, np.integer)):
            raise TypeError(f"a point is named by a str or an index, not {marker!r}")
        if not -len(self.names) <= marker < len(self.names):
            raise ValueError(f"point index {marker} is outside 0 to {len(self.names) - 1}")
        return int(marker) % len(self.names)


def _strings(name, values, count=None, default=None, allowed=None):
    if values is None and default is not None:
        return [default] * count
    if isinstance(values, str):
        raise TypeError(f"{name} must be a list of str, not a str")
    values = list(values)
    for value in values:
        if not isinstance(value, str):
            raise TypeError(f"{name} must be a list of str, not a list holding {value!r}")
        if allowed is not None and value not in allowed:
            raise ValueError(f"{name}: {value!r} is not one of {', '.join(allowed)}")
    if count is not None and len(values) != count:
        raise ValueError(f"{name} must have {count} entries, not {len(values)}")
    return values


def _rate(rate):
    if isinstance(rate, bool) or not isinstance(rate, (int, float, np.number)):
        raise TypeError(f"rate must be a number, not {type(rate).__name__}")
    if not np.isfinite(rate) or rate <= 0:
        raise ValueError(f"rate must be a finite number above 0, not {rate}")
    return float(rate)


def _integer(name, value):
    if isinstance(value, bool) or not isinstance(value, (int, np.integer)):
        raise TypeError(f"{name} must be an int, not {type(value).__name__}")
    return int(value)


def _unit(units):
    allowed = LENGTH_UNITS + ("ft", "yd")
    if not isinstance(units, str) or units not in allowed:
        raise ValueError(f"units must be one of {', '.join(allowed)}, not {units!r}")
    return units


def _axis(up):
    if not isinstance(up, str) or up not in AXES:
        raise ValueError(f"up must be 'y' or 'z', not {up!r}")
    return up
