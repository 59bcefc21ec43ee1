"""Where the tests find the shared samples and the command-line tool (ctest sets both)."""

import os
import pathlib
import subprocess

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
SAMPLES = pathlib.Path(os.environ.get("ZAR_SAMPLES_DIR", REPO.parent / "shared" / "samples"))
TOOL = os.environ.get("ZARFILEIO_TOOL", str(REPO / "build" / "default" / "cli" / "zarfileio"))


@pytest.fixture(scope="session")
def samples():
    if not SAMPLES.is_dir():
        pytest.skip(f"no shared samples at {SAMPLES}")
    return SAMPLES


def run_tool(*arguments, cwd=None):
    """The tool's (status, stdout, stderr) for `arguments`, with a registry of its own."""
    env = dict(os.environ, ZARFILEIO_REGISTRY=os.path.join(cwd or "/tmp", "registry.json"))
    done = subprocess.run([TOOL, *map(str, arguments)], capture_output=True, text=True, env=env,
                          cwd=cwd)
    return done.returncode, done.stdout, done.stderr


def tool_message(stderr, path):
    """The message of the tool's 'zarfileio: PATH: MESSAGE' line."""
    for line in stderr.splitlines():
        if line.startswith(f"zarfileio: {path}: "):
            return line[len(f"zarfileio: {path}: "):]
    raise AssertionError(f"no message about {path} in {stderr!r}")
