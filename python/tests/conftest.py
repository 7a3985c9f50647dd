# Paths the tests share: the source tree (examples, test data) and the built veltra-cli.
import os
import pathlib

import pytest

SOURCE = pathlib.Path(os.environ.get("VELTRA_SOURCE", pathlib.Path(__file__).parents[2]))


@pytest.fixture
def source():
    return SOURCE


@pytest.fixture
def example():
    return lambda name: SOURCE / "examples" / name


@pytest.fixture
def data():
    return lambda name: SOURCE / "tests" / "data" / name
