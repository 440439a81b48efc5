from typing import Any, Optional, Sequence

import dask.dataframe as dd

def convert(
    ddf: dd.DataFrame,
    columns: Sequence[str] = ("lat", "lon", "h"),
    method_column: Optional[str] = None,
    threads: Optional[int] = 1,
    zone_column: str = "zone",
    **options: Any,
) -> dd.DataFrame: ...
