"""zarfileio: motion-capture files (TRC, C3D, HTR, BVH) as NumPy arrays and pandas frames.

    import zarfileio
    markers = zarfileio.read("trial.c3d")          # Markers: positions, present, rate, ...
    markers.to_dataframe()                          # columns (marker, axis)
    zarfileio.write(markers.to_units("m"), "trial.trc")
    zarfileio.convert("walk.htr", "walk.bvh")       # the tool's convert, byte for byte

Many files at once, on a Dask cluster or on this machine's cores: zarfileio.batch.
"""

from ._native import FormatError
from .c3d import Analog, Event, ForcePlate
from .files import convert, read, write
from .markers import Markers
from .skeleton import Skeleton
from . import batch  # noqa: E402  (zarfileio.batch after import zarfileio)

__all__ = ["Analog", "batch", "Event", "ForcePlate", "FormatError", "Markers", "Skeleton", "convert",
           "read", "write"]
