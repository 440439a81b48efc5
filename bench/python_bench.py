#!/usr/bin/python3
"""Points per second of the Python package against pyproj on the same arrays, in the same run.

GDA94 -> GDA2020 in decimal degrees by the seven-parameter Helmert transformation. PROJ's operation is
pinned to that transformation (EPSG:8048) by its pipeline string, so an installed grid cannot change
what is compared. Then the same conversion of a Dask DataFrame on two local worker processes.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py [points]
"""

import os
import sys
import time

import numpy as np

import velmora

POINTS = int(sys.argv[1]) if len(sys.argv) > 1 else 10_000_000
ROUNDS = 3  # best of: the figures are of a warm run, grids and pages already in memory

# EPSG:8048, "GDA94 to GDA2020 (1)": coordinate-frame Helmert on the GRS80 cartesian coordinates,
# heights carried through; axes in the order latitude, longitude as the arrays hold them.
GDA94_TO_GDA2020 = (
    "+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg +xy_out=rad "
    "+step +proj=push +v_3 +step +proj=cart +ellps=GRS80 "
    "+step +proj=helmert +x=0.06155 +y=-0.01087 +z=-0.04019 +rx=-0.0394924 +ry=-0.0327221 "
    "+rz=-0.0328979 +s=-0.009994 +convention=coordinate_frame "
    "+step +inv +proj=cart +ellps=GRS80 +step +proj=pop +v_3 "
    "+step +proj=unitconvert +xy_in=rad +xy_out=deg +step +proj=axisswap +order=2,1"
)


def best_seconds(run):
    best = float("inf")
    for _ in range(ROUNDS):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
    return best


def rate(seconds, points=POINTS):
    return points / seconds / 1e6  # million points per second


def main():
    import pyproj

    rng = np.random.default_rng(1)
    lat = rng.uniform(-43.0, -10.0, POINTS)
    lon = rng.uniform(113.0, 154.0, POINTS)
    h = rng.uniform(-50.0, 2000.0, POINTS)
    cores = os.cpu_count()
    print(f"{POINTS:,} points, {cores} processors, pyproj {pyproj.__version__} (PROJ {pyproj.proj_version_str})")

    converter = velmora.Converter(from_datum="GDA94", to_datum="GDA2020")
    ours = converter.convert(lat, lon, h, threads=1)
    transformer = pyproj.Transformer.from_pipeline(GDA94_TO_GDA2020)
    theirs = transformer.transform(lat, lon, h)
    gap = max(np.max(np.abs(ours.a - theirs[0])), np.max(np.abs(ours.b - theirs[1])))
    print(f"largest difference from PROJ: {gap:.3g} degrees ({gap * 111e3 * 1e3:.3g} mm)")

    proj = rate(best_seconds(lambda: transformer.transform(lat, lon, h)))
    one = rate(best_seconds(lambda: converter.convert(lat, lon, h, threads=1)))
    every = rate(best_seconds(lambda: converter.convert(lat, lon, h, threads=None)))
    print(f"pyproj Transformer           {proj:7.2f} M points/s")
    print(f"velmora convert, 1 thread    {one:7.2f} M points/s  {one / proj:5.2f} x pyproj")
    print(f"velmora convert, {cores} threads   {every:7.2f} M points/s  {every / proj:5.2f} x pyproj")

    dask_run()


def same_frame(frame, run):
    return frame


def dask_run():
    import dask.dataframe as dd
    import distributed
    import pandas as pd

    import velmora.dask

    partitions = 8

    def make_partition(seed):
        rng = np.random.default_rng(seed)
        count = POINTS // partitions
        return pd.DataFrame({"lat": rng.uniform(-43.0, -10.0, count), "lon": rng.uniform(113.0, 154.0, count),
                             "h": rng.uniform(-50.0, 2000.0, count)})

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster):
        # The points are made in the workers and kept there: what is timed is the conversion.
        ddf = dd.from_map(make_partition, range(partitions)).persist()
        distributed.wait(ddf)

        runs = iter(range(ROUNDS + 1))

        def run():
            # A new name every run, else Dask would hand back the last run's partitions still in memory.
            fresh = ddf.map_partitions(same_frame, next(runs), meta=ddf._meta)
            out = velmora.dask.convert(fresh, from_datum="GDA94", to_datum="GDA2020").persist()
            distributed.wait(out)
            del out

        run()  # the workers' converters are built here, once per process
        points = partitions * (POINTS // partitions)
        print(f"velmora.dask, 2 workers      {rate(best_seconds(run), points):7.2f} M points/s")


if __name__ == "__main__":
    main()
