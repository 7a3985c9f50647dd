#include "model/netfileio.h"

#include "model/elementkind.h"
#include "model/protolista.h"
#include "model/weightpool.h"
#include "storage/netfile.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace veltra {

namespace {

std::unique_ptr<TProtoNeuronio> MakeElement(std::string_view type) {
    for (const TKindInfo& info : KindTable)
        if (SameText(type, info.typeName)) return info.make();
    return nullptr;
}

// The value of a count or header line: the rest without its last character, unseen.
std::string_view WithoutLast(std::string_view value) {
    return value.empty() ? value : value.substr(0, value.size() - 1);
}

bool WriteElement(TNetWriter& out, const TProtoNeuronio& e) {
    out.WriteLine(KindInfo(e.Kind()).header);
    out.WriteKeyed("Id:", std::to_string(e.Id()));
    out.WriteKeyed("Etiqueta:", e.Label());
    out.WriteKeyed("Posicao:",
                   std::to_string(e.GetPosition().x) + ";" + std::to_string(e.GetPosition().y));
    out.WriteKeyed("Visible_in_runform:", BoolText(e.Watched()));
    out.WriteLine("Pos_Sinapses:");
    if (!WriteSynapses(out, e.OutgoingSynapses()) || !e.SaveBody(out)) return false;
    out.WriteLine("</TPROTONEURONIO>");
    return out.Good();
}

// The weights a file's reader has met, by their text: a net's weights are mostly a handful of
// numbers written alike, so a text met before takes the shared number it gave then, without
// being read again. A text reads to the same number every time, and the pool keeps one number
// of each form, so every synapse gets the very number it would have got. Each entry holds a
// share of its number while the reading lasts, which keeps it the pool's.
class TWeightTexts {
public:
    TWeightTexts() = default;
    TWeightTexts(const TWeightTexts&) = delete;
    TWeightTexts& operator=(const TWeightTexts&) = delete;
    ~TWeightTexts() {
        for (const TEntry& entry : entries_)
            TWeightPool::Release(entry.shared);
    }
    const TInfinito* Find(std::string_view text) const {
        for (const TEntry& entry : entries_)
            if (entry.text == text) return entry.shared;
        return nullptr;
    }
    // The first few distinct short texts are kept; a net of many distinct weights reads the rest.
    void Keep(std::string_view text, const TInfinito* shared) {
        if (entries_.size() >= Room || text.size() > LongestText) return;
        entries_.push_back({std::string(text), shared});
        TWeightPool::ShareAgain(shared);
    }

private:
    static constexpr std::size_t Room = 16;
    static constexpr std::size_t LongestText = 64;
    struct TEntry {
        std::string text;
        const TInfinito* shared;
    };
    std::vector<TEntry> entries_;
};

// The texts of the reading under way on this thread (a module's inner net is read within it).
thread_local TWeightTexts* gWeightTexts = nullptr;

class TWeightTextsScope {
public:
    TWeightTextsScope() : outermost_(gWeightTexts == nullptr) {
        if (outermost_) gWeightTexts = &texts_;
    }
    ~TWeightTextsScope() {
        if (outermost_) gWeightTexts = nullptr;
    }
    TWeightTextsScope(const TWeightTextsScope&) = delete;
    TWeightTextsScope& operator=(const TWeightTextsScope&) = delete;

private:
    bool outermost_;
    TWeightTexts texts_;
};

} // namespace

bool WriteNetFile(std::ostream& out, TProtoLista& list) {
    std::int32_t counter = 0;
    list.RenumberAll(counter);
    TNetWriter writer(out);
    writer.WriteLine(NetHeaderLine);
    if (!WriteList(writer, list)) return false;
    writer.WriteLine(NetEndLine);
    return writer.Good();
}

std::string ReadNetFile(std::istream& in, TProtoLista& list, TReadFailure* failure) {
    TNetReader reader(in);
    std::string error;
    if (!reader.ExpectTag(NetHeaderLine))
        error = "Versao ou formato incorrecto";
    else if (error = ReadList(reader, list, 0); error.empty() && !reader.ExpectTag(NetEndLine))
        error = "Formato incorrecto";
    if (!error.empty() && failure != nullptr) *failure = reader.Failure();
    return error;
}

bool WriteList(TNetWriter& out, const TProtoLista& list) {
    out.WriteLine("<TProtoLista=" + std::to_string(list.Count()) + ">");
    for (const auto& e : list)
        if (!WriteElement(out, *e)) return false;
    out.WriteLine("</TProtoLista>");
    return out.Good();
}

std::string ReadList(TNetReader& in, TProtoLista& list, int depth) {
    const TWeightTextsScope weights;
    std::string value;
    if (!in.ExpectKey("<TProtoLista=", value)) return "Formato incorrecto - TProtoLista";
    std::int32_t count = 0;
    if (!ParseInteger(WithoutLast(value), count)) return "Formato incorrecto - TProtoLista Num";
    // Element by element: a count in the file never decides how much is allocated.
    for (std::int32_t i = 0; i < count; ++i) {
        if (!in.ExpectKey("<TProtoNeuronio=", value)) return "TProtoneurio - FormatoIncorrecto";
        std::unique_ptr<TProtoNeuronio> element = MakeElement(WithoutLast(value));
        if (!element) return "TProtoNeuronio - Tipo desconhecido";
        if (std::string error = element->LoadHeader(in); !error.empty()) return error;
        if (std::string error = element->LoadBody(in, depth); !error.empty()) return error;
        list.AddElement(std::move(element));
        if (!in.ExpectTag("</TProtoNeuronio>")) return "Formato incorrecto - /TProtoNeuronio";
    }
    if (!in.ExpectTag("</TProtoLista>")) return "Formato incorrecto - /TProtoLista";
    return {};
}

bool WriteSynapses(TNetWriter& out, const TListaSinapses& list) {
    out.WriteLine("<TListaSinapses=" + std::to_string(list.Count()) + ">");
    for (const TSinapse* s : list) {
        out.WriteLine("<TSINAPSE>");
        out.WriteKeyed("Valor:", s->Weight().ToText());
        const std::int32_t destination =
            s->Destination() != nullptr ? s->Destination()->Id() : s->DestinationId();
        out.WriteKeyed("Destino:", std::to_string(destination));
        out.WriteKeyed("visible:", BoolText(s->Visible()));
        out.WriteLine("</TSINAPSE>");
    }
    out.WriteLine("</TListaSinapses>");
    return out.Good();
}

std::string ReadSynapses(TNetReader& in, TProtoNeuronio& source) {
    std::string value;
    if (!in.ExpectKey("<TListaSinapses=", value)) return "Formato incorrecto - TListaSinapses";
    std::int32_t count = 0;
    if (!ParseInteger(WithoutLast(value), count)) return "Formato incorrecto - TListaSinapses Num";
    // Within reason: the count is only the file's word until the synapses are read.
    if (count > 0) source.ReserveOutgoing(static_cast<std::size_t>(std::min(count, 1024)));
    for (std::int32_t i = 0; i < count; ++i) {
        if (!in.ExpectTag("<TSINAPSE>")) return "Formato incorrecto - TSINAPSE";
        auto synapse = std::make_unique<TSinapse>();
        if (!in.ExpectKey("Valor:", value)) return "Formato incorrecto - TSinapse - Valor";
        try {
            if (const TInfinito* known = gWeightTexts ? gWeightTexts->Find(value) : nullptr) {
                TWeightPool::ShareAgain(known);
                synapse->SetSharedWeight(known);
            } else {
                TInfinito weight;
                if (!weight.SetFromText(value)) {
                    in.Refuse(InvalidNumberText(value));
                    return "Formato incorrecto - TSinapse - Valor";
                }
                synapse->SetWeight(std::move(weight));
                if (gWeightTexts != nullptr) gWeightTexts->Keep(value, &synapse->Weight());
            }
        } catch (const EConvertError&) {
            in.Refuse(InvalidNumberText(value));
            return "Formato incorrecto - TSinapse - Valor";
        } catch (const std::length_error& error) {
            in.Refuse(error.what());
            return "Formato incorrecto - TSinapse - Valor";
        }
        synapse->SetSource(&source);
        std::int32_t destination = 0;
        if (!in.ExpectKey("Destino:", value) || !ParseInteger(value, destination))
            return "Formato incorrecto - TSinapse - Destino";
        synapse->SetDestinationId(destination);
        if (!in.ExpectKey("visible:", value)) return "Formato Incorrecto - TSinapse - visible";
        synapse->SetVisible(ParseBool(value));
        if (!in.ExpectTag("</TSINAPSE>")) return "Formato incorrecto - /TSINAPSE";
        source.AddOutgoing(std::move(synapse));
    }
    if (!in.ExpectTag("</TListaSinapses>")) return "Formato incorrecto - /TListaSinapses";
    return {};
}

} // namespace veltra
