"""A net's picture for Jupyter: drawn by veltra-cli render (the application's own drawing, as
Export Image makes it) where that is installed, else a plain drawing of boxes and lines."""

import os
import re
import shutil
import subprocess
import tempfile
from xml.sax.saxutils import escape

# What XML 1.0 cannot hold: control characters other than tab, CR and LF, and surrogates
# (label bytes that are not UTF-8 come through as those).
_NOT_XML = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\ud800-\udfff\ufffe\uffff]")
_MARGIN = 20


def _tool():
    return os.environ.get("VELTRA_CLI") or shutil.which("veltra-cli")


def rendered_svg(net, tool=None):
    """The SVG veltra-cli render draws for net (labels on), None when it cannot."""
    tool = tool or _tool()
    if not tool:
        return None
    with tempfile.TemporaryDirectory(prefix="veltra-") as folder:
        source = os.path.join(folder, "net.net")
        picture = os.path.join(folder, "net.svg")
        with open(source, "wb") as file:
            file.write(net._dumps())
        try:
            done = subprocess.run([tool, "render", source, picture, "--labels"],
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=60, check=False)
        except (OSError, subprocess.SubprocessError):
            return None
        if done.returncode != 0 or not os.path.exists(picture):
            return None
        with open(picture, encoding="utf-8", errors="replace") as file:
            return file.read()


def _text(label):
    return escape(_NOT_XML.sub("\ufffd", label))


def _shape(element, x, y, width, height):
    kind = element.kind
    if kind in ("neuron", "bias"):
        fill = "#d8e4f8" if kind == "neuron" else "#f8e4c8"
        return (f'<ellipse cx="{x + width / 2}" cy="{y + height / 2}" rx="{width / 2}" '
                f'ry="{height / 2}" fill="{fill}" stroke="black"/>')
    if kind == "module":
        return (f'<rect x="{x}" y="{y}" width="{width}" height="{height}" fill="#e8e8e8" '
                f'stroke="black"/><rect x="{x + 3}" y="{y + 3}" width="{width - 6}" '
                f'height="{height - 6}" fill="none" stroke="black"/>')
    fill = "#d8f0d8" if kind == "input" else "#f0d8d8"
    return (f'<rect x="{x}" y="{y}" width="{width}" height="{height}" fill="{fill}" '
            f'stroke="black"/>')


def _arrow(start, end):
    """A line from the centre of one box to the edge of the other, with an arrowhead."""
    x1, y1 = start[0] + start[2] / 2, start[1] + start[3] / 2
    x2, y2 = end[0] + end[2] / 2, end[1] + end[3] / 2
    dx, dy = x2 - x1, y2 - y1
    if dx or dy:
        reach = min(end[2] / 2 / abs(dx) if dx else float("inf"),
                    end[3] / 2 / abs(dy) if dy else float("inf"))
        x2, y2 = x2 - reach * dx, y2 - reach * dy
    return (f'<line x1="{x1:g}" y1="{y1:g}" x2="{x2:g}" y2="{y2:g}" stroke="black" '
            f'marker-end="url(#arrow)"/>')


def plain_svg(net):
    """A plain drawing of the top-level net: every element's glyph box at its place with its
    label under it, every visible synapse a line from centre to centre with an arrowhead."""
    elements = net.elements
    boxes = {}
    for element in elements:
        width, height = element._size
        boxes[element] = (element.x, element.y, width, height)
    if boxes:
        left = min(x for x, _, _, _ in boxes.values()) - _MARGIN
        top = min(y for _, y, _, _ in boxes.values()) - _MARGIN
        right = max(x + w for x, _, w, _ in boxes.values()) + _MARGIN
        bottom = max(y + h for _, y, _, h in boxes.values()) + 2 * _MARGIN
    else:
        left, top, right, bottom = 0, 0, 2 * _MARGIN, 2 * _MARGIN
    width, height = right - left, bottom - top
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
             f'viewBox="{left} {top} {width} {height}" font-family="sans-serif" font-size="10">',
             '<defs><marker id="arrow" viewBox="0 0 10 10" refX="10" refY="5" markerWidth="6" '
             'markerHeight="6" orient="auto"><path d="M0,0 L10,5 L0,10 z"/></marker></defs>']
    for element in elements:
        for synapse in element.synapses:
            end = synapse.destination
            if not synapse.visible or end not in boxes:
                continue
            parts.append(_arrow(boxes[element], boxes[end]))
    for element in elements:
        x, y, w, h = boxes[element]
        parts.append(_shape(element, x, y, w, h))
        parts.append(f'<text x="{x + w / 2}" y="{y + h + 11}" text-anchor="middle">'
                     f'{_text(element.label)}</text>')
    parts.append("</svg>")
    return "\n".join(parts)


def net_svg(net):
    """The net's picture as SVG text: veltra-cli's where it draws, else the plain one."""
    return rendered_svg(net) or plain_svg(net)


__all__ = ["net_svg", "plain_svg", "rendered_svg"]
