// The equation text of a net: one line per neuron with incoming synapses, naming the weighted
// sources that feed it, and the printout built from those lines.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace veltra {

class TNeuronio;
class TProtoLista;

inline constexpr const char* NoMdiChildText = "No mdi child open, man!";
inline constexpr const char* DynamicsTitle = "DYNAMICS";
inline constexpr const char* DynamicsCaption = "Current Dynamic System";
inline constexpr std::size_t PrintLineWidth = 131;

// "Neuron[label] (+)= SIG( terms )", terms grouped neurons, inputs, outputs, biases.
std::string EquationLine(const TNeuronio& neuron);
// The lines of every neuron of the list (top level only) that has incoming synapses.
std::vector<std::string> BuildDynamics(const TProtoLista& list);

// The scratch file of a printout: the view's lines up to the first empty one, one per line.
bool WriteDynamicsScratch(std::ostream& out, const std::vector<std::string>& viewLines);
// Reads the scratch file back, cutting lines longer than PrintLineWidth into pieces.
std::vector<std::string> ReadDynamicsScratch(std::istream& in);
// The printed text: "DYNAMICS", the window caption, an empty line, then the scratch lines.
std::vector<std::string> DynamicsPrintout(const std::string& caption,
                                          const std::vector<std::string>& scratchLines);
// Cuts a line into pieces of at most width characters (an empty line stays one line).
std::vector<std::string> CutLine(const std::string& line, std::size_t width = PrintLineWidth);

} // namespace veltra
