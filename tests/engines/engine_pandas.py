"""pandas 2: the program is evaluated with `pd`, `np` and every table bound as a DataFrame.

The frames hold what pandas itself makes of such data: whole numbers without a missing value as
int64, any other number column as float64 with NaN for a missing value, texts as object columns
holding str and None, truths as bool (object with None when one is missing), dates and
timestamps as datetime64[ns] with NaT. pandas has no date of its own, so a midnight timestamp
stands for a date in the answers.

A warning while the program runs fails the program: one about what a later pandas will do
differently (FutureWarning, DeprecationWarning) says its rows may change on the next pandas, and
any other (numpy's RuntimeWarning for the median of no values, say) warns its user about what the
sentence asked.
"""

import datetime
import math
import warnings

from compare_rows import LENIENT_DATES
from engine_tables import (EngineFailed, EngineMissing, bind, evaluate_program,
                           typed_columns)


class Engine:
    name = "pandas"
    targets = ("pandas",)
    leniency = LENIENT_DATES

    def __init__(self):
        try:
            import numpy as np
            import pandas as pd
        except ImportError as error:
            raise EngineMissing(f"pandas cannot be imported ({error})")
        self.pd, self.np = pd, np
        self.version = pd.__version__

    def frame(self, header, rows):
        pd, np = self.pd, self.np
        data = {}
        for name, kind, whole, values in typed_columns(header, rows):
            if kind in ("date", "timestamp"):
                data[name] = pd.Series(pd.to_datetime(pd.Series(values, dtype=object)),
                                       dtype="datetime64[ns]")
            elif kind == "number" and whole and None not in values:
                data[name] = pd.Series(values, dtype="int64")
            elif kind == "number":
                data[name] = pd.Series([np.nan if v is None else v for v in values],
                                       dtype="float64")
            elif kind == "truth" and None not in values:
                data[name] = pd.Series(values, dtype=bool)
            else:
                data[name] = pd.Series(values, dtype=object)
        return pd.DataFrame(data, columns=[name for name, _ in header])

    def plain(self, value):
        pd, np = self.pd, self.np
        if value is None or value is pd.NA or value is pd.NaT:
            return None
        if isinstance(value, pd.Timestamp):
            return value.to_pydatetime()
        if isinstance(value, np.datetime64):
            return None if np.isnat(value) else pd.Timestamp(value).to_pydatetime()
        if isinstance(value, (np.bool_, bool)):
            return bool(value)
        if isinstance(value, np.integer):
            return int(value)
        if isinstance(value, (np.floating, float)):
            return None if math.isnan(value) else float(value)
        if isinstance(value, (str, int, datetime.date)):
            return value
        return value

    def run(self, target, program, tables):
        namespace = {"pd": self.pd, "np": self.np}
        for name, (header, rows) in tables.items():
            bind(namespace, name, self.frame(header, rows))
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            result = evaluate_program(program, namespace)
        if not isinstance(result, self.pd.DataFrame):
            raise EngineFailed(f"the program returned {type(result).__name__}, not a DataFrame")
        rows = [[self.plain(v) for v in row] for row in result.itertuples(index=False, name=None)]
        return list(result.columns), rows

    def close(self):
        pass
