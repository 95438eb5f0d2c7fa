"""Uniform-design weight vectors for multi-objective optimisation.

Every construction returns a C-contiguous float64 numpy array of shape (rows, m), exactly the
rows the suite's program of the same name writes:

    >>> import simplex_weights
    >>> W = simplex_weights.udh(3, 91)          # NSGA3(ref_dirs=W) in pymoo
    >>> W.shape
    (91, 3)
    >>> simplex_weights.planned_rows("tglp", 5, 91)
    97
"""
from ._core import (  # noqa: F401
    energy,
    figures,
    glp_cube,
    gwud,
    gwud_product,
    load,
    msld,
    planned_rows,
    refine_energy,
    riesz_energy,
    save,
    tglp,
    udh,
    udh_product,
)

__all__ = [
    "energy", "figures", "glp_cube", "gwud", "gwud_product", "load", "msld", "planned_rows",
    "refine_energy", "riesz_energy", "save", "tglp", "udh", "udh_product",
]
