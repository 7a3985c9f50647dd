// Every error text of the net file reader, each reached by a small file under
// tests/data/reader (the worked example with one line changed; see generate.py there).
#include "model/dados.h"

#include <fstream>
#include <gtest/gtest.h>

namespace veltra {
namespace {

struct ReaderCase {
    const char* file;
    const char* error;
    int kept; // top-level elements read completely before the failure
};

const ReaderCase kCases[] = {
    {"header_blank", "Versao ou formato incorrecto", 0},
    {"list_tag", "Formato incorrecto - TProtoLista", 0},
    {"list_count", "Formato incorrecto - TProtoLista Num", 0},
    {"element_tag", "TProtoneurio - FormatoIncorrecto", 0},
    {"element_type", "TProtoNeuronio - Tipo desconhecido", 1},
    {"id_key", "TProtoneurio - Formato Incorrecto (Id:)", 0},
    {"id_value", "Formato incorrecto - TProtoNeuronio (Id)", 1},
    {"label_key", "TProtoneurio - Formato Incorrecto (Etiqueta:)", 0},
    {"position_comma", "TProtoneurio - Formato Incorrecto (Posicao:)", 0},
    {"position_y", "Formato incorrecto - TProtoNeuronio (Posicao)", 1},
    {"watch_key", "TProtoneurio - Formato Incorrecto (Visible_in_runform:)", 0},
    {"synapse_marker", "TProtoneurio - FormatoIncorrecto - Pos_Sinapses", 0},
    {"synapse_list_tag", "Formato incorrecto - TListaSinapses", 0},
    {"synapse_list_count", "Formato incorrecto - TListaSinapses Num", 1},
    {"synapse_tag", "Formato incorrecto - TSINAPSE", 0},
    {"weight_key", "Formato incorrecto - TSinapse - Valor", 0},
    {"weight_fraction", "Formato incorrecto - TSinapse - Valor", 1},
    {"destination_value", "Formato incorrecto - TSinapse - Destino", 0},
    {"visible_key", "Formato Incorrecto - TSinapse - visible", 0},
    {"synapse_end", "Formato incorrecto - /TSINAPSE", 0},
    {"synapse_list_end", "Formato incorrecto - /TListaSinapses", 0},
    {"bias_activity", "TNeuronio - FormatoIncorrecto", 1},
    {"neuron_activity", "TNeuronio - FormatoIncorrecto", 2},
    {"function_key", "TNeuronio - FormatoIncorrecto - FuncaoActivacao", 2},
    {"function_name", "TNeuronio - FuncaoActivacao - Desconhecida", 2},
    {"teta_key", "TNeuronio - FormatoIncorrecto - Teta", 2},
    {"loop_key", "TNeuronio - Formato Incorrecto - loop", 2},
    {"input_sequence", "TInputs - FormatoIncorrecto - Binario", 0},
    {"output_history", "TInputs - FormatoIncorrecto - Binario", 3},
    // The element is added before its end line is checked.
    {"element_end", "Formato incorrecto - /TProtoNeuronio", 2},
    {"list_end", "Formato incorrecto - /TProtoLista", 4},
    {"net_end", "Formato incorrecto", 4},
    // A file that ends early reads missing lines as empty ones.
    {"cut_in_synapse", "Formato incorrecto - TSinapse - Valor", 2},
    {"cut_before_end", "Formato incorrecto", 4},
    {"module_inner_list", "Formato incorrecto - TProtoLista", 0},
};

TEST(ReaderErrors, EachFileGivesItsTextAndKeepsWhatWasReadBefore) {
    for (const ReaderCase& c : kCases) {
        SCOPED_TRACE(c.file);
        std::ifstream in(std::string(VELTRA_TEST_DATA) + "/reader/" + c.file + ".net",
                         std::ios::binary);
        ASSERT_TRUE(in);
        TSilentInteraction ui;
        TDados document(&ui);
        EXPECT_EQ(document.Load(in), c.error);
        EXPECT_EQ(document.Elements().Count(), c.kept);
        EXPECT_EQ(document.Net().ElementCounter(), 0) << "the counter stays after a failure";
        // Whatever was kept can still be stepped, saved and released.
        document.Step();
        std::ostringstream out;
        EXPECT_TRUE(document.Save(out));
    }
}

TEST(ReaderErrors, EveryErrorTextOfTheFormatIsReached) {
    const char* texts[] = {"Versao ou formato incorrecto",
                           "Formato incorrecto - TProtoLista",
                           "Formato incorrecto - TProtoLista Num",
                           "TProtoneurio - FormatoIncorrecto",
                           "TProtoNeuronio - Tipo desconhecido",
                           "TProtoneurio - Formato Incorrecto (Id:)",
                           "Formato incorrecto - TProtoNeuronio (Id)",
                           "TProtoneurio - Formato Incorrecto (Etiqueta:)",
                           "TProtoneurio - Formato Incorrecto (Posicao:)",
                           "Formato incorrecto - TProtoNeuronio (Posicao)",
                           "TProtoneurio - Formato Incorrecto (Visible_in_runform:)",
                           "TProtoneurio - FormatoIncorrecto - Pos_Sinapses",
                           "Formato incorrecto - TListaSinapses",
                           "Formato incorrecto - TListaSinapses Num",
                           "Formato incorrecto - TSINAPSE",
                           "Formato incorrecto - TSinapse - Valor",
                           "Formato incorrecto - TSinapse - Destino",
                           "Formato Incorrecto - TSinapse - visible",
                           "Formato incorrecto - /TSINAPSE",
                           "Formato incorrecto - /TListaSinapses",
                           "TNeuronio - FormatoIncorrecto",
                           "TNeuronio - FormatoIncorrecto - FuncaoActivacao",
                           "TNeuronio - FuncaoActivacao - Desconhecida",
                           "TNeuronio - FormatoIncorrecto - Teta",
                           "TNeuronio - Formato Incorrecto - loop",
                           "TInputs - FormatoIncorrecto - Binario",
                           "Formato incorrecto - /TProtoNeuronio",
                           "Formato incorrecto - /TProtoLista",
                           "Formato incorrecto"};
    for (const char* text : texts) {
        bool reached = false;
        for (const ReaderCase& c : kCases)
            reached = reached || std::string(c.error) == text;
        EXPECT_TRUE(reached) << text;
    }
}

} // namespace
} // namespace veltra
