# The tour notebook runs from top to bottom in a real kernel: a cell that raises fails the
# test, and the net's picture, the trace table, the plot and the sweep all come out.
import os
import pathlib

import nbformat
from nbclient import NotebookClient

import veltra


def test_tour_notebook_runs_and_shows_what_it_says(source, tmp_path, monkeypatch):
    # The kernel imports the veltra under test, wherever the kernel starts.
    here = str(pathlib.Path(veltra.__file__).resolve().parents[1])
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join([here, os.environ.get("PYTHONPATH", "")]))
    path = source / "examples" / "notebooks" / "tour.ipynb"
    notebook = nbformat.read(path, as_version=4)
    NotebookClient(notebook, timeout=120, kernel_name="python3",
                   resources={"metadata": {"path": str(tmp_path)}}).execute()
    kinds = set()
    for cell in notebook.cells:
        for output in cell.get("outputs", []):
            assert output.output_type != "error", output
            kinds.update(output.get("data", {}))
    assert {"image/svg+xml", "image/png", "text/html"} <= kinds
    sweep = next(cell for cell in notebook.cells if "veltra.sweep(" in cell.source)
    assert "000001" in sweep.outputs[0]["data"]["text/plain"]
