from os import PathLike
from typing import Any, Iterable, Optional, Union

import pandas as pd

_Path = Union[str, PathLike[str]]

def summarize(paths: Iterable[_Path], client: Optional[Any] = ...) -> pd.DataFrame: ...
def convert(paths: Iterable[_Path], out_dir: _Path, fmt: str, client: Optional[Any] = ...,
            **options: Any) -> pd.DataFrame: ...
def output_path(path: str, out_dir: str, fmt: str) -> str: ...
