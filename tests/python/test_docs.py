"""Every Python example of docs/python.md runs as written and its checks hold."""
import pathlib
import re

import pytest

DOCUMENT = pathlib.Path(__file__).resolve().parents[2] / "docs" / "python.md"
EXAMPLES = re.findall(r"^```python\n(.*?)^```$", DOCUMENT.read_text(), re.MULTILINE | re.DOTALL)


def test_the_guide_has_examples():
    assert len(EXAMPLES) >= 2


@pytest.mark.parametrize("number", range(len(EXAMPLES)))
def test_example_runs(number, tmp_path, monkeypatch):
    # Each in a folder of its own, as a script of its own: the files it
    # writes stay there.
    monkeypatch.chdir(tmp_path)
    code = compile(EXAMPLES[number], f"{DOCUMENT.name}, example {number + 1}", "exec")
    exec(code, {"__name__": "__main__"})
