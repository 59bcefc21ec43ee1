"""What a C3D file holds beside its points: analog channels, force plates and events."""

from dataclasses import dataclass, field

import numpy as np

from . import _native


@dataclass
class Analog:
    """A C3D file's analog channels, in physical units: (stored - offset) x scale x the general
    scale, signed or unsigned as ANALOG:FORMAT says.

    values: float64 array, samples x channels, sample 0 at the first point frame's time.
    """

    labels: list
    descriptions: list
    units: list
    rate: float
    first_frame: int
    values: np.ndarray

    @property
    def times(self):
        """Each sample's time in seconds from the first point frame."""
        return np.arange(len(self.values)) / self.rate if self.rate > 0 else np.zeros(0)

    def to_dataframe(self):
        """A pandas DataFrame: one column per channel (its label), index the time in seconds."""
        import pandas as pd

        return pd.DataFrame(self.values, columns=self.labels,
                            index=pd.Index(self.times, name="time"))


@dataclass
class ForcePlate:
    """One force plate: the ground's reaction on the subject per analog sample, in lab axes.

    force, moment: samples x 3; the moment is about the centre of the plate's top surface.
    cop: samples x 3, the centre of pressure on the surface (NaN under the vertical-force
        threshold); free_moment: per sample, about the surface's normal at the centre of
        pressure (NaN under the threshold).
    """

    type: int
    corners: np.ndarray
    centre: tuple
    axes: np.ndarray
    force: np.ndarray
    moment: np.ndarray
    cop: np.ndarray
    free_moment: np.ndarray


@dataclass
class Event:
    """One event (a foot strike, a foot off, ...): its time as the file gives it and the point
    frame at that time (frame 1 at 0 s)."""

    context: str
    label: str
    description: str
    time: float
    frame: int


@dataclass
class C3DExtras:
    """Reads a C3D file's analog channels, plates and events once, when first asked for."""

    path: str
    lenient: bool = False
    zero: bool = True
    cop_threshold: float = 20.0
    _read: dict = field(default=None, repr=False)

    def _load(self):
        if self._read is None:
            self._read = _native.c3d_extras(self.path, self.lenient, self.zero, self.cop_threshold)
        return self._read

    @property
    def analog(self):
        return Analog(**self._load()["analog"])

    @property
    def plates(self):
        return [ForcePlate(**plate) for plate in self._load()["plates"]]

    @property
    def events(self):
        return [Event(**event) for event in self._load()["events"]]
