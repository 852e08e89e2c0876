"""R with dplyr, through one long-lived worker (`Rscript dplyr_worker.R`) that reads one JSON
request per line on its standard input and answers with one JSON line on its standard output.
The worker hands dates and timestamps back as texts, so an expected date matches its text."""

import json
import os
import shutil
import subprocess

from compare_rows import DATES_AS_TEXT
from engine_tables import EngineFailed, EngineMissing

WORKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dplyr_worker.R")


class Engine:
    name = "dplyr"
    targets = ("dplyr",)
    leniency = DATES_AS_TEXT

    def __init__(self):
        rscript = shutil.which("Rscript")
        if rscript is None:
            raise EngineMissing("Rscript is not installed")
        if not os.path.exists(WORKER):
            raise EngineMissing(f"the worker {WORKER} is not there")
        self.worker = subprocess.Popen([rscript, WORKER], stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, text=True, encoding="utf-8")
        self.version = "R worker"

    def run(self, target, program, tables):
        request = {"program": program, "tables": {
            name: {"columns": [{"name": column, "type": kind} for column, kind in header],
                   "rows": rows}
            for name, (header, rows) in tables.items()}}
        self.worker.stdin.write(json.dumps(request) + "\n")
        self.worker.stdin.flush()
        line = self.worker.stdout.readline()
        if not line:
            raise EngineMissing(f"the R worker ended (status {self.worker.wait()})")
        answer = json.loads(line)
        if "error" in answer:
            raise EngineFailed(answer["error"])
        return answer["columns"], answer["rows"]

    def close(self):
        self.worker.stdin.close()
        self.worker.wait(timeout=30)
