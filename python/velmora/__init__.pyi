from typing import Any, Mapping, NamedTuple, Optional, Sequence

import numpy as np
import numpy.typing as npt

FAILED: int
__version__: str

class Result(NamedTuple):
    a: np.ndarray
    b: np.ndarray
    h: np.ndarray
    method: npt.NDArray[np.uint16]
    method_names: list[str]
    zone: Optional[npt.NDArray[np.int16]] = None
    problem: Optional[npt.NDArray[np.uint16]] = None
    problem_names: Optional[list[str]] = None
    convergence: Optional[npt.NDArray[np.float64]] = None
    scale: Optional[npt.NDArray[np.float64]] = None
    combined_scale: Optional[npt.NDArray[np.float64]] = None
    horizontal_accuracy: Optional[npt.NDArray[np.float64]] = None
    vertical_accuracy: Optional[npt.NDArray[np.float64]] = None
    def methods(self) -> np.ndarray: ...
    def problems(self) -> np.ndarray: ...

class Converter:
    @property
    def options(self) -> dict[str, Any]: ...
    def __init__(
        self,
        from_datum: str = "WGS84",
        from_type: str = "DD",
        from_height: Optional[str] = None,
        to_datum: str = "WGS84",
        to_type: str = "DD",
        to_height: Optional[str] = None,
        zone: int | str = 56,
        to_zone: Optional[int | str] = None,
        isg_sub_zone: int | str | None = None,
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
    ) -> None: ...
    def convert(
        self,
        a: npt.ArrayLike,
        b: npt.ArrayLike,
        h: Optional[npt.ArrayLike] = None,
        threads: Optional[int] = None,
        epoch: Any = None,
        to_epoch: Any = None,
    ) -> Result: ...
    @property
    def grids(self) -> list[dict[str, Any]]: ...

def convert_frame(
    df: Any,
    columns: Sequence[str] = ("lat", "lon", "h"),
    method_column: Optional[str] = None,
    threads: Optional[int] = None,
    converter: Optional[Converter] = None,
    zone_column: str = "zone",
    **options: Any,
) -> Any: ...
