from os import PathLike
from typing import Iterable, Literal, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt
import pandas as pd

from . import batch as batch

_Path = Union[str, PathLike[str]]
_Units = Literal["mm", "cm", "m", "in", "ft", "yd"]
_Axis = Literal["y", "z"]
_Points = Union[str, Sequence[str]]

class FormatError(ValueError):
    message: str
    lineno: Optional[int]

class Analog:
    labels: list[str]
    descriptions: list[str]
    units: list[str]
    rate: float
    first_frame: int
    values: npt.NDArray[np.float64]
    @property
    def times(self) -> npt.NDArray[np.float64]: ...
    def to_dataframe(self) -> pd.DataFrame: ...

class ForcePlate:
    type: int
    corners: npt.NDArray[np.float64]
    centre: tuple[float, float, float]
    axes: npt.NDArray[np.float64]
    force: npt.NDArray[np.float64]
    moment: npt.NDArray[np.float64]
    cop: npt.NDArray[np.float64]
    free_moment: npt.NDArray[np.float64]

class Event:
    context: str
    label: str
    description: str
    time: float
    frame: int

class Markers:
    names: list[str]
    descriptions: list[str]
    types: list[str]
    positions: npt.NDArray[np.float64]
    present: npt.NDArray[np.bool_]
    rate: float
    camera_rate: float
    first_frame: int
    units: str
    up: str
    def __init__(self, names: Sequence[str], positions: npt.ArrayLike, rate: float, *,
                 present: Optional[npt.ArrayLike] = ..., first_frame: int = ...,
                 units: str = ..., up: _Axis = ..., types: Optional[Sequence[str]] = ...,
                 descriptions: Optional[Sequence[str]] = ..., camera_rate: float = ...) -> None: ...
    @property
    def frames(self) -> int: ...
    @property
    def frame_numbers(self) -> npt.NDArray[np.int64]: ...
    @property
    def times(self) -> npt.NDArray[np.float64]: ...
    def to_dataframe(self) -> pd.DataFrame: ...
    def select(self, markers: Union[None, str, int, Iterable[Union[str, int]]] = ...,
               frames: Union[None, range, tuple[Optional[int], Optional[int]]] = ...) -> Markers: ...
    def to_units(self, units: str) -> Markers: ...
    @property
    def analog(self) -> Optional[Analog]: ...
    @property
    def plates(self) -> Optional[list[ForcePlate]]: ...
    @property
    def events(self) -> Optional[list[Event]]: ...

class Skeleton:
    joints: list[str]
    parents: npt.NDArray[np.int32]
    base_translations: npt.NDArray[np.float64]
    base_rotations: npt.NDArray[np.float64]
    bone_lengths: npt.NDArray[np.float64]
    local_translations: npt.NDArray[np.float64]
    local_rotations: npt.NDArray[np.float64]
    scales: npt.NDArray[np.float64]
    rate: float
    first_frame: int
    units: str
    up: str
    def __init__(self, joints: Sequence[str], parents: npt.ArrayLike,
                 local_translations: npt.ArrayLike, local_rotations: npt.ArrayLike, rate: float,
                 *, base_translations: Optional[npt.ArrayLike] = ...,
                 base_rotations: Optional[npt.ArrayLike] = ...,
                 bone_lengths: Optional[npt.ArrayLike] = ..., scales: Optional[npt.ArrayLike] = ...,
                 first_frame: int = ..., units: str = ..., up: _Axis = ...) -> None: ...
    @property
    def frames(self) -> int: ...
    @property
    def base_pose(self) -> tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
    @property
    def times(self) -> npt.NDArray[np.float64]: ...
    def world_positions(self) -> npt.NDArray[np.float64]: ...
    def to_dataframe(self) -> pd.DataFrame: ...

def read(path: _Path, *, names: Optional[Literal["labels", "descriptions"]] = ...,
         up: Optional[_Axis] = ..., points: Optional[_Points] = ..., lenient: bool = ...,
         from_frame: Optional[int] = ..., to_frame: Optional[int] = ..., keep_time: bool = ...,
         units: Optional[_Units] = ..., node: Optional[str] = ...,
         markers: Optional[Union[str, Sequence[str]]] = ...,
         exclude: Optional[Union[str, Sequence[str]]] = ...) -> Union[Markers, Skeleton]: ...
def write(motion: Union[Markers, Skeleton], path: _Path, *, units: Optional[_Units] = ...,
          up_out: Optional[_Axis] = ...) -> None: ...
def convert(src: _Path, dst: _Path, *, names: Optional[Literal["labels", "descriptions"]] = ...,
            up: Optional[_Axis] = ..., points: Optional[_Points] = ..., lenient: bool = ...,
            from_frame: Optional[int] = ..., to_frame: Optional[int] = ..., keep_time: bool = ...,
            units: Optional[_Units] = ..., up_out: Optional[_Axis] = ...,
            markers: Optional[Union[str, Sequence[str]]] = ...,
            exclude: Optional[Union[str, Sequence[str]]] = ...) -> None: ...
