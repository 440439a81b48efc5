"""velmora.dask: the same frames as convert_frame, on a cluster of worker processes."""

import os

import numpy as np
import pandas as pd
import pytest

dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("distributed")

import velmora  # noqa: E402
import velmora.dask  # noqa: E402
from test_velmora import write_gsa  # noqa: E402


@pytest.mark.parametrize("columns, to_type, method_column", [
    (("lat", "lon", "h"), "DD", None),
    (("lat", "lon"), "DMS", "how"),  # text coordinates: the metadata must say object, as the partitions do
    (("lat", "lon", "h"), "EN", "how"),
])
def test_same_frame_and_metadata_as_convert_frame(columns, to_type, method_column):
    frame = pd.DataFrame({"id": range(9), "lat": np.linspace(-40, -12, 9), "lon": np.linspace(115, 153, 9),
                          "h": np.arange(9) * 10})
    frame.loc[4, "lat"] = np.nan
    options = dict(from_datum="GDA94", to_datum="GDA2020", to_type=to_type, zone=50)
    lazy = velmora.dask.convert(dd.from_pandas(frame, npartitions=3), columns, method_column, **options)
    out = lazy.compute(scheduler="sync")
    pd.testing.assert_frame_equal(out, velmora.convert_frame(frame, columns, method_column, **options),
                                  check_exact=True)
    pd.testing.assert_series_equal(lazy._meta.dtypes, out.dtypes)


def test_bad_options_raise_before_any_task():
    ddf = dd.from_pandas(pd.DataFrame({"lat": [-33.0], "lon": [151.0]}), npartitions=1)
    with pytest.raises(ValueError, match="GDA95"):
        velmora.dask.convert(ddf, ("lat", "lon"), from_datum="GDA95")
    with pytest.raises(ValueError, match="did you mean"):
        velmora.dask.convert(ddf, datum="GDA94")
    with pytest.raises(ValueError, match="threads"):
        velmora.dask.convert(ddf, ("lat", "lon"), threads=0)
    # A grid the client lacks is no error there: the workers open their own.
    lazy = velmora.dask.convert(ddf, ("lat", "lon"), from_datum="GDA94", to_datum="GDA2020", use_grid_shift=True,
                                grids={"GDA2020": "/no/such.gsb"}, grid_folder="/only/on/the/workers")
    with pytest.raises(ValueError, match="no such folder"):
        lazy.compute(scheduler="sync")
    with pytest.raises(ValueError, match="no grid file serves GDA94 to GDA94"):  # whatever files exist
        velmora.dask.convert(ddf, ("lat", "lon"), from_datum="GDA94", to_datum="GDA94", use_grid_shift=True)


@pytest.mark.skipif(os.environ.get("VELMORA_SKIP_DASK") == "1", reason="VELMORA_SKIP_DASK=1")
def test_million_points_on_two_worker_processes(tmp_path):
    grid = tmp_path / "shift.gsa"
    write_gsa(grid, -36, -32, 149, 153, 0.5, 1.0, 2.0)
    rng = np.random.default_rng(3)
    files = []
    for part in range(4):
        count = 250_000
        lat = rng.uniform(-36.5, -31.5, count)  # some outside the grid: failed in strict mode
        lat[rng.integers(0, count, 50)] = np.nan
        frame = pd.DataFrame({"id": np.arange(count) + part * count, "lat": lat,
                              "lon": rng.uniform(149.5, 152.5, count), "h": rng.uniform(-10, 900, count)})
        files.append(tmp_path / f"points-{part}.csv")
        frame.to_csv(files[-1], index=False)
    options = dict(from_datum="GDA94", to_datum="GDA2020", use_grid_shift=True, grids={"GDA2020": grid})

    expected = velmora.convert_frame(pd.concat([pd.read_csv(f) for f in files]), method_column="how", **options)
    assert set(expected["how"]) == {"grid:shift.gsa:TEST", "failed"}

    def converters_in_this_process():
        import velmora.dask

        return len(velmora.dask._converters)

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        ddf = dd.read_csv([str(f) for f in files])
        assert ddf.npartitions >= 4
        out = velmora.dask.convert(ddf, method_column="how", **options).compute()
        # One converter per worker process that converted, whatever its number of partitions.
        counts = client.run(converters_in_this_process)
    assert set(counts.values()) <= {0, 1} and sum(counts.values()) >= 1
    pd.testing.assert_frame_equal(out, expected, check_exact=True)
