"""What the cursor rests on, said: a function's one-line meaning from the book, a verb's first
sentence, and for any other place in a step, the columns and types of the table it leaves."""

from __future__ import annotations

from typing import Optional, Tuple

from . import scan, steps
from .tables import Project
from .words import words


def _table(columns: steps.Columns) -> str:
    rows = "\n".join(f"| `{name}` | {type_word or 'any'} |" for name, type_word in columns)
    return f"| column | type |\n|---|---|\n{rows}"


def hover(text: str, offset: int, project: Project) -> Optional[Tuple[str, int, int]]:
    """The Markdown to show, and the characters it is about; None when there is nothing to say."""
    known = words()
    word = scan.word_at(text, offset)
    if word is not None and word.text in known.functions and text[word.end : word.end + 1] == "(":
        meaning = known.meanings.get(word.text, "")
        return f"`{word.text}` ({known.functions[word.text]}): {meaning}", word.start, word.end
    answer = steps.answer(text, project)
    lines = []
    if word is not None and word.text in known.verbs:
        lines.append(known.verbs[word.text].summary)
    for step in answer.steps:
        if step.start <= offset <= step.end:
            lines.append(f"The table after this step:\n\n{_table(step.columns)}")
            return "\n\n".join(lines), step.start, step.end
    start, end = answer.source_span
    if answer.described and start <= offset <= end:
        return f"`{answer.source}`:\n\n{_table(answer.source_columns)}", start, end
    if lines and word is not None:
        return lines[0], word.start, word.end
    return None
