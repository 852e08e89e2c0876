"""What compiling in process must keep from the command line: values nested as deep as the
language allows, on any thread, and other Python threads running while the compiler works."""

from __future__ import annotations

import threading
import time

import pytest

import brell


def nested(depth: int) -> str:
    return "sales then keep where " + "(" * depth + "[revenue] > 1" + ")" * depth


@pytest.mark.parametrize("backend", brell.backends())
def test_a_value_nested_as_deep_as_the_language_allows_compiles_on_any_thread(backend):
    # A thread's own stack is far too small for this depth: the compiler brings a deep one.
    answers = []
    worker = threading.Thread(
        target=lambda: answers.append(brell.compile(nested(998), {"revenue": "number"}, backend))
    )
    worker.start()
    worker.join()
    assert answers and answers[0].count("revenue") >= 1
    with pytest.raises(brell.Refusal, match="nests more than 1000 levels deep"):
        brell.compile(nested(1000), {"revenue": "number"}, backend)


def test_other_threads_run_while_the_compiler_works():
    sentence = "t" + "\nthen sort [a] descending\nthen add [b] as [a] * 2 + 1" * 10_000
    took = []

    def compile_long() -> None:
        started = time.perf_counter()
        brell.compile(sentence, {"a": "number"})
        took.append(time.perf_counter() - started)

    worker = threading.Thread(target=compile_long)
    longest_wait = 0.0
    last = time.perf_counter()
    worker.start()
    while worker.is_alive():
        now = time.perf_counter()
        longest_wait = max(longest_wait, now - last)
        last = now
    worker.join()
    # Held, the interpreter's lock would stop this thread for the whole compile.
    assert took[0] > 0.05, "the sentence compiled too fast to tell"
    assert longest_wait < took[0] / 2, (longest_wait, took[0])
