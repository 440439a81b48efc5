"""The Python module against the velmora program it wraps, and its array and frame handling."""

import datetime
import os
import pickle
import signal
import subprocess
import sys
import time

import numpy as np
import pandas as pd
import pytest

import velmora

PROGRAM = os.environ.get("VELMORA_PROGRAM", "")


def run_program(args, lines, tmp_path):
    """The program's stdout bytes for an input file of lines."""
    path = tmp_path / "in.csv"
    path.write_text("".join(lines))
    return subprocess.run([PROGRAM, "--strict", "--inputFile", str(path), *args], check=True,
                          capture_output=True).stdout


def write_gsa(path, s, n, w, e, inc, lat_shift, lon_shift):
    """A one-sub-grid NTv2 text file with a constant shift in arc-seconds (west longitudes positive), or
    lat_shift a list of the nodes' values in file order (rows from the south, each east to west)."""
    rows, cols = round((n - s) / inc) + 1, round((e - w) / inc) + 1
    head = ["NUM_OREC 11", "NUM_SREC 11", "NUM_FILE 1", "GS_TYPE SECONDS", "VERSION NTv2.0", "SYSTEM_F GDA94",
            "SYSTEM_T GDA2020", "MAJOR_F 6378137.0", "MINOR_F 6356752.314", "MAJOR_T 6378137.0",
            "MINOR_T 6356752.314", "SUB_NAME TEST", "PARENT NONE", "CREATED 20240101", "UPDATED 20240101",
            f"S_LAT {s * 3600:f}", f"N_LAT {n * 3600:f}", f"E_LONG {-e * 3600:f}", f"W_LONG {-w * 3600:f}",
            f"LAT_INC {inc * 3600:f}", f"LONG_INC {inc * 3600:f}", f"GS_COUNT {rows * cols}"]
    values = lat_shift if isinstance(lat_shift, list) else [lat_shift] * (rows * cols)
    body = [f"{value:f} {-lon_shift:f} 0.01 0.01" for value in values]
    path.write_text("\n".join(head + body + ["END"]) + "\n")


# ITRF2014 at 2010.0 (or 2020-07-01) to 2025.5 through GDA2020: cct gives -33.849992396205
# 151.200003052926 for the first (see TransformDatumItrf in the pipeline tests).
EPOCH_2010_TO_2025_5 = (-33.849992396205, 151.200003052926)


@pytest.mark.parametrize("epoch", [
    2010, 2010.0, "2010", "2010-01-01", "2010-01-01T00:00:00Z", "2010-01-01T10:00:00+10:00",
    datetime.date(2010, 1, 1), datetime.datetime(2010, 1, 1), np.datetime64("2010-01-01T00:00:00.000000000"),
    pd.Timestamp("2010-01-01", tz="UTC"),
])
def test_epochs_of_every_kind(epoch):
    """A Converter's epoch, the same epoch per point, and to_epoch as a date all give the same point."""
    expected = EPOCH_2010_TO_2025_5
    by_option = velmora.Converter(from_datum="ITRF2014", to_datum="ITRF2014", epoch=epoch, to_epoch=2025.5)
    per_point = velmora.Converter(from_datum="ITRF2014", to_datum="ITRF2014", to_epoch="2025-07-02T12:00:00Z")
    for result in (by_option.convert(-33.85, 151.2), per_point.convert([-33.85], [151.2], epoch=[epoch])):
        assert result.a[0] == pytest.approx(expected[0], abs=1e-9)
        assert result.b[0] == pytest.approx(expected[1], abs=1e-9)


def test_epoch_arrays_one_per_point():
    """Arrays of epochs, as numbers, datetime64 and a pandas column; a missing or unreadable one fails
    its point when strict, and takes the Converter's epoch otherwise."""
    lat, lon = [-33.85] * 3, [151.2] * 3
    converter = velmora.Converter(from_datum="ITRF2014", to_datum="ITRF2014", to_epoch=2025.5)
    results = [
        converter.convert(lat, lon, epoch=np.array([2010.0, 2020.5, 2025.5])),
        converter.convert(lat, lon, epoch=np.array(["2010-01-01", "2020-07-02", "2025-07-02T12:00"],
                                                   dtype="datetime64[ns]")),
        converter.convert(lat, lon, epoch=pd.Series(pd.to_datetime(["2010-01-01", "2020-07-02",
                                                                    "2025-07-02T12:00"]))),
        velmora.Converter(from_datum="ITRF2014", to_datum="ITRF2014", epoch=[2010, 2020.5, 2025.5],
                          to_epoch=2025.5).convert(lat, lon),
    ]
    for result in results:
        assert result.a[0] == pytest.approx(EPOCH_2010_TO_2025_5[0], abs=1e-9)
        assert result.a[1] != result.a[0]
        assert result.a[2] == pytest.approx(-33.85, abs=1e-9)  # no time passes: the same position
    failed = converter.convert(lat, lon, epoch=[2010, None, "mid-2020"])
    assert list(failed.method == velmora.FAILED) == [False, True, True]
    assert failed.problems()[1] == "epoch: missing, or not a decimal year or an ISO date such as 2020-07-01"
    lax = velmora.Converter(from_datum="ITRF2014", to_datum="ITRF2014", epoch=2010, to_epoch=2025.5, strict=False)
    assert lax.convert(lat, lon, epoch=[None, "x", 2010]).a == pytest.approx([EPOCH_2010_TO_2025_5[0]] * 3, abs=1e-9)
    with pytest.raises(ValueError, match="GDA2020 positions have no epoch"):
        velmora.Converter(from_datum="ITRF2014", to_datum="GDA2020", to_epoch=2025)


@pytest.mark.skipif(not PROGRAM, reason="VELMORA_PROGRAM names the built program")
@pytest.mark.parametrize("options, args, fmt, west", [
    (dict(from_datum="GDA94", to_datum="GDA2020"), ["--fromDatum", "GDA94", "--toDatum", "GDA2020"],
     "%.8f,%.8f,%.3f\n", 114),
    (dict(from_datum="AGD66", to_datum="GDA94", to_type="EN"),
     ["--fromDatum", "AGD66", "--toDatum", "GDA94", "--toCoordType", "EN"], "%.3f,%.3f,%.3f\n", 150),
    (dict(from_datum="WGS84", to_datum="GDA2020", to_type="DMS", epoch=2020.5),
     ["--toDatum", "GDA2020", "--toCoordType", "DMS", "--epoch", "2020.5"], "%s,%s,%.3f\n", 114),
])
def test_same_bytes_as_the_program(tmp_path, options, args, fmt, west):
    rng = np.random.default_rng(12)
    count = 100_000
    lines = [f"{a:.9f},{b:.9f},{h:.3f}\n" for a, b, h in
             zip(rng.uniform(-43, -11, count), rng.uniform(west, 153, count), rng.uniform(-50, 2000, count))]
    fields = np.array([line.split(",") for line in lines], dtype=float)  # the numbers the program reads
    result = velmora.Converter(**options).convert(fields[:, 0], fields[:, 1], fields[:, 2], threads=2)
    assert (result.method != velmora.FAILED).all()
    ours = "".join(fmt % point for point in zip(result.a, result.b, result.h)).encode()
    assert ours == run_program(args, lines, tmp_path)


@pytest.mark.skipif(not PROGRAM, reason="VELMORA_PROGRAM names the built program")
@pytest.mark.parametrize("geoid", ["geoid.gsa", "missing.gsa"])
def test_geoid_and_zone_of_each_point_as_the_program(tmp_path, geoid):
    """Heights through a geoid that covers some points, ends in a margin and is missing; zones by point."""
    write_gsa(tmp_path / "geoid.gsa", -35, -33, 150, 152, 0.5, 22.5, 0.0)  # N = 22.5 m
    rng = np.random.default_rng(3)
    count = 2000
    lines = [f"{a:.9f},{b:.9f},{h:.3f}\n" for a, b, h in
             zip(rng.uniform(-36, -32, count), rng.uniform(149, 153, count), rng.uniform(-50, 2000, count))]
    fields = np.array([line.split(",") for line in lines], dtype=float)
    path = tmp_path / geoid
    converter = velmora.Converter(from_datum="GDA2020", to_datum="GDA2020", from_height="Ellipsoid",
                                  to_height="AHD", to_type="EN", to_zone="auto", grids={"AUSGeoid2020": path},
                                  strict=False)
    result = converter.convert(fields[:, 0], fields[:, 1], fields[:, 2])
    assert set(result.zone) == {55, 56} and len(result.method_names) == (4 if geoid == "geoid.gsa" else 2)
    names = result.methods()
    ours = "".join(f"{e:.3f},{n:.3f},{h:.3f},{z},{m}\n" for e, n, h, z, m in
                   zip(result.a, result.b, result.h, result.zone, names)).encode()
    (tmp_path / "in.csv").write_text("".join(lines))
    program = subprocess.run([PROGRAM, "--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType",
                              "Ellipsoid", "--toHeightType", "AHD", "--toCoordType", "EN", "--toZone", "auto",
                              "--grid", f"AUSGeoid2020={path}", "--showMethod", "--inputFile",
                              str(tmp_path / "in.csv")], capture_output=True)
    assert ours == program.stdout
    frame = velmora.convert_frame(pd.DataFrame({"lat": fields[:2, 0], "lon": fields[:2, 1], "h": fields[:2, 2]}),
                                  converter=converter, zone_column="utm")
    assert list(frame.columns) == ["lat", "lon", "h", "utm"] and list(frame["utm"]) == list(result.zone[:2])


@pytest.mark.skipif(not PROGRAM, reason="VELMORA_PROGRAM names the built program")
def test_factors_as_the_program_and_as_frame_columns(tmp_path):
    """show_factors=True: the three fields of --showFactors, NaN where the program writes none."""
    rng = np.random.default_rng(5)
    lat, lon, h = rng.uniform(-38, -30, 500), rng.uniform(146, 154, 500), rng.uniform(0, 900, 500)
    options = dict(from_datum="GDA2020", to_datum="GDA2020", to_type="EN", to_zone="auto", show_factors=True)
    for heights, args in [(dict(from_height="Ellipsoid", to_height="Ellipsoid"),
                           ["--fromHeightType", "Ellipsoid", "--toHeightType", "Ellipsoid"]), ({}, [])]:
        result = velmora.Converter(**options, **heights).convert(lat, lon, h)
        text = "".join(f"{e:.3f},{n:.3f},{hh:.3f},{z},{c:.9f},{k:.10f}," + ("" if np.isnan(m) else f"{m:.10f}") + "\n"
                       for e, n, hh, z, c, k, m in zip(result.a, result.b, result.h, result.zone, result.convergence,
                                                       result.scale, result.combined_scale))
        lines = [f"{a:.17g},{b:.17g},{c:.17g}\n" for a, b, c in zip(lat, lon, h)]
        assert text.encode() == run_program(["--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--toCoordType",
                                             "EN", "--toZone", "auto", "--showFactors", *args], lines, tmp_path)
    frame = velmora.convert_frame(pd.DataFrame({"lat": lat[:2], "lon": lon[:2]}), columns=("lat", "lon"), **options)
    assert list(frame.columns) == ["lat", "lon", "zone", "convergence", "scale", "combined_scale"]
    with pytest.raises(ValueError, match="neither side is a grid"):
        velmora.Converter(show_factors=True)


def test_dms_format_and_decimals_shape_the_text():
    options = dict(from_datum="GDA2020", to_datum="GDA2020", to_type="DMS")
    result = velmora.Converter(dms_format="hemisphere", decimals=2, **options).convert(-33.99999999, 151.215297)
    assert (result.a[0], result.b[0]) == ("34 0 0.00 S", "151 12 55.07 E")
    assert velmora.Converter(dms_format="symbols", **options).convert(-33.856767, 151.215297).a[0] == "33\u00b051'24.3612\"S"
    with pytest.raises(ValueError, match="expected plain, hemisphere or symbols"):
        velmora.Converter(dms_format="fancy")


def test_circuits_as_cs2cs():
    """cs2cs -d 4 EPSG:4167 EPSG:2105 at 36.6297222222222 S, 175.114166666667 E: 827683.4464 431301.4254."""
    result = velmora.Converter(from_datum="NZGD2000", to_datum="NZGD2000", to_type="EN",
                               to_circuit="MountEden").convert(-36.6297222222222, 175.114166666667)
    assert abs(result.a[0] - 431301.4254) < 1e-3 and abs(result.b[0] - 827683.4464) < 1e-3
    with pytest.raises(ValueError, match="unknown circuit"):
        velmora.Converter(to_circuit="Mount Eden")


def test_tm_formulas_reach_the_exact_projection():
    """9.5 degrees from zone 56's meridian: GeographicLib's exact projection gives E = -389110.9150541917."""
    options = dict(from_datum="GDA2020", to_datum="GDA2020", to_type="EN", zone=56, strict=False)
    exact = velmora.Converter(tm_formulas="krueger", **options).convert(-33.0, 143.5)
    assert abs(exact.a[0] - -389110.9150541917) < 1e-5
    assert abs(velmora.Converter(**options).convert(-33.0, 143.5).a[0] - exact.a[0]) > 5e-3
    with pytest.raises(ValueError, match="expected redfearn or krueger"):
        velmora.Converter(tm_formulas="exact")


@pytest.mark.skipif(not PROGRAM, reason="VELMORA_PROGRAM names the built program")
def test_accuracy_as_the_program_and_as_frame_columns(tmp_path):
    """show_accuracy=True: the two fields of --showAccuracy, NaN where the program writes none."""
    lat, lon = np.array([-33.5, -41.3]), np.array([151.2, 174.8])
    options = dict(from_datum="AGD66", to_datum="GDA94", show_accuracy=True)
    result = velmora.Converter(**options).convert(lat, lon)
    fields = lambda v: "" if np.isnan(v) else f"{v:.3f}"
    text = "".join(f"{a:.8f},{b:.8f},{h:.3f},{fields(x)},{fields(z)}\n"
                   for a, b, h, x, z in zip(result.a, result.b, result.h, result.horizontal_accuracy,
                                             result.vertical_accuracy))
    lines = [f"{a:.17g},{b:.17g}\n" for a, b in zip(lat, lon)]
    assert text.encode() == run_program(["--fromDatum", "AGD66", "--toDatum", "GDA94", "--showAccuracy"], lines,
                                        tmp_path)
    assert list(result.horizontal_accuracy) == [3.0, 4.0] and np.isnan(result.vertical_accuracy).all()
    frame = velmora.convert_frame(pd.DataFrame({"lat": lat, "lon": lon}), columns=("lat", "lon"), **options)
    assert list(frame.columns) == ["lat", "lon", "horizontal_accuracy", "vertical_accuracy"]
    with pytest.raises(ValueError, match="show_accuracy=True adds"):
        velmora.convert_frame(pd.DataFrame({"lat": lat, "lon": lon}), columns=("lat", "lon"),
                              method_column="vertical_accuracy", **options)


@pytest.mark.parametrize("options, message", [
    (dict(from_datum="GDA95"), "--fromDatum 'GDA95': unknown datum"),
    (dict(to_type="ENU"), "--toCoordType 'ENU'"),
    (dict(epoch="soon"), "--epoch 'soon': expected a decimal year"),
    (dict(to_type="EN", zone=61), "--zone"),
    (dict(grids={"GDA2021": "x.gsb"}), "--grid"),
    (dict(from_datum="GDA94", to_datum="GDA2020", use_grid_shift=True, grids={"GDA2020": "/no/such.gsb"}),
     "cannot use the grid file '/no/such.gsb' (needed by --useGridShift)"),
    (dict(from_datum="GDA2020", to_datum="GDA2020", from_height="Ellipsoid", to_height="AHD",
          grids={"AUSGeoid2020": "/no/such.gsb"}), "cannot use the geoid file '/no/such.gsb'"),
    (dict(grid_folder="/no/such"), "--gridFolder '/no/such': no such folder"),
    (dict(datum="GDA94"), "unknown option 'datum'; did you mean to_datum?"),
    (dict(use_grid_shift="false"), "use_grid_shift: expected True or False"),
    (dict(from_datum=None), "from_datum: expected a name or number, got None"),
    (dict(to_datum="NZGD2000", to_type="EN", to_zone="auto"), "--toZone auto: the NZGD2000 grid has no UTM zones"),
    (dict(to_datum="ISG", to_type="EN"), "ISG grid coordinates need --ISGSubZone 1, 2 or 3"),
    (dict(to_datum="ISG", to_type="EN", isg_sub_zone=0), "--zone 56 --ISGSubZone 0 is ISG zone 55/3"),
    (dict(grids={"GDA2020": "x.gsb"}), "datum grids are read only with --useGridShift"),
])
def test_bad_options_raise_the_strict_message(options, message):
    with pytest.raises(ValueError) as raised:
        velmora.Converter(**options)
    assert message in str(raised.value)


@pytest.mark.parametrize("from_type, a, b, to_type, expected", [
    ("DD", [-33.5], [151.25], "DMS", (["-33 30 0.0000"], ["151 15 0.0000"])),
    ("DD", [-33.5], [151.25], "DM", (["-33 30.00000000"], ["151 15.00000000"])),
    ("DMS", ["-33 30 0"], ["151 15 0"], "DD", ([-33.5], [151.25])),
    ("DM", ["33 30.0 S"], ["151 15.0 E"], "DD", ([-33.5], [151.25])),
    ("DD", [-33.5], [151.25], "EN", ([337440.638], [6291910.313])),  # PROJ: EPSG:4283 -> 28356
])
def test_every_coordinate_form(from_type, a, b, to_type, expected):
    result = velmora.Converter(from_datum="GDA94", to_datum="GDA94", from_type=from_type, to_type=to_type).convert(a, b)
    if to_type in ("DMS", "DM"):
        assert (list(result.a), list(result.b)) == expected
    else:
        np.testing.assert_allclose([result.a, result.b], expected, atol=1e-3)
    en = velmora.Converter(from_datum="GDA94", to_datum="GDA94", from_type="EN").convert([337440.638], [6291910.313])
    np.testing.assert_allclose([en.a[0], en.b[0]], [-33.5, 151.25], atol=1e-7)


def test_failed_points_say_why_and_heights_pass_through():
    converter = velmora.Converter(from_datum="GDA94", to_datum="GDA2020")
    result = converter.convert([95.0, -33.0, -33.0, np.nan], [151.0, -200.0, 151.0, 151.0], [1.0, 2.0, np.nan, 3.0])
    assert list(result.method[:2]) == [velmora.FAILED] * 2 and result.method[2] != velmora.FAILED
    assert list(result.problems()) == ["a: latitude out of range (-90 to 90)",
                                       "b: longitude out of range (-180 to 180)", "", "a: not a finite number"]
    assert np.isnan(result.h[2])  # no heights converted: a missing height is carried, the point converted
    texts = velmora.Converter(from_type="DMS", strict=False).convert(
        ["-33 30 0", None, np.nan, pd.NA, " ", "-33 60 0"], ["151 0 0"] * 6)
    assert list(texts.method == velmora.FAILED) == [False, True, True, True, True, False]  # lax: 60' is read
    assert velmora.Converter(from_type="DMS").convert("-33 60 0", "151 0 0").problems()[0].startswith(
        "a: latitude out of range")
    heights = velmora.Converter(from_datum="GDA2020", to_datum="GDA2020", from_height="Ellipsoid",
                                to_height="Ellipsoid")
    with pytest.raises(ValueError, match="h: heights are converted"):
        heights.convert([-33.0], [151.0])
    assert heights.convert([-33.0], [151.0], [np.nan]).problem_names == [
        "", "h: not a finite number, and heights are converted"]
    for threads, error in [(0, ValueError), (-1, ValueError), (1.5, TypeError), ("2", TypeError), (True, TypeError)]:
        with pytest.raises(error, match="threads"):
            converter.convert([-33.0], [151.0], threads=threads)


NA = pd.NA
DD = dict(from_datum="GDA94", to_datum="GDA2020")


HEIGHTS = dict(DD, from_height="Ellipsoid", to_height="Ellipsoid")
LAT, LON = [-33.5] * 2, [151.0] * 2


@pytest.mark.parametrize("options, a, b, h, problem", [
    (DD, pd.Series([-33.5, NA], dtype=object), LON, None, "a: not a finite number"),
    (DD, np.array([-33.5, NA], dtype=object), LON, None, "a: not a finite number"),
    (DD, [-33.5, NA], LON, None, "a: not a finite number"),
    (DD, LAT, pd.Series([151.0, NA], dtype="Float64"), None, "b: not a finite number"),
    (DD, pd.Series([-33, NA], dtype="Int64"), LON, None, "a: not a finite number"),
    (DD, pd.Series(["-33.5", NA], dtype="string"), LON, None, "a: not a finite number"),
    (DD, LAT, LON, pd.Series([1.0, NA], dtype=object), ""),  # heights carried through
    (HEIGHTS, LAT, LON, pd.Series([1, NA], dtype=object), "h: not a finite number, and heights are converted"),
    (dict(from_type="DMS"), pd.Series(["-33 30 0", NA], dtype="string"), ["151 0 0"] * 2, None, "a: missing value"),
    (dict(from_type="DMS"), ["-33 30 0"] * 2, pd.Series(["151 0 0", NA], dtype=object), None, "b: missing value"),
])
def test_pandas_na_is_a_missing_point(options, a, b, h, problem):
    assert list(velmora.Converter(**options).convert(a, b, h).problems()) == ["", problem]


@pytest.mark.parametrize("lat, lon, options", [
    (pd.Series([-33.5, NA], dtype=object), [151.0] * 2, DD),
    (pd.Series([-33.5, NA], dtype="Float64"), pd.Series([151, NA], dtype="Int64"), DD),
    (pd.Series(["-33.5", NA], dtype="string"), [151.0] * 2, DD),
    (pd.Series(["-33 30 0", NA], dtype="string"), ["151 0 0"] * 2, dict(from_type="DMS")),
    (["-33 30 0", "33\udcff 51 24"], ["151 0 0"] * 2, dict(from_type="DMS")),
])
def test_convert_frame_fails_the_missing_and_unreadable_rows(lat, lon, options):
    frame = pd.DataFrame({"id": ["x", "y"], "lat": lat, "lon": lon})
    out = velmora.convert_frame(frame, columns=("lat", "lon"), method_column="how", **options)
    assert list(out["how"] == "failed") == [False, True] and np.isnan(out["lat"][1])


@pytest.mark.parametrize("strict", [True, False])
@pytest.mark.parametrize("a, b, problem", [
    (["33\udcff 51 24", "-33 30 0"], ["151 0 0"] * 2, "a: unreadable text (not valid UTF-8)"),
    (["-33 30 0"] * 2, pd.Series(["\ud800", "151 0 0"], dtype="string"), "b: unreadable text (not valid UTF-8)"),
])
def test_text_that_is_not_utf8_is_a_failed_point(strict, a, b, problem):
    result = velmora.Converter(from_type="DMS", to_type="DM", strict=strict).convert(a, b)
    assert list(result.problems()) == [problem, ""] and list(result.a) == ["", "-33 30.00000000"]


@pytest.mark.parametrize("a", [[b"-33 30 0"], ["-33 30 0", b"33\xff 51 24"], np.array([b"-33 30 0"])])
def test_bytes_are_no_dms_text(a):
    with pytest.raises(TypeError, match=r"a\[\d\]: DMS and DM input is text \(str\), got b'"):
        velmora.Converter(from_type="DMS").convert(a, ["151 0 0"] * len(a))


def test_grid_present_missing_and_outside(tmp_path):
    grid = tmp_path / "shift.gsa"
    write_gsa(grid, -35, -33, 150, 152, 0.5, 1.0, 2.0)
    options = dict(from_datum="GDA94", to_datum="GDA2020", use_grid_shift=True, grids={"GDA2020": str(grid)})
    converter = velmora.Converter(**options)
    assert [(g["path"], g["needed"], g["open"]) for g in converter.grids] == [(str(grid), True, True)]
    result = converter.convert([-34.0, -20.0], [151.0, 151.0])
    np.testing.assert_allclose(result.a[0], -34.0 + 1.0 / 3600, atol=1e-9)
    assert result.methods()[0] == "grid:shift.gsa:TEST"
    assert result.method[1] == velmora.FAILED and np.isnan(result.a[1])  # outside the grid, strict
    lax = velmora.Converter(**options, strict=False).convert([-20.0], [151.0])
    assert lax.methods()[0].startswith("helmert:GDA94-GDA2020")


def test_extra_grids_serve_where_the_slots_file_does_not(tmp_path):
    national, island = tmp_path / "national.gsa", tmp_path / "island.gsa"
    write_gsa(national, -35, -33, 150, 152, 0.5, 1.0, 2.0)
    write_gsa(island, -11, -10, 105, 106, 0.5, 3.6, 7.2)
    options = dict(from_datum="GDA94", to_datum="GDA2020", use_grid_shift=True, grids={"GDA2020": str(national)},
                   extra_grids={"GDA2020": [str(island)]})
    converter = velmora.Converter(**options)
    assert converter.options["extra_grids"] == {"GDA2020": [str(island)]}
    assert [(g["path"], g["open"]) for g in converter.grids] == [(str(national), True), (str(island), True)]
    result = converter.convert([-34.0, -10.5], [151.0, 105.5])
    assert list(result.methods()) == ["grid:national.gsa:TEST", "grid:island.gsa:TEST"]
    np.testing.assert_allclose(result.a[1], -10.5 + 3.6 / 3600, atol=1e-9)
    assert pickle.loads(pickle.dumps(converter)).options == converter.options


def test_new_zealand_local_heights(tmp_path):
    # The published example of EPSG:9314: the four nodes around 44.42 S 168.92 E (2' cell), from the
    # south and each row east to west. PROJ's vgridshift on the same nodes gives 50.304348 and 49.999652.
    dunedin = tmp_path / "dunedin.gsa"
    write_gsa(dunedin, -(44 + 26 / 60), -44.4, 168.9, 168 + 56 / 60, 2 / 60, [0.3055, 0.3051, 0.3029, 0.3028], 0.0)
    options = dict(from_datum="NZGD2000", to_datum="NZGD2000", grids={"Dunedin1958": str(dunedin)})
    up = velmora.Converter(**options, from_height="NZVD2016", to_height="Dunedin1958").convert([-44.42], [168.92], [50.0])
    down = velmora.Converter(**options, from_height="Dunedin1958", to_height="NZVD2016").convert(
        [-44.42], [168.92], [50.304])
    np.testing.assert_allclose([up.h[0], down.h[0]], [50.304348, 49.999652], atol=1e-6)
    assert up.methods()[0] == "unchanged+geoid:dunedin.gsa:TEST"
    with pytest.raises(ValueError, match="no height conversion from AVWS on GDA94"):
        velmora.Converter(from_datum="GDA94", to_datum="GDA94", from_height="AVWS", to_height="Ellipsoid")


def test_dtypes_layouts_and_inputs_unchanged():
    converter = velmora.Converter(from_datum="GDA94", to_datum="GDA2020")
    lat = np.linspace(-40, -12, 20)
    lon = np.linspace(115, 153, 20)
    reference = converter.convert(lat, lon, threads=1)
    block = np.stack([lat, lon], axis=1)  # columns of a C array: non-contiguous views
    for a, b in [(block[:, 0], block[:, 1]), (list(lat), list(lon)), (lat[::-1][::-1], lon.copy())]:
        np.testing.assert_array_equal(converter.convert(a, b).a, reference.a)
    single = converter.convert(lat.astype(np.float32), lon.astype(np.float32))
    np.testing.assert_array_equal(single.a, converter.convert(lat.astype(np.float32).astype(float),
                                                              lon.astype(np.float32).astype(float)).a)
    ints = converter.convert(np.array([-33]), np.array([151]))
    assert ints.a.dtype == np.float64 and ints.method[0] != velmora.FAILED
    empty = converter.convert(np.array([]), np.array([]))
    assert empty.a.shape == (0,) and empty.method.shape == (0,)
    kept = block.copy()
    heights = np.full(20, np.nan)
    nan = converter.convert(block[:, 0], block[:, 1], heights)
    assert (nan.method != velmora.FAILED).all() and np.isnan(nan.h).all()
    np.testing.assert_array_equal(block, kept)
    # The codes do not depend on the thread count.
    mixed = np.where(np.arange(5000) % 7 == 0, np.nan, -33.0)
    runs = [converter.convert(mixed, np.full(5000, 151.0), threads=t) for t in (1, 2, 4)]
    assert all((r.method == runs[0].method).all() and r.method_names == runs[0].method_names for r in runs)
    with pytest.raises(ValueError):
        converter.convert([1.0, 2.0], [1.0])
    masked = converter.convert(np.ma.masked_array(lat[:3], [False, True, False]), lon[:3])
    assert list(masked.method == velmora.FAILED) == [False, True, False]
    with pytest.raises(TypeError, match="bool"):
        converter.convert(np.array([True]), np.array([151.0]))


def test_convert_frame():
    frame = pd.DataFrame({"id": ["a", "b"], "lat": [-33.5, np.nan], "lon": [151.25, 151.0], "h": [10, 20]},
                         index=[7, 9])
    before = frame.copy()
    out = velmora.convert_frame(frame, method_column="how", from_datum="GDA94", to_datum="GDA2020")
    pd.testing.assert_frame_equal(frame, before)
    assert list(out.columns) == ["id", "lat", "lon", "h", "how"] and list(out.index) == [7, 9]
    assert list(out["how"]) == ["helmert:GDA94-GDA2020", "failed"] and list(out["id"]) == ["a", "b"]
    assert out["h"][7] == 10.0 and np.isnan(out["lat"][9])
    two = velmora.convert_frame(frame, columns=("lat", "lon"), from_datum="GDA94", to_datum="GDA2020")
    assert list(two["h"]) == [10, 20]
    nullable = frame.astype({"lat": "Float64", "h": "Int64"})
    nullable.loc[7, "h"] = pd.NA
    out = velmora.convert_frame(nullable, method_column="how", from_datum="GDA94", to_datum="GDA2020")
    assert list(out["how"]) == ["helmert:GDA94-GDA2020", "failed"] and np.isnan(out["h"][7])
    converter = velmora.Converter(from_datum="GDA94", to_datum="GDA2020")
    for bad, error in [(dict(datum="GDA94"), ValueError), (dict(method_column="lat"), ValueError),
                       (dict(columns="lat"), ValueError), (dict(converter=converter, to_type="EN"), TypeError),
                       (dict(to_type="EN", to_zone="auto", method_column="zone"), ValueError)]:
        with pytest.raises(error):
            velmora.convert_frame(frame, **bad)
    assert "zone" in velmora.convert_frame(frame, method_column="zone", converter=converter)  # no zones added
    # A Converter travels as its options (to Dask workers, for one).
    assert repr(pickle.loads(pickle.dumps(converter))) == "velmora.Converter(from_datum='GDA94', to_datum='GDA2020')"


def test_ctrl_c_stops_a_long_run():
    """The interrupt ends the call early, not after the whole run (its length estimated from a tenth)."""
    child = subprocess.Popen(
        [sys.executable, "-c", "import numpy as np, time, velmora\n"
         "c = velmora.Converter(from_datum='ITRF2020', to_datum='AGD66', to_type='EN', epoch=2020)\n"
         "a, b = np.full(8_000_000, -33.0), np.full(8_000_000, 151.0)\n"
         "start = time.perf_counter(); c.convert(a[:800_000], b[:800_000], threads=1)\n"
         "whole = 10 * (time.perf_counter() - start)\n"
         "print('started', flush=True); start = time.perf_counter()\n"
         "try:\n"
         "    c.convert(a, b, threads=1)\n"
         "except KeyboardInterrupt:\n"
         "    print(f'stopped {(time.perf_counter() - start) / whole:.3f}', flush=True)\n"],
        stdout=subprocess.PIPE, text=True, env=os.environ)
    assert child.stdout.readline() == "started\n"
    time.sleep(0.3)
    child.send_signal(signal.SIGINT)
    out, _ = child.communicate(timeout=120)
    assert out.startswith("stopped ") and float(out.split()[1]) < 0.5, out
