"""Skeleton: the joints of a skeleton file (HTR, BVH) and their motion as NumPy arrays.

Rotations are unit quaternions (w, x, y, z). A joint's rotation q and translation t place a point
p given in the joint's own axes in its parent's axes:

    p_parent = t + q * p * conj(q)        (Hamilton product, p as the quaternion (0, p))

and for a root the parent is the world. A joint's world pose is its local pose followed by its
parent's world pose, root first.
"""

import numpy as np

from . import _native
from .markers import _axis, _integer, _rate, _strings, _unit


class Skeleton:
    """Joints in a hierarchy with a base pose, and each joint's local pose in every frame.

    Attributes:
        joints: one name per joint, parents before their children.
        parents: int32 array, each joint's parent index, -1 for a root.
        base_translations: joints x 3, each joint's place in its parent's axes in the base pose
            (the capture's reference pose: the HTR base position, the BVH OFFSET).
        base_rotations: joints x 4 quaternions (w, x, y, z), the base pose's rotations.
        bone_lengths: each joint's bone length, along its own Y axis.
        local_translations: float64, frames x joints x 3, each joint's translation from its
            parent in every frame (the base translation plus the frame's motion).
        local_rotations: float64, frames x joints x 4, quaternions (w, x, y, z): the frame's
            turn followed by the base rotation.
        scales: frames x joints, the bone scale factor (HTR; 1 elsewhere).
        rate, first_frame, units, up: as for Markers.
    """

    def __init__(self, joints, parents, local_translations, local_rotations, rate, *,
                 base_translations=None, base_rotations=None, bone_lengths=None, scales=None,
                 first_frame=1, units="mm", up="y"):
        """A skeleton from NumPy data. The base pose defaults to the first frame's pose, bone
        lengths to 0 and scales to 1. Raises TypeError or ValueError for data that does not fit
        together (a parent that is not an earlier joint, shapes that differ)."""
        joints = _strings("joints", joints)
        count = len(joints)
        translations = _array("local_translations", local_translations, (None, count, 3))
        rotations = _array("local_rotations", local_rotations, (len(translations), count, 4))
        parents = np.asarray(parents)
        if parents.shape != (count,) or not np.issubdtype(parents.dtype, np.integer):
            raise ValueError(f"parents must be {count} integers, not {parents!r}")
        bad = [j for j, p in enumerate(parents) if not -1 <= p < j]
        if bad:
            raise ValueError(f"the parent of joint {bad[0]} ({joints[bad[0]]}) is not an earlier "
                             "joint or -1")
        if base_translations is None or base_rotations is None:
            if len(translations) == 0:
                raise ValueError("a skeleton without frames needs its base pose")
        self.joints = joints
        self.parents = parents.astype(np.int32)
        self.base_translations = translations[0].copy() if base_translations is None else \
            _array("base_translations", base_translations, (count, 3))
        self.base_rotations = rotations[0].copy() if base_rotations is None else \
            _array("base_rotations", base_rotations, (count, 4))
        self.bone_lengths = np.zeros(count) if bone_lengths is None else \
            _array("bone_lengths", bone_lengths, (count,))
        self.local_translations = translations
        self.local_rotations = rotations
        self.scales = np.ones((len(translations), count)) if scales is None else \
            _array("scales", scales, (len(translations), count))
        self.rate = _rate(rate)
        self.first_frame = _integer("first_frame", first_frame)
        self.units = _unit(units)
        self.up = _axis(up)

    @classmethod
    def _from_fields(cls, fields):
        skeleton = cls.__new__(cls)
        skeleton.__dict__.update(fields)
        return skeleton

    def _fields(self):
        """What the extension takes to write this skeleton or move its joints."""
        count = len(self.joints)
        frames = len(self.local_translations)
        return {
            "joints": _strings("joints", self.joints),
            "parents": np.asarray(self.parents, dtype=np.int32),
            "base_translations": _array("base_translations", self.base_translations, (count, 3)),
            "base_rotations": _array("base_rotations", self.base_rotations, (count, 4)),
            "bone_lengths": _array("bone_lengths", self.bone_lengths, (count,)),
            "local_translations": _array("local_translations", self.local_translations,
                                         (frames, count, 3)),
            "local_rotations": _array("local_rotations", self.local_rotations, (frames, count, 4)),
            "scales": _array("scales", self.scales, (frames, count)),
            "rate": _rate(self.rate), "first_frame": _integer("first_frame", self.first_frame),
            "units": _unit(self.units), "up": _axis(self.up)}

    def __repr__(self):
        return (f"<Skeleton: {len(self.joints)} joints, {self.frames} frames from "
                f"{self.first_frame}, {self.rate:g} frames/s, {self.units}, {self.up} up>")

    @property
    def frames(self):
        """The number of frames."""
        return len(self.local_translations)

    @property
    def base_pose(self):
        """(base_translations, base_rotations)."""
        return self.base_translations, self.base_rotations

    @property
    def times(self):
        """The time of each frame in seconds from the exact rate."""
        return _native.frame_times(self.first_frame, self.frames, self.rate)

    def world_positions(self):
        """Every joint's position in the world in every frame (frames x joints x 3), the
        numbers the tool's ``convert x.htr x.csv`` writes."""
        return _native.world_positions(self._fields())

    def to_dataframe(self):
        """world_positions() as a pandas DataFrame: index the frame number, columns
        (joint, axis)."""
        import pandas as pd

        columns = pd.MultiIndex.from_product([self.joints, ["x", "y", "z"]],
                                             names=["joint", "axis"])
        frames = np.arange(self.first_frame, self.first_frame + self.frames)
        return pd.DataFrame(self.world_positions().reshape(self.frames, -1), columns=columns,
                            index=pd.Index(frames, name="frame"))


def _array(name, values, shape):
    try:
        array = np.ascontiguousarray(values, dtype=np.float64)
    except (TypeError, ValueError):
        raise TypeError(f"{name} must be an array of numbers") from None
    if array.ndim != len(shape) or any(s is not None and s != a for s, a in zip(shape, array.shape)):
        expected = " x ".join("frames" if s is None else str(s) for s in shape)
        raise ValueError(f"{name} must be {expected}, not {array.shape}")
    return array
