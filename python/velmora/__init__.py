"""Coordinate conversion between Australian and New Zealand datums, on NumPy arrays and pandas frames.

The options and their values are those of the velmora program, under snake_case names. They are
checked as ``velmora --strict`` checks them: a problem raises ValueError with the message the program
prints (without its "velmora: " prefix). A grid or geoid file the options need but that cannot be
opened raises too, unless ``strict=False``: then, as the program without --strict, the points are
converted by the parameter sets or without the geoid, and their method names say so. Results equal the
program's bit for bit.

Method codes: ``Result.method`` holds one uint16 code per point, an index into ``Result.method_names``.
Code 0 (``FAILED``) is always "failed": a coordinate or height that is not a finite number, or (with
``strict=True``, the default) a DMS/DM text the program refuses or a point strict mode reports (outside a
grid, outside the area of the transformation, no geoid value). Such a point gives NaN (an empty text for
DMS/DM output). The other codes name what was applied, as ``--showMethod`` prints it, numbered in order
of first appearance by point index, so the same input gives the same codes whatever the thread count.
"""

from __future__ import annotations

import os
from pathlib import Path
from typing import Any, Mapping, NamedTuple, Optional, Sequence

import numpy as np

from . import _velmora

__all__ = ["Converter", "Result", "FAILED", "convert_frame"]

FAILED = 0  # method code of a point that did not convert

# snake_case name -> the program's option
_OPTIONS = {
    "from_datum": "--fromDatum",
    "from_type": "--fromCoordType",
    "from_height": "--fromHeightType",
    "to_datum": "--toDatum",
    "to_type": "--toCoordType",
    "to_height": "--toHeightType",
    "zone": "--zone",
    "to_zone": "--toZone",
    "isg_sub_zone": "--ISGSubZone",
    "epoch": "--epoch",
    "hemisphere": "--hemisphere",
}
_FLAGS = {
    "use_grid_shift": "--useGridShift",
    "use_itrf2008": "--useITRF2008",
    "use_ausgeoid98": "--useAusGeoid98",
}


def _share_folder() -> str:
    """<prefix>/share/velmora/ when the package lies in <prefix>/lib/.../velmora, else empty."""
    package = Path(__file__).resolve().parent
    for parent in package.parents:
        if parent.name == "lib":
            share = parent.parent / "share" / "velmora"
            return str(share) + "/" if share.is_dir() else ""
    return ""


def _text(value: Any) -> str:
    if isinstance(value, bool):
        raise ValueError(f"expected a name or number, got {value!r}")
    return str(value)


class Result(NamedTuple):
    """The converted points, in the program's output order."""

    a: np.ndarray  # latitude (DD: float64; DMS/DM: str) or easting (float64)
    b: np.ndarray  # longitude or northing
    h: np.ndarray  # heights, float64 (the input heights, or 0, when none are converted)
    method: np.ndarray  # uint16 codes into method_names; 0 is FAILED
    method_names: list  # code -> name as --showMethod prints it
    zone: Optional[np.ndarray] = None  # with to_zone="auto": each point's UTM zone, int16 (0: failed)

    def methods(self) -> np.ndarray:
        """The method name of every point, as an array of str."""
        return np.asarray(self.method_names, dtype=object)[self.method]


class Converter:
    """One set of options, its grids opened once; convert() may be called from several threads."""

    def __init__(
        self,
        from_datum: str = "WGS84",
        from_type: str = "DD",
        from_height: Optional[str] = None,
        to_datum: str = "WGS84",
        to_type: str = "DD",
        to_height: Optional[str] = None,
        zone: Any = 56,
        to_zone: Any = None,
        isg_sub_zone: Any = 0,
        epoch: Any = 1994.0,
        use_grid_shift: bool = False,
        hemisphere: str = "S",
        use_itrf2008: bool = False,
        use_ausgeoid98: bool = False,
        grid_folder: Optional[str] = None,
        grids: Optional[Mapping[str, str]] = None,
        strict: bool = True,
    ) -> None:
        values = dict(
            from_datum=from_datum, from_type=from_type, from_height=from_height, to_datum=to_datum,
            to_type=to_type, to_height=to_height, zone=zone, to_zone=to_zone, isg_sub_zone=isg_sub_zone,
            epoch=epoch, hemisphere=hemisphere,
        )
        args = []
        for name, option in _OPTIONS.items():
            if values[name] is not None:
                args += [option, _text(values[name])]
        flags = dict(use_grid_shift=use_grid_shift, use_itrf2008=use_itrf2008, use_ausgeoid98=use_ausgeoid98)
        for name, option in _FLAGS.items():
            if flags[name]:
                args.append(option)
        for slot, file in (grids or {}).items():
            args += ["--grid", f"{slot}={os.fspath(file)}"]
        self.options = {**values, **flags, "grid_folder": grid_folder, "grids": dict(grids or {}), "strict": strict}
        folder = os.fspath(grid_folder) if grid_folder is not None else ""
        self._engine = _velmora.Converter(args, bool(strict), folder, _share_folder())

    def convert(self, a: Any, b: Any, h: Any = None, threads: Optional[int] = None) -> Result:
        """Converts the points (a[i], b[i], h[i]): latitude and longitude, or easting and northing.

        Numbers are read as float64 (without a copy when already contiguous float64); DMS and DM input
        are sequences of str. The inputs are never written. The GIL is released while converting on
        ``threads`` threads (None: every processor; 1: the calling thread).
        """
        return Result(*self._engine.convert(a, b, h, threads))

    @property
    def grids(self) -> list:
        """The grid files the options call for: file, path tried, needed (else optional), open, error."""
        return self._engine.grids()


_CONVERTER_OPTIONS = set(Converter.__init__.__code__.co_varnames[1 : Converter.__init__.__code__.co_argcount])


def convert_frame(
    df: Any,
    columns: Sequence[str] = ("lat", "lon", "h"),
    method_column: Optional[str] = None,
    threads: Optional[int] = None,
    converter: Optional[Converter] = None,
    zone_column: str = "zone",
    **options: Any,
) -> Any:
    """A new DataFrame with the points of ``columns`` converted (two names, or three with heights).

    Other columns and the index are kept; the input frame is not modified. ``method_column`` adds the
    method name of every point. With ``to_zone="auto"`` the column ``zone_column`` holds each point's
    UTM zone. ``options`` are those of Converter, or pass a ``converter``.
    """
    unknown = set(options) - _CONVERTER_OPTIONS
    if unknown:
        raise TypeError(f"unknown option {sorted(unknown)[0]!r}")
    if converter is None:
        converter = Converter(**options)
    if len(columns) not in (2, 3):
        raise ValueError("columns: two names, or three with heights")
    heights = df[columns[2]].to_numpy() if len(columns) == 3 else None
    result = converter.convert(df[columns[0]].to_numpy(), df[columns[1]].to_numpy(), heights, threads)
    out = df.copy()
    out[columns[0]] = result.a
    out[columns[1]] = result.b
    if len(columns) == 3:
        out[columns[2]] = result.h
    if result.zone is not None:
        out[zone_column] = result.zone
    if method_column is not None:
        out[method_column] = result.methods()
    return out
