"""What the command is doing, shown on a terminal once it has taken more than a second: one
line on standard error, rewritten in place and wiped when the work ends. Nothing is shown when
standard error is not a terminal."""

from __future__ import annotations

import sys
import threading
import time
from typing import Optional, TextIO

SHOWN_AFTER_SECONDS = 1.0


class Progress:
    """Used as `with Progress() as progress: progress.now("reading sales.csv")`."""

    def __init__(self, stream: Optional[TextIO] = None) -> None:
        self._stream = stream if stream is not None else sys.stderr
        self._shown = self._stream.isatty()
        self._doing = ""
        self._started = time.monotonic()
        self._done = threading.Event()
        self._drawn = False
        self._thread: Optional[threading.Thread] = None

    def __enter__(self) -> "Progress":
        if self._shown:
            self._thread = threading.Thread(target=self._keep_drawing, daemon=True)
            self._thread.start()
        return self

    def now(self, doing: str) -> None:
        """Says what the work is doing now."""
        self._doing = doing

    def _keep_drawing(self) -> None:
        shown = ""
        while not self._done.wait(0.1):
            elapsed = time.monotonic() - self._started
            line = f"brell: {self._doing} ({elapsed:.0f} s)"
            if elapsed >= SHOWN_AFTER_SECONDS and line != shown:
                self._stream.write(f"\r\x1b[K{line}")
                self._stream.flush()
                self._drawn = True
                shown = line

    def __exit__(self, *exception: object) -> None:
        self._done.set()
        if self._thread is not None:
            self._thread.join()
        if self._drawn:
            self._stream.write("\r\x1b[K")
            self._stream.flush()
