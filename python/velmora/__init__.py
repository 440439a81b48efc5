"""Coordinate conversion between Australian and New Zealand datums, on NumPy arrays and pandas frames.

The options and their values are those of the velmora program, under snake_case names. They are
checked as ``velmora --strict`` checks them: a problem raises ValueError with the message the program
prints (without its "velmora: " prefix). A grid or geoid file the options need but that cannot be
opened raises too, unless ``strict=False``: then, as the program without --strict, the points are
converted by the parameter sets or without the geoid, and their method names say so. Results equal the
program's bit for bit.

Method codes: ``Result.method`` holds one uint16 code per point, an index into ``Result.method_names``.
Code 0 (``FAILED``) is always "failed": a coordinate that is missing or not a finite number, a height
that is not when heights are converted, a DMS/DM str with no UTF-8 form (lone surrogates), or (with
``strict=True``, the default) a coordinate or DMS/DM text ``--strict`` refuses or a point it reports
(outside a grid, outside the area of the transformation, no geoid value). Such a point gives NaN (an empty text for DMS/DM output), and
``Result.problems()`` says why (``Result.problem``: codes into ``Result.problem_names``). The other codes name what was applied, as
``--showMethod`` prints it, numbered in order of first appearance by point index, so the same input
gives the same codes whatever the thread count.

``decimals`` and ``dms_format`` shape the DMS and DM text output as ``--decimals`` and ``--dmsFormat``
do (numeric output is float64 whatever they say).
"""

from __future__ import annotations

import datetime
import difflib
import inspect
import os
from pathlib import Path
from typing import Any, Mapping, NamedTuple, Optional, Sequence

import numpy as np

from . import _velmora

__all__ = ["Converter", "Result", "FAILED", "convert_frame", "__version__"]

__version__ = _velmora.__version__

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
    "to_epoch": "--toEpoch",
    "hemisphere": "--hemisphere",
    "tm_formulas": "--tmFormulas",
    "decimals": "--decimals",
    "dms_format": "--dmsFormat",
    "from_circuit": "--fromCircuit",
    "to_circuit": "--toCircuit",
}
_FLAGS = {
    "use_grid_shift": "--useGridShift",
    "use_itrf2008": "--useITRF2008",
    "use_ausgeoid98": "--useAusGeoid98",
    "show_factors": "--showFactors",
    "show_accuracy": "--showAccuracy",
}
_OPTIONAL = {"from_height", "to_height", "to_zone", "isg_sub_zone", "to_epoch", "decimals", "from_circuit", "to_circuit"}  # None: not given
_EPOCHS = ("epoch", "to_epoch")  # a value, or one per point


def _share_folder() -> str:
    """<prefix>/share/velmora/ when the package lies in <prefix>/lib/.../velmora, else empty."""
    package = Path(__file__).resolve().parent
    for parent in package.parents:
        if parent.name == "lib":
            share = parent.parent / "share" / "velmora"
            return str(share) + "/" if share.is_dir() else ""
    return ""


def _text(name: str, value: Any) -> str:
    if value is None or isinstance(value, bool):
        raise ValueError(f"{name}: expected a name or number, got {value!r}")
    return str(value)


def _epoch_text(name: str, value: Any) -> str:
    """An epoch as the program's --epoch reads it: numbers as decimal years, str as given, dates and
    times (datetime, date, numpy.datetime64, pandas.Timestamp) in ISO form (naive ones are UTC)."""
    if value is None or isinstance(value, bool):
        raise ValueError(f"{name}: expected a decimal year or a date, got {value!r}")
    if isinstance(value, np.datetime64):
        # In whole seconds or finer, whatever its unit: "2020-07" (months) or "2020-07-01T00Z" (hours)
        # are no ISO dates the engine reads.
        return str(np.datetime_as_string(value.astype("datetime64[us]"), timezone="UTC"))
    if isinstance(value, (datetime.datetime, datetime.date)):
        return value.isoformat()
    return str(value)


def _is_per_point(value: Any) -> bool:
    return value is not None and not isinstance(value, (str, bytes)) and np.ndim(value) > 0


def _epoch_values(name: str, values: Any) -> Any:
    """One epoch per point, as the engine reads them: float64 decimal years, or a list of texts (a
    missing or unreadable epoch as None)."""
    if hasattr(values, "dt") and hasattr(values.dt, "tz"):  # a pandas column of times
        if values.dt.tz is not None:
            values = values.dt.tz_convert("UTC").dt.tz_localize(None)
        values = values.to_numpy()
    elif hasattr(values, "to_numpy"):
        values = values.to_numpy()
    array = np.asarray(values) if isinstance(values, np.ndarray) else None
    if array is not None and array.dtype.kind == "M":
        texts = np.datetime_as_string(array.astype("datetime64[us]"), timezone="UTC")
        return [None if missing else str(t) for t, missing in zip(texts, np.isnat(array))]
    if array is not None and array.dtype.kind in "iuf":
        return np.ascontiguousarray(array, dtype=np.float64)
    out = []
    for item in values:
        missing = item is None or type(item).__name__ in ("NAType", "NaTType") or (
            isinstance(item, float) and item != item)
        if missing or isinstance(item, bool):
            out.append(None)
        elif isinstance(item, (int, float, np.integer, np.floating)):
            out.append(float(item))
        elif isinstance(item, np.datetime64) and np.isnat(item):
            out.append(None)
        else:
            out.append(_epoch_text(name, item))
    return out


def _grid_path(file: Any) -> str:
    """A bare file name is looked for in the grid folders; any other relative path is the working folder's."""
    path = os.fspath(file)
    if not os.path.isabs(path) and os.path.dirname(path):
        return os.path.abspath(path)
    return path


def _threads(threads: Any) -> int:
    """The engine's thread count: 0 for every processor (None)."""
    if threads is None:
        return 0
    if isinstance(threads, bool) or not isinstance(threads, (int, np.integer)):
        raise TypeError(f"threads: expected a whole number or None, got {threads!r}")
    if threads < 1:
        raise ValueError(f"threads: expected at least 1, got {threads}")
    return int(min(threads, 2**31))


def _numbers(values: Any, name: str) -> Any:
    """Numbers as the engine reads them, pandas' NA (in an object or nullable column, a list) as NaN."""
    if isinstance(values, np.ndarray) and values.dtype != object:
        return values  # read by the engine, without a copy when float64
    if hasattr(values, "to_numpy") and hasattr(values, "dtype"):  # pandas Series, arrays
        try:
            return values.to_numpy(dtype=np.float64, na_value=np.nan)
        except (TypeError, ValueError):
            values = values.to_numpy(dtype=object)  # NA among numbers or texts of numbers
    try:
        return np.asarray(values, dtype=np.float64)
    except (TypeError, ValueError):
        pass
    objects = np.array(values, dtype=object)  # a copy: the input is not written
    if objects.ndim == 1:
        objects[[type(item).__name__ == "NAType" for item in objects]] = np.nan
    try:
        return objects.astype(np.float64)
    except (TypeError, ValueError) as error:
        raise ValueError(f"{name}: expected numbers ({error})") from None


def _points(values: Any, name: str, text: bool) -> Any:
    """The values as the engine takes them: a single value as one point; masked entries and pandas'
    NA as missing."""
    if isinstance(values, np.ndarray) and values.dtype.kind in "bcmM":
        raise TypeError(f"{name}: expected numbers or text, got an array of {values.dtype}")
    if isinstance(values, np.ma.MaskedArray):
        values = values.astype(object if text else np.float64).filled(None if text else np.nan)
    # A single value is one point (without making an array of a list: texts and bytes would mix).
    if isinstance(values, (str, bytes)) or (not isinstance(values, (list, tuple)) and np.ndim(values) == 0):
        values = [values]
    return values if text else _numbers(values, name)


class Result(NamedTuple):
    """The converted points, in the program's output order."""

    a: np.ndarray  # latitude (DD: float64; DMS/DM: str) or easting (float64)
    b: np.ndarray  # longitude or northing
    h: np.ndarray  # heights, float64 (the input heights, or 0, when none are converted)
    method: np.ndarray  # uint16 codes into method_names; 0 is FAILED
    method_names: list  # code -> name as --showMethod prints it
    zone: Optional[np.ndarray] = None  # with to_zone="auto" and EN output: each point's zone, int16 (0: failed)
    problem: Optional[np.ndarray] = None  # uint16 codes into problem_names; 0 for a point that converted
    problem_names: Optional[list] = None  # code -> why a point failed ("" for code 0)
    # With show_factors=True, float64 per point, NaN where the program writes an empty field: the grid
    # convergence in degrees (positive where grid north lies east of true north), the point scale
    # factor, and the combined scale factor (only where the grid side's height type is Ellipsoid).
    convergence: Optional[np.ndarray] = None
    scale: Optional[np.ndarray] = None
    combined_scale: Optional[np.ndarray] = None
    # With show_accuracy=True, float64 per point in metres, NaN where the program writes an empty
    # field: the horizontal accuracy of the datum change and the vertical accuracy of the height.
    horizontal_accuracy: Optional[np.ndarray] = None
    vertical_accuracy: Optional[np.ndarray] = None

    def methods(self) -> np.ndarray:
        """The method name of every point, as an array of str."""
        return np.asarray(self.method_names, dtype=object)[self.method]

    def problems(self) -> np.ndarray:
        """Why each point failed, as an array of str ("" where it converted)."""
        return np.asarray(self.problem_names, dtype=object)[self.problem]


def _refuse_unknown(options: Mapping[str, Any]) -> None:
    """ValueError for the first name that is no option, with the nearest option suggested."""
    for name in sorted(options):
        if name not in _DEFAULTS:
            near = difflib.get_close_matches(name, list(_DEFAULTS), n=1)
            hint = f"; did you mean {near[0]}?" if near else f"; the options are {', '.join(_DEFAULTS)}"
            raise ValueError(f"unknown option {name!r}{hint}")


def _rebuild(options: dict) -> "Converter":
    return Converter(**options)


class Converter:
    """One set of options, its grids opened once; convert() may be called from several threads.

    A Converter pickles as its options: unpickled (in another process, on another host) it is built
    anew there, opening the grids it finds there.
    """

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
        isg_sub_zone: Any = None,
        epoch: Any = 1994.0,
        to_epoch: Any = None,
        use_grid_shift: bool = False,
        hemisphere: str = "S",
        tm_formulas: str = "redfearn",
        decimals: Any = None,
        dms_format: str = "plain",
        from_circuit: Optional[str] = None,
        to_circuit: Optional[str] = None,
        use_itrf2008: bool = False,
        use_ausgeoid98: bool = False,
        show_factors: bool = False,
        show_accuracy: bool = False,
        grid_folder: Optional[str] = None,
        grids: Optional[Mapping[str, str]] = None,
        extra_grids: Optional[Mapping[str, Sequence[str]]] = None,
        strict: bool = True,
        **unknown: Any,
    ) -> None:
        _refuse_unknown(unknown)
        self._build(dict(
            from_datum=from_datum, from_type=from_type, from_height=from_height, to_datum=to_datum,
            to_type=to_type, to_height=to_height, zone=zone, to_zone=to_zone, isg_sub_zone=isg_sub_zone,
            epoch=epoch, to_epoch=to_epoch, hemisphere=hemisphere, tm_formulas=tm_formulas,
            decimals=decimals, dms_format=dms_format, from_circuit=from_circuit, to_circuit=to_circuit,
            use_grid_shift=use_grid_shift, use_itrf2008=use_itrf2008, use_ausgeoid98=use_ausgeoid98,
            show_factors=show_factors, show_accuracy=show_accuracy, grid_folder=grid_folder, grids=grids, extra_grids=extra_grids,
            strict=strict,
        ), check_files=True)

    @classmethod
    def _checking_options(cls, options: Mapping[str, Any]) -> "Converter":
        """A Converter that checks the options as any other, but not that the grid files open: for a
        machine that only plans the work others do (a Dask client), where the grids may not be."""
        _refuse_unknown(options)
        converter = cls.__new__(cls)
        options = {**_DEFAULTS, **options}
        if options["grid_folder"]:  # a folder of the workers'
            options["grid_folder"] = None
        converter._build(options, check_files=False)
        return converter

    def _build(self, options: dict, check_files: bool) -> None:
        options = dict(options)
        args = []
        # An epoch per point is given to convert(); the run's own stays the default.
        self._point_epochs = {name: _epoch_values(name, options[name]) for name in _EPOCHS
                              if _is_per_point(options[name])}
        for name, option in _OPTIONS.items():
            if name in self._point_epochs:
                continue
            if options[name] is not None or name not in _OPTIONAL:
                text = _epoch_text(name, options[name]) if name in _EPOCHS else _text(name, options[name])
                args.append((option, text))
        for name in (*_FLAGS, "strict"):
            if not isinstance(options[name], (bool, np.bool_)):
                raise ValueError(f"{name}: expected True or False, got {options[name]!r}")
            options[name] = bool(options[name])
            if options[name] and name in _FLAGS:
                args.append((_FLAGS[name], None))
        if options["grid_folder"] is not None:
            folder = os.fspath(options["grid_folder"])
            options["grid_folder"] = os.path.abspath(folder) if folder else folder
            args.append(("--gridFolder", options["grid_folder"]))
        options["grids"] = {str(slot): _grid_path(file) for slot, file in (options["grids"] or {}).items()}
        for slot, file in options["grids"].items():
            args.append(("--grid", f"{slot}={file}"))
        # Each slot's extra files, in order (a single name is a list of one).
        options["extra_grids"] = {
            str(slot): [_grid_path(file) for file in ([files] if isinstance(files, (str, os.PathLike)) else files)]
            for slot, files in (options["extra_grids"] or {}).items()
        }
        for slot, files in options["extra_grids"].items():
            args.extend(("--extraGrid", f"{slot}={file}") for file in files)
        self._options = {
            name: options[name] for name in (*_OPTIONS, *_FLAGS, "strict", "grid_folder", "grids", "extra_grids")
        }
        self._engine = _velmora.Converter(args, options["strict"], _share_folder(), check_files)

    @property
    def options(self) -> dict:
        """The options this Converter was built with (a copy)."""
        extra = {slot: list(files) for slot, files in self._options["extra_grids"].items()}
        return {**self._options, "grids": dict(self._options["grids"]), "extra_grids": extra}

    def __reduce__(self):
        return (_rebuild, (self.options,))

    def __repr__(self) -> str:
        given = ", ".join(f"{k}={v!r}" for k, v in self._options.items()
                          if k in self._point_epochs or (v != _DEFAULTS[k] and (v or k not in ("grids", "extra_grids"))))
        return f"velmora.Converter({given})"

    def convert(self, a: Any, b: Any, h: Any = None, threads: Optional[int] = None, epoch: Any = None,
                to_epoch: Any = None) -> Result:
        """Converts the points (a[i], b[i], h[i]): latitude and longitude, or easting and northing.

        Numbers are read as float64 (without a copy when already contiguous float64; a single number is one
        point; None, NaN or pandas' NA: a missing point); DMS and DM input are sequences of str (None, NaN,
        pandas' NA or blank text: a missing point; a str with no UTF-8 form: a failed point, its text
        unreadable; anything else, bytes too: TypeError). The inputs are never written. Heights are needed
        when heights are converted; otherwise they are carried through as given, NaN included. The GIL is
        released while converting on ``threads`` threads (None: every processor; 1: one thread); Ctrl-C
        stops the run within a fraction of a second.

        ``epoch`` and ``to_epoch``, one per point (numbers as decimal years, ISO date texts, datetime,
        date, numpy.datetime64 or pandas.Timestamp values), replace the Converter's for this call: each
        point is taken from its epoch to its target epoch. A missing or unreadable one fails the point
        (without ``strict``: the Converter's epoch serves).
        """
        text = self._options["from_type"] in ("DMS", "DM")
        heights = None if h is None else _points(h, "h", False)
        a_values = _points(a, "a", text)

        def per_point(name: str, value: Any) -> Any:
            if value is None:
                return self._point_epochs.get(name)
            if _is_per_point(value):
                return _epoch_values(name, value)
            (one,) = _epoch_values(name, [value])  # one epoch for every point, read once
            return np.full(len(a_values), one) if isinstance(one, float) else [one] * len(a_values)

        epochs = [per_point("epoch", epoch), per_point("to_epoch", to_epoch)]
        return Result(*self._engine.convert(a_values, _points(b, "b", text), heights, _threads(threads), *epochs))

    @property
    def grids(self) -> list:
        """The grid files the options call for: file, path tried, needed (else optional), open, error
        code and message (None when open)."""
        return self._engine.grids()


_DEFAULTS = {
    name: p.default
    for name, p in inspect.signature(Converter.__init__).parameters.items()
    if p.kind == inspect.Parameter.POSITIONAL_OR_KEYWORD and name != "self"
}


def _column_names(columns: Any) -> tuple:
    """The coordinate column names as a tuple: two, or three with heights."""
    if isinstance(columns, (str, bytes)) or len(columns) not in (2, 3):
        raise ValueError(f"columns: expected two names, or three with heights, got {columns!r}")
    return tuple(columns)


_FACTOR_COLUMNS = ("convergence", "scale", "combined_scale")  # added with show_factors=True
_ACCURACY_COLUMNS = ("horizontal_accuracy", "vertical_accuracy")  # added with show_accuracy=True


def _check_added(columns: tuple, method_column: Optional[str], zone_column: Optional[str],
                 factors: bool = False, accuracy: bool = False) -> None:
    """The added columns' names (None: not added) apart from the converted ones and each other."""
    added = [name for name in (method_column, zone_column) if name is not None]
    fixed = {**({name: "show_factors" for name in _FACTOR_COLUMNS} if factors else {}),
             **({name: "show_accuracy" for name in _ACCURACY_COLUMNS} if accuracy else {})}
    for name in added + list(fixed):
        if name in columns:
            raise ValueError(f"{name!r} is one of the converted columns: name the added column otherwise")
    if len(added) == 2 and added[0] == added[1]:
        raise ValueError(f"method_column and zone_column are both {added[0]!r}")
    for name in added:
        if name in fixed:
            raise ValueError(f"{name!r} is a column that {fixed[name]}=True adds: name the added column otherwise")


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

    Other columns and the index are kept; the input frame is not modified. Missing values (NaN, None,
    pandas' NA) give failed points. ``method_column`` adds the method name of every point. With
    ``to_zone="auto"`` and EN output the column ``zone_column`` holds each point's UTM zone. With
``show_factors=True`` the columns "convergence", "scale" and "combined_scale" follow, and with
    ``show_accuracy=True`` "horizontal_accuracy" and "vertical_accuracy" (metres). The added
    columns may not be one of ``columns``. ``options`` are those of Converter, or pass a ``converter``
    (not both).
    """
    _refuse_unknown(options)
    if converter is not None and options:
        raise TypeError(f"give a converter or options, not both (got {sorted(options)[0]!r})")
    if converter is None:
        converter = Converter(**options)
    columns = _column_names(columns)
    text = converter.options["from_type"] in ("DMS", "DM")
    values = [_points(df[name], f"column {name!r}", text and k < 2) for k, name in enumerate(columns)]
    result = converter.convert(*values[:2], values[2] if len(columns) == 3 else None, threads)
    _check_added(columns, method_column, zone_column if result.zone is not None else None,
                 result.convergence is not None, result.horizontal_accuracy is not None)
    out = df.copy()
    out[columns[0]] = result.a
    out[columns[1]] = result.b
    if len(columns) == 3:
        out[columns[2]] = result.h
    if result.zone is not None:
        out[zone_column] = result.zone
    if result.convergence is not None:
        for name in _FACTOR_COLUMNS:
            out[name] = getattr(result, name)
    if result.horizontal_accuracy is not None:
        for name in _ACCURACY_COLUMNS:
            out[name] = getattr(result, name)
    if method_column is not None:
        out[method_column] = result.methods()
    return out
