"""The system's reason for a file that cannot be read or written, as an OSError."""

import errno
import os
import stat


def check_input(path):
    """Raises OSError (FileNotFoundError, PermissionError, IsADirectoryError, ...) when `path`
    cannot be opened as a regular file for reading; a FIFO or device is refused unopened."""
    mode = os.stat(path).st_mode
    if stat.S_ISDIR(mode):
        raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), path)
    if not stat.S_ISREG(mode):
        raise OSError(errno.EINVAL, "not a regular file", path)
    with open(path, "rb"):
        pass


def check_output(path):
    """Raises OSError when `path` cannot take an output: its folder is missing, or it names a
    folder."""
    folder = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(folder):
        raise FileNotFoundError(errno.ENOENT, "The output folder does not exist", path)
    if os.path.isdir(path):
        raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), path)


def same_file(a, b):
    """Whether `a` and `b` name one existing file, however each is spelled."""
    try:
        return os.path.samefile(a, b)
    except OSError:
        return False


def as_path(path, name="path"):
    """`path` (str or os.PathLike) as a str; TypeError for anything else."""
    try:
        path = os.fspath(path)
    except TypeError:
        raise TypeError(f"{name} must be a str or os.PathLike, not {type(path).__name__}") from None
    if isinstance(path, bytes):
        path = os.fsdecode(path)
    return path
