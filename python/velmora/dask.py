"""Conversion of Dask DataFrames, partition by partition, on a single machine or a cluster.

Each worker process keeps one Converter per set of options, built the first time a partition of that
set reaches it, so a grid or geoid file is opened once per process however many partitions it
converts. A partition is converted on one thread by default: Dask already runs partitions side by
side, one per worker thread, and more engine threads would only compete with them.

On a cluster every worker host needs this package installed and the grid files the options name,
found as they are on one machine: ``grid_folder`` or ``grids`` paths that exist on that host, else
``$VELMORA_GRID_DIR`` in the worker's environment, else the installed share folder.
"""

from __future__ import annotations

import os
import threading
from dataclasses import dataclass
from typing import Any, Hashable, Mapping, Optional, Sequence

import dask.dataframe as dd

from . import Converter, _threads, convert_frame

__all__ = ["convert"]

# Converters of this process, keyed by their frozen options. A worker converts partitions on several
# threads when it has them, so the first partitions of a set must not each build their own.
_converters: dict = {}
_converters_lock = threading.Lock()


def _forget_converters() -> None:
    """A forked child starts with no converters and a fresh lock: the parent's may be held mid-build."""
    global _converters_lock
    _converters.clear()
    _converters_lock = threading.Lock()


if hasattr(os, "register_at_fork"):
    os.register_at_fork(after_in_child=_forget_converters)


def _freeze(value: Any) -> Hashable:
    """A hashable form of an option value: mappings as sorted items, paths as text."""
    if isinstance(value, Mapping):
        return tuple(sorted((str(k), _freeze(v)) for k, v in value.items()))
    if isinstance(value, os.PathLike):
        return os.fspath(value)
    return value


def _key(options: dict) -> tuple:
    return tuple(sorted((name, _freeze(value)) for name, value in options.items()))


def _converter(key: tuple) -> Converter:
    """This process's Converter for the frozen options, built once."""
    with _converters_lock:
        converter = _converters.get(key)
        if converter is None:
            converter = Converter(**{name: dict(value) if name == "grids" else value for name, value in key})
            _converters[key] = converter
        return converter


@dataclass(frozen=True)
class _Job:
    """What every partition is given: an opaque object, so that Dask reads no task into its tuples."""

    key: tuple
    columns: tuple
    method_column: Optional[str]
    threads: Optional[int]
    zone_column: str


def _convert_partition(frame: Any, job: _Job) -> Any:
    return convert_frame(frame, job.columns, job.method_column, job.threads, _converter(job.key), job.zone_column)


def convert(
    ddf: dd.DataFrame,
    columns: Sequence[str] = ("lat", "lon", "h"),
    method_column: Optional[str] = None,
    threads: Optional[int] = 1,
    zone_column: str = "zone",
    **options: Any,
) -> dd.DataFrame:
    """A lazy Dask DataFrame with the points of ``columns`` converted in every partition.

    ``columns``, ``method_column``, ``zone_column`` and ``options`` are those of velmora.convert_frame.
    ``threads`` is the engine's threads per partition (1 by default; None: every processor of the
    worker). The options are checked here first, so a bad value raises ValueError before any task runs;
    the grid files need be present only on the workers, which build their own Converter once per
    process (and raise there, with strict=True, for a grid they cannot open).
    """
    _threads(threads)
    key = _key(options)
    # The options are checked here, but not the grid files: they need be present only where the
    # partitions are converted (the workers), not on the client.
    client_converter = Converter._checking_options(options)
    # The empty frame through the same conversion gives the result's columns and dtypes exactly (DMS
    # and DM output turn the coordinate columns into text), and checks the column names.
    meta = convert_frame(ddf._meta, columns, method_column, 1, client_converter, zone_column)
    columns = tuple(columns)
    return ddf.map_partitions(_convert_partition, _Job(key, columns, method_column, threads, zone_column), meta=meta)
