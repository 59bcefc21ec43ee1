"""The README's notebook example runs as written (plots drawn off screen)."""

import re
import runpy

import pytest
from conftest import REPO, SAMPLES


def test_readme_python_example(tmp_path, monkeypatch):
    pytest.importorskip("matplotlib").use("Agg")
    example = re.findall(r"```python\n(.*?)```", (REPO / "README.md").read_text(), re.S)[0]
    script = tmp_path / "example.py"
    script.write_text(example.replace("../shared/samples", str(SAMPLES)))
    monkeypatch.chdir(tmp_path)
    with pytest.warns(UserWarning, match="renames markers"):
        runpy.run_path(str(script))
    assert (tmp_path / "gait.trc").read_text().splitlines()[2].split("\t")[4] == "m"
