// Reading and writing element lists, element sections and synapse lists of a net file.
#pragma once

#include <iosfwd>
#include <string>

namespace veltra {

class TNetReader;
class TNetWriter;
class TProtoLista;
class TProtoNeuronio;
class TListaSinapses;

inline constexpr const char* NetHeaderLine = "<TREDE=version 0.4>";
inline constexpr const char* NetEndLine = "</TREDE>";

// A whole file: header, the list block, end. The list is renumbered first.
bool WriteNetFile(std::ostream& out, TProtoLista& list);
// Reads a whole file into `list`; returns the error text (empty on success). On a failure,
// `failure` (when given) gets the line and, where known, its cause.
struct TReadFailure;
std::string ReadNetFile(std::istream& in, TProtoLista& list, TReadFailure* failure = nullptr);

// One "<TProtoLista=" block. depth counts the modules around the list (0 at top level).
bool WriteList(TNetWriter& out, const TProtoLista& list);
std::string ReadList(TNetReader& in, TProtoLista& list, int depth);

// An element's outgoing synapse list block ("<TListaSinapses=").
bool WriteSynapses(TNetWriter& out, const TListaSinapses& list);
std::string ReadSynapses(TNetReader& in, TProtoNeuronio& source);

} // namespace veltra
