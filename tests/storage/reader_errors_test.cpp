// Every error text of the net file reader, each reached by a small file under
// tests/data/reader (the worked example with one line changed; see generate.py there).
#include "model/dados.h"
#include "numeric/infinito.h"
#include "storage/netfile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

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

// The worked example with line `number` (1-based) replaced by `line`.
std::string WorkedWith(int number, const std::string& line) {
    std::ifstream in(std::string(VELTRA_EXAMPLES) + "/worked.net", std::ios::binary);
    std::string text, each;
    for (int n = 1; std::getline(in, each); ++n)
        text += (n == number ? line + "\r" : each) + "\n";
    return text;
}

TEST(ReaderErrors, AMalformedActivityOrThresholdIsRefusedWithItsLineAndCause) {
    struct Line {
        int number;
        const char* key;
        const char* error;
        int kept;
    };
    const Line lines[] = {{31, "Actividade:", "TNeuronio - FormatoIncorrecto", 1},
                          {46, "Actividade:", "TNeuronio - FormatoIncorrecto", 2},
                          {48, "Teta:", "TNeuronio - FormatoIncorrecto - Teta", 2}};
    // Nothing this system writes; each used to read as 0 and save as 0.
    const std::string nul(1, '\0');
    const std::string malformed[] = {"0.5x", "1e5", "+1",  " 1",   "1 ",  "1.2.3", "\xef\xbc\x91",
                                     "-",    "-+1", "--1", "0x10", "1,5", nul};
    for (const Line& l : lines) {
        for (const std::string& value : malformed) {
            SCOPED_TRACE(std::string(l.key) + value);
            TSilentInteraction ui;
            TDados document(&ui);
            std::istringstream in(WorkedWith(l.number, l.key + value));
            TReadFailure failure;
            EXPECT_EQ(document.Load(in, &failure), l.error);
            EXPECT_EQ(document.Elements().Count(), l.kept);
            EXPECT_EQ(failure.line, l.number);
            EXPECT_NE(failure.cause.find("is not a valid floating point value"), std::string::npos)
                << failure.cause;
        }
        // What a number is still reads, as the value it spells.
        for (const auto& [value, read] : std::vector<std::pair<std::string, std::string>>{
                 {"0.50", "0.5"}, {"-.5", "-0.5"}, {"5.", "5"}, {"", "0"}, {"007", "7"}}) {
            SCOPED_TRACE(std::string(l.key) + value);
            TDados document;
            std::istringstream in(WorkedWith(l.number, l.key + value));
            ASSERT_EQ(document.Load(in), "");
            std::ostringstream out;
            ASSERT_TRUE(document.Save(out));
            EXPECT_EQ(WorkedWith(l.number, l.key + read), out.str());
        }
    }
}

TEST(ReaderErrors, TheFailureNamesTheLineAndWhyWhereTheReaderKnows) {
    struct Case {
        std::string text;
        std::int64_t line;
        std::string cause;
    };
    const std::size_t saved = TInfinitoLimits::TextGroups;
    TInfinitoLimits::TextGroups = 2; // numbers of more than 16 digits a side are too long
    const Case cases[] = {
        {WorkedWith(21, "Posicao:40;y"), 21, ""},
        {WorkedWith(26, "Valor:-0.5x"), 26, "'-0.5x' is not a valid floating point value"},
        {WorkedWith(31, "Actividade:" + std::string(17, '9')), 31,
         "a number of 17 characters is too long: at most 16 digits before the point and as "
         "many after it"},
        {WorkedWith(62, "</TRED>"), 62, ""},
        {"<TREDE=version 0.4>\r\n<TProtoLista=4>\r\n", 3, "the file ends before this line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TSilentInteraction ui;
        TDados document(&ui);
        std::istringstream in(c.text);
        TReadFailure failure;
        EXPECT_NE(document.Load(in, &failure), "");
        EXPECT_EQ(failure.line, c.line);
        EXPECT_EQ(failure.cause, c.cause);
    }
    TInfinitoLimits::TextGroups = saved;
}

} // namespace
} // namespace veltra
