#include "execution/dynamics.h"

#include "model/neuronio.h"
#include "model/protolista.h"

#include <istream>
#include <ostream>

namespace veltra {

std::string EquationLine(const TNeuronio& neuron) {
    // Term groups in output order: neurons, inputs, outputs, biases.
    std::string groups[4];
    for (const TSinapse* synapse : neuron.IncomingSynapses()) {
        const TProtoNeuronio* source = synapse->Source();
        if (source == nullptr) continue;
        const TKindInfo& info = KindInfo(source->Kind());
        const int group = info.equationGroup;
        if (group < 0) continue; // a module feeds nothing
        const char* kind = info.equationLetter;
        std::string& terms = groups[group];
        if (!terms.empty()) terms += " + ";
        terms += synapse->Weight().ToText() + " x " + kind + "[" + source->Label() + "]";
    }
    std::string joined;
    for (const std::string& terms : groups) {
        if (terms.empty()) continue;
        if (!joined.empty()) joined += "   +   ";
        joined += terms;
    }
    return "Neuron[" + neuron.Label() + "] (+)= SIG( " + joined + " )";
}

std::vector<std::string> BuildDynamics(const TProtoLista& list) {
    std::vector<std::string> lines;
    for (const auto& element : list) {
        if (element->Kind() != TElementKind::Neuron || element->IncomingSynapses().Empty())
            continue;
        lines.push_back(EquationLine(static_cast<const TNeuronio&>(*element)));
    }
    return lines;
}

bool WriteDynamicsScratch(std::ostream& out, const std::vector<std::string>& viewLines) {
    for (const std::string& line : viewLines) {
        if (line.empty()) break;
        out << line << '\n';
    }
    out.flush();
    return static_cast<bool>(out);
}

std::vector<std::string> CutLine(const std::string& line, std::size_t width) {
    std::vector<std::string> pieces;
    if (line.empty() || width == 0) {
        pieces.push_back(line);
        return pieces;
    }
    for (std::size_t at = 0; at < line.size(); at += width)
        pieces.push_back(line.substr(at, width));
    return pieces;
}

std::vector<std::string> ReadDynamicsScratch(std::istream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (std::string& piece : CutLine(line))
            lines.push_back(std::move(piece));
    }
    return lines;
}

std::vector<std::string> DynamicsPrintout(const std::string& caption,
                                          const std::vector<std::string>& scratchLines) {
    std::vector<std::string> text{DynamicsTitle, caption, ""};
    text.insert(text.end(), scratchLines.begin(), scratchLines.end());
    return text;
}

} // namespace veltra
