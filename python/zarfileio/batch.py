"""Many files at once: one task per file, on a Dask cluster's workers or on this machine's cores.

    from dask.distributed import Client, LocalCluster
    import zarfileio.batch

    with LocalCluster(n_workers=4) as cluster, Client(cluster) as client:
        table = zarfileio.batch.summarize(paths, client=client)

Without a client the files are read on threads, one per core (the readers run without the GIL).
Each file is read and written on its task's thread alone, the cores being shared among files.
A file that fails never stops the others: its row says what happened.
"""

import os
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np

from . import _files, _native, _options
from .files import convert as convert_file
from .files import read
from .markers import Markers

SUMMARY_COLUMNS = ["file", "format", "markers", "joints", "frames", "rate", "units",
                   "missing_samples", "longest_gap", "longest_gap_marker", "error"]
CONVERT_COLUMNS = ["file", "output", "ok", "error", "seconds"]


def _error_text(error):
    return f"{type(error).__name__}: {error}"


def _longest_gaps(present):
    """The longest run of missing frames of each point (frames x points bool -> points)."""
    frames, points = present.shape
    longest = np.zeros(points, dtype=np.int64)
    run = np.zeros(points, dtype=np.int64)
    for row in present:
        run = np.where(row, 0, run + 1)
        np.maximum(longest, run, out=longest)
    return longest


def summarize_file(path):
    """One row of summarize() for `path` (errors in the row, never raised)."""
    row = dict.fromkeys(SUMMARY_COLUMNS)
    row.update(file=os.fspath(path), format=os.path.splitext(os.fspath(path))[1].lower().lstrip("."))
    try:
        with _native.CallingThreadOnly():  # the other files have the other cores
            motion = read(path)
    except Exception as error:  # each file's own failure is its row's, whatever it is
        row["error"] = _error_text(error)
        return row
    row.update(frames=motion.frames, rate=motion.rate, units=motion.units, missing_samples=0,
               longest_gap=0)
    if isinstance(motion, Markers):
        row["markers"] = len(motion.names)
        row["missing_samples"] = int((~motion.present).sum())
        gaps = _longest_gaps(motion.present)
        if len(gaps) and gaps.max() > 0:
            row["longest_gap"] = int(gaps.max())
            row["longest_gap_marker"] = motion.names[int(gaps.argmax())]
    else:
        row["joints"] = len(motion.joints)
    return row


def convert_one(path, output, options):
    """One row of convert() for `path` to `output` (errors in the row, never raised)."""
    start = time.perf_counter()
    row = {"file": os.fspath(path), "output": output, "ok": False, "error": None}
    try:
        with _native.CallingThreadOnly():  # the other files have the other cores
            convert_file(path, output, **options)
        row["ok"] = os.path.isfile(output)
        if not row["ok"]:
            row["error"] = "the output was not written"
    except Exception as error:  # each file's own failure is its row's, whatever it is
        row["error"] = _error_text(error)
    row["seconds"] = time.perf_counter() - start
    return row


def _run(task, argument_lists, client):
    """task(*arguments) for each argument list, in order: one Dask task each on `client`, else
    on a thread per core."""
    if client is None:
        with ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
            return list(pool.map(lambda arguments: task(*arguments), argument_lists))
    futures = client.map(task, *zip(*argument_lists), pure=False) if argument_lists else []
    rows = []
    for arguments, future in zip(argument_lists, futures):
        try:
            rows.append(future.result())
        except Exception as error:  # a worker lost with the task: that file's row says so
            rows.append({"file": os.fspath(arguments[0]), "error": _error_text(error)})
    return rows


def _identity(path):
    """(device, inode) of an existing file, else None."""
    try:
        status = os.stat(path)
    except OSError:
        return None
    return status.st_dev, status.st_ino


def summarize(paths, client=None):
    """A pandas DataFrame with one row per file, in the order of `paths`: file, format, markers
    (or joints), frames, rate, units, missing_samples, longest_gap (frames) and
    longest_gap_marker (the marker it is in), error (None when the file was read).

    client: a dask.distributed.Client whose workers run one task per file; None: threads on
    this machine, one per core.
    """
    import pandas as pd

    paths = [_files.as_path(path) for path in paths]
    rows = _run(summarize_file, [(path,) for path in paths], client)
    return pd.DataFrame(rows, columns=SUMMARY_COLUMNS)


def output_path(path, out_dir, fmt):
    """Where `path` goes: out_dir/<its name without its extension>.<fmt>, as the tool's
    ``convert --out-dir`` puts it."""
    extension = fmt if fmt.startswith(".") else "." + fmt
    stem = os.path.splitext(os.path.basename(path))[0]
    return os.path.join(out_dir, stem + extension)


def convert(paths, out_dir, fmt, client=None, **options):
    """Converts each file to out_dir/<its name>.<fmt> as zarfileio.convert does (the tool's
    bytes; the same options), making out_dir when missing. Returns a pandas DataFrame with one
    row per file, in the order of `paths`: file, output, ok, error (None when ok), seconds.

    Raises ValueError before converting anything when two inputs would be written to one output
    or an output would be an input, as the tool refuses such a batch.

    client: as for summarize().
    """
    import pandas as pd

    if not isinstance(fmt, str) or not fmt.strip("."):
        raise TypeError("fmt must be an extension such as 'csv'")
    # A wrong option is the call's fault, not each file's: refused before any task runs.
    read_options = {key: value for key, value in options.items() if key != "up_out"}
    _options.read_options(**read_options)
    _options.write_options(options.get("units"), options.get("up_out"))
    out_dir = _files.as_path(out_dir, "out_dir")
    paths = [_files.as_path(path) for path in paths]
    jobs = []
    writers = {}
    for path in paths:
        output = output_path(path, out_dir, fmt)
        key = os.path.normpath(os.path.abspath(output))
        if key in writers:
            raise ValueError(f"{writers[key]} and {path} would both be converted to {output}")
        writers[key] = path
        jobs.append((path, output, options))
    inputs = {_identity(path): path for path in paths}
    inputs.pop(None, None)
    for path, output, _ in jobs:
        if _identity(output) in inputs:
            raise ValueError(f"{output} is the input {inputs[_identity(output)]}; "
                             "it would be replaced")
    os.makedirs(out_dir, exist_ok=True)
    rows = _run(convert_one, jobs, client)
    return pd.DataFrame(rows, columns=CONVERT_COLUMNS)
