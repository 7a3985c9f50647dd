# The rows of many tagged veltra-cli runs read back as one table by the pandas recipes the
# README gives: inputs such as 00000001 and histories stay strings.
import os
import subprocess

import pandas
import pytest

CLI = os.environ.get("VELTRA_CLI")


@pytest.mark.skipif(CLI is None, reason="no veltra-cli built beside")
def test_tagged_runs_make_one_table_that_pandas_reads_as_text(example, tmp_path):
    words = ["00000001", "0110", "10"]
    csv = tmp_path / "sweep.csv"
    jsonl = tmp_path / "sweep.jsonl"
    csv.write_text("tag,step,kind,label,value\n")
    for word in words:
        run = [CLI, "run", str(example("worked.net")), "--input", f"In={word}", "--tag", word]
        with open(csv, "ab") as out:
            subprocess.run(run + ["--format", "csv", "--no-header", "--lf"], stdout=out,
                           stderr=subprocess.DEVNULL, check=True)
        with open(jsonl, "ab") as out:
            subprocess.run(run + ["--format", "json"], stdout=out, stderr=subprocess.DEVNULL,
                           check=True)
    frame = pandas.read_csv(csv, dtype={"tag": str, "label": str, "value": str})
    outputs = frame[frame.kind == "output"]
    assert outputs.tag.tolist() == words
    assert outputs.value.tolist() == ["000000010", "0110", "10"]
    runs = pandas.read_json(jsonl, lines=True, dtype=False)
    assert runs.tag.tolist() == words
    assert [rows[-1]["value"] for rows in runs.rows] == ["000000010", "0110", "10"]
    # What the recipe guards against: read naively, the input 00000001 becomes the number 1.
    assert pandas.read_csv(csv).tag.iloc[0] == 1
