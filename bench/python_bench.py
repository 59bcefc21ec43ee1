"""The Python package's measurements, driven by bench/python_bench.sh (not a test).

    python_bench.py read FILE          one zarfileio.read: seconds, peak memory over the arrays
    python_bench.py pandas FILE        pandas.read_csv of a TRC file's rows: seconds
    python_bench.py batch DIR OUT N    batch.convert of DIR's files to CSV on an N-worker
                                       LocalCluster: seconds (the cluster's start not counted)
"""

import os
import resource
import sys
import time


def peak_bytes():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024


def read(path):
    import numpy  # noqa: F401  (its import is not the reading's memory)
    import zarfileio

    before = peak_bytes()
    start = time.perf_counter()
    motion = zarfileio.read(path)
    seconds = time.perf_counter() - start
    arrays = motion.positions.nbytes + motion.present.nbytes
    grown = peak_bytes() - before
    print(f"{seconds:.3f} {grown} {arrays}")


def pandas(path):
    import pandas as pd

    start = time.perf_counter()
    frame = pd.read_csv(path, sep="\t", skiprows=5, header=None)
    seconds = time.perf_counter() - start
    print(f"{seconds:.3f} {frame.shape[0]} {frame.shape[1]}")


def batch(folder, out, workers):
    from dask.distributed import Client, LocalCluster

    import zarfileio.batch

    paths = sorted(os.path.join(folder, name) for name in os.listdir(folder))
    with LocalCluster(n_workers=int(workers), threads_per_worker=1, processes=True,
                      host="127.0.0.1", dashboard_address=None) as cluster, \
            Client(cluster) as client:
        client.run(lambda: __import__("zarfileio"))  # every worker has the package loaded
        start = time.perf_counter()
        table = zarfileio.batch.convert(paths, out, "csv", client=client)
        seconds = time.perf_counter() - start
    if not table["ok"].all():
        sys.exit(f"failed: {table.loc[~table['ok'], 'error'].tolist()[:3]}")
    print(f"{seconds:.3f} {len(table)}")


if __name__ == "__main__":
    {"read": read, "pandas": pandas, "batch": batch}[sys.argv[1]](*sys.argv[2:])
