// A net's picture outside any window: the same glyphs, synapse figures and texts as a
// drawing window composes, at a chosen scale, written as PNG, SVG or PDF. The command-line
// renderer and the Export Image command share it; it needs Qt's GUI module, no widgets.
#pragma once

#include "model/point.h"
#include "ui/drawingtexts.h"

#include <QString>
#include <string>

namespace veltra {

class TCanvas;
class TProtoLista;

// What DrawAll draws (every synapse, then every glyph, in list order), leaving out what
// cannot reach `area` (net coordinates): a repaint of a big net walks its synapses once
// and draws only those whose ends, with the room a figure takes, come near the area.
void DrawNetArea(const TProtoLista& list, TCanvas& canvas, const TRect& area);

struct TRenderOptions {
    double scale = 1.0; // 0.1 to 8, as the zoom of a window
    TDrawingTexts texts;
};

// Writes the picture in the format the file's suffix names (.png, .svg or .pdf); labels,
// values and weights stay text in SVG and PDF. Returns the error text, empty on success.
std::string ExportNetImage(const TProtoLista& list, const QString& path,
                           const TRenderOptions& options);

} // namespace veltra
