"""Runs the examples of README.md and compares what they print with what the README shows.

An example block is a run of indented lines whose first line starts with "$ ": each "$ " line is a
command, the lines up to the next command or the end of the block its output, as a terminal shows
it (standard error and standard output in the order the program writes them: each command runs
under /bin/sh -c with 2>&1). The commands of the whole README run in turn in one folder, the home
folder /home/ann, with the built programs installed as /opt/velmora/bin/velmora and
/opt/velmora/bin/velmora-grid, first on the PATH, and their grid folder /opt/velmora/share/velmora.
Those two folders are made under a temporary root: the root is put in front of "/opt/velmora" and
"/home/ann" in each command and taken out of the output, so the paths read as the README shows them.

- "$ cat FILE" where FILE does not exist yet creates FILE with the lines shown, then runs.
- A ```python block whose first line is "# NAME.py" is written to NAME.py when it is reached.
- "<!-- readme-test: form FILE... -->" before a block: the national grid files it needs are not
  ours to ship, so small synthetic NTv2 files are written under those names for the block (a bare
  name in the installed grid folder, a path with a folder part from the home folder) and removed
  after it; the output is checked for its form only (lines, fields, numbers where numbers are
  shown, words and method names with their file names; sub-grid names are the file's own).
- "<!-- readme-test: skip (reason) -->" before a block: not run.
- A block with a command that starts with "python3" is skipped when no --python-path is given (a
  build without the Python module); the package is found through PYTHONPATH.

  readme_examples.py README VELMORA VELMORA_GRID [--python-path DIR]
"""

import argparse
import difflib
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from pathlib import Path

FAKE_FOLDERS = ("/opt/velmora", "/home/ann")
HOME = "/home/ann"
GRID_FOLDER = "/opt/velmora/share/velmora"
COMMAND_TIMEOUT_SECONDS = 120  # the slowest, the Dask example, starts two worker processes
MARKER = re.compile(r"<!--\s*readme-test:\s*(form|skip)\b(.*?)-->")
PYTHON_FILE = re.compile(r"#\s*(\S+\.py)\s*$")


@dataclass
class Block:
    mode: str = "exact"  # exact, form or skip
    grids: list = field(default_factory=list)
    runs: list = field(default_factory=list)  # (README line, command, expected output lines)


@dataclass
class PythonFile:
    name: str
    text: str


def parse(readme_text):
    """The example blocks and Python files of the README, in order."""
    items, pending = [], None
    lines = readme_text.split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        marker = MARKER.search(line)
        if marker:
            pending = (marker.group(1), marker.group(2).strip())
            i += 1
            continue
        if line.startswith("```python"):
            end = lines.index("```", i + 1)
            body = lines[i + 1:end]
            name = PYTHON_FILE.match(body[0]) if body else None
            if name:
                items.append(PythonFile(name.group(1), "\n".join(body) + "\n"))
            i = end + 1
            continue
        stripped = line.lstrip(" ")
        indent = len(line) - len(stripped)
        if indent >= 4 and stripped.startswith("$ "):
            block = Block()
            if pending:
                block.mode = pending[0]
                if pending[0] == "form":
                    block.grids = shlex.split(pending[1])
                pending = None
            while i < len(lines) and (lines[i].startswith(" " * indent) or
                                      (not lines[i].strip() and i + 1 < len(lines) and
                                       lines[i + 1].startswith(" " * indent))):
                text = lines[i][indent:]
                if text.startswith("$ "):
                    block.runs.append((i + 1, text[2:], []))
                else:
                    block.runs[-1][2].append(text)
                i += 1
            for _, _, expected in block.runs:  # a blank line between commands is no output
                while expected and not expected[-1].strip():
                    expected.pop()
            items.append(block)
            continue
        if line.strip() and not line.startswith("<!--"):
            pending = None  # a marker belongs to the block right after it
        i += 1
    return items


def ntv2_grid(geoid):
    """A one-sub-grid binary NTv2 file (little-endian, padded integers) over Australia and New
    Zealand, 5 degrees between nodes; every node holds the same values: a datum shift of 1.5 and
    -2.5 arc-seconds (longitude west positive), or a geoid of 22.5 metres in the latitude field."""
    south, north, west, east, step = -50.0, -5.0, 105.0, 180.0, 5.0
    rows, columns = round((north - south) / step) + 1, round((east - west) / step) + 1

    def text(key, value):
        return key.ljust(8).encode() + value.ljust(8).encode()

    def integer(key, value):
        return key.ljust(8).encode() + struct.pack("<i4x", value)

    def real(key, value):
        return key.ljust(8).encode() + struct.pack("<d", value)

    seconds = 3600.0
    header = [integer("NUM_OREC", 11), integer("NUM_SREC", 11), integer("NUM_FILE", 1),
              text("GS_TYPE", "SECONDS"), text("VERSION", "NTv2.0"), text("SYSTEM_F", "TEST"),
              text("SYSTEM_T", "TEST"), real("MAJOR_F", 6378137.0), real("MINOR_F", 6356752.314),
              real("MAJOR_T", 6378137.0), real("MINOR_T", 6356752.314),
              text("SUB_NAME", "TEST"), text("PARENT", "NONE"), text("CREATED", "20260101"),
              text("UPDATED", "20260101"), real("S_LAT", south * seconds), real("N_LAT", north * seconds),
              real("E_LONG", -east * seconds), real("W_LONG", -west * seconds),
              real("LAT_INC", step * seconds), real("LONG_INC", step * seconds),
              integer("GS_COUNT", rows * columns)]
    node = struct.pack("<4f", 22.5, 0.0, 0.0, 0.0) if geoid else struct.pack("<4f", 1.5, -2.5, 0.01, 0.01)
    return b"".join(header) + node * (rows * columns) + text("END", "")


NUMBER = re.compile(r"(?<![\w.])[-+]?\d+(?:\.\d+)?(?![\w.])")
SUB_GRID = re.compile(r"\b((?:grid|geoid)(?:-margin)?:[^:,+\s]+):[^,+\s]+")


def form(lines):
    """Each line with its numbers as '#' and the sub-grid names of its method names as '*'."""
    return [NUMBER.sub("#", SUB_GRID.sub(r"\1:*", line)) for line in lines]


class Runner:
    def __init__(self, root, python_path):
        self.root = root
        self.home = root + HOME
        self.python_path = python_path
        self.environment = {"HOME": self.home, "PATH": f"{root}/opt/velmora/bin:/usr/bin:/bin",
                            "LC_ALL": "C.UTF-8", "TZ": "UTC"}
        if python_path:
            self.environment["PYTHONPATH"] = python_path
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):  # the sanitizer build's settings
            if name in os.environ:
                self.environment[name] = os.environ[name]
        self.failures, self.checked, self.skipped = [], 0, 0

    def real_path(self, path):
        """A path of the README as it lies under the root; ~ is the home folder."""
        if path.startswith("~/"):
            return Path(self.home, path[2:])
        for folder in FAKE_FOLDERS:
            if path.startswith(folder + "/"):
                return Path(self.root + path)
        return Path(self.home, path)

    def run(self, command):
        for folder in FAKE_FOLDERS:
            command = command.replace(folder, self.root + folder)
        result = subprocess.run(["/bin/sh", "-c", command], cwd=self.home, env=self.environment,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                timeout=COMMAND_TIMEOUT_SECONDS)
        return result.stdout.decode("utf-8", "replace").replace(self.root, "")

    def block(self, block):
        needs_python = any(command.startswith("python3") for _, command, _ in block.runs)
        if block.mode == "skip" or (needs_python and not self.python_path):
            self.skipped += len(block.runs)
            return
        grid_paths = [Path(self.root + GRID_FOLDER, name) if "/" not in name else self.real_path(name)
                      for name in block.grids]
        for path in grid_paths:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(ntv2_grid(geoid="geoid" in path.name.lower()))
        try:
            for line, command, expected in block.runs:
                self.command(block.mode, line, command, expected)
        finally:
            for path in grid_paths:
                path.unlink()

    def command(self, mode, line, command, expected):
        cat = re.fullmatch(r"cat (\S+)", command)
        if cat and not self.real_path(cat.group(1)).exists():
            path = self.real_path(cat.group(1))
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text("".join(text + "\n" for text in expected))
        actual = self.run(command).split("\n")
        if actual[-1] == "":
            actual.pop()
        self.checked += 1
        same = form(actual) == form(expected) if mode == "form" else actual == expected
        if not same:
            diff = "\n".join(difflib.unified_diff(expected, actual, "README", "actual", lineterm=""))
            self.failures.append(f"README.md line {line} ({mode}): $ {command}\n{diff}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("readme")
    parser.add_argument("velmora")
    parser.add_argument("velmora_grid")
    parser.add_argument("--python-path", default="")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="velmora-readme-") as root:
        bin_folder = Path(root + "/opt/velmora/bin")
        bin_folder.mkdir(parents=True)
        Path(root + GRID_FOLDER).mkdir(parents=True)
        Path(root + HOME).mkdir(parents=True)
        # Copies, not links: the program searches the folder of its real file for grids.
        shutil.copy2(args.velmora, bin_folder / "velmora")
        shutil.copy2(args.velmora_grid, bin_folder / "velmora-grid")
        runner = Runner(root, os.path.abspath(args.python_path) if args.python_path else "")
        for item in parse(Path(args.readme).read_text(encoding="utf-8")):
            if isinstance(item, PythonFile):
                Path(root + HOME, item.name).write_text(item.text)
            else:
                runner.block(item)

    for failure in runner.failures:
        print(failure, end="\n\n")
    print(f"{runner.checked} README commands checked, {len(runner.failures)} differ, {runner.skipped} skipped")
    return 1 if runner.failures or runner.checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
