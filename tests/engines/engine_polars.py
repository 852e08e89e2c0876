"""polars: the program is evaluated with `pl` and every table bound as a DataFrame with explicit
dtypes (Int64 for whole numbers, Float64 for others, String, Boolean, Date, Datetime("us")), a
missing value being null.

A warning while the program runs fails the program: a UserWarning (such as the one for `== None`)
says the program is not written as polars means it to be, a DeprecationWarning that the next
polars may answer differently.
"""

import math
import warnings

from engine_tables import (EngineFailed, EngineMissing, bind, evaluate_program,
                           typed_columns)


class Engine:
    name = "polars"
    targets = ("polars",)
    leniency = None

    def __init__(self):
        try:
            import polars as pl
        except ImportError as error:
            raise EngineMissing(f"polars cannot be imported ({error})")
        self.pl = pl
        self.version = pl.__version__

    def frame(self, header, rows):
        pl = self.pl
        dtypes = {"text": pl.String, "truth": pl.Boolean, "date": pl.Date,
                  "timestamp": pl.Datetime("us")}
        series = [pl.Series(name, values, dtype=(pl.Int64 if whole else pl.Float64)
                            if kind == "number" else dtypes[kind], strict=True)
                  for name, kind, whole, values in typed_columns(header, rows)]
        return pl.DataFrame(series)

    def run(self, target, program, tables):
        namespace = {"pl": self.pl}
        for name, (header, rows) in tables.items():
            bind(namespace, name, self.frame(header, rows))
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            result = evaluate_program(program, namespace)
        if not isinstance(result, self.pl.DataFrame):
            raise EngineFailed(f"the program returned {type(result).__name__}, not a DataFrame")
        rows = [[None if isinstance(v, float) and math.isnan(v) else v for v in row]
                for row in result.rows()]
        return result.columns, rows

    def close(self):
        pass
