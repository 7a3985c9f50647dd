// "run" with --until-cycle, --until and --format: the cycle found against the rows of a plain
// run of S+P steps, exact stop steps, and CSV and JSON read back by small parsers of their own,
// also as the tagged rows of many runs put together.
#include "clirun.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <unistd.h>
#include <variant>

namespace {

using Result = veltra::testing::TCliResult;
const auto Cli = veltra::testing::RunCli;

std::string Data(const std::string& name) {
    return std::string(VELTRA_TEST_DATA) + "/run/" + name;
}
std::string Example(const std::string& name) {
    return std::string(VELTRA_EXAMPLES) + "/" + name;
}

// The rows of a tsv output without its last line(s).
std::string RowsOf(const std::string& out) {
    std::string rows;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("steps=", 0) != 0 && line.rfind("cycle ", 0) != 0) rows += line + "\n";
    return rows;
}

// RFC 4180: records end in CRLF, quoted fields may hold commas, quotes (doubled) and breaks.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            EXPECT_TRUE(field.empty() && !wasQuoted) << "quote inside a bare field";
            quoted = wasQuoted = true;
        } else if (c == ',') {
            records.back().push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back().push_back(field);
            field.clear();
            wasQuoted = false;
            records.emplace_back();
            ++i;
        } else {
            EXPECT_NE(c, '\n') << "bare line feed";
            field += c;
        }
    }
    EXPECT_FALSE(quoted);
    EXPECT_TRUE(records.back().empty() && field.empty()) << "last record not ended";
    records.pop_back();
    return records;
}

// Just enough JSON: objects, arrays, strings (with \u escapes into UTF-8) and integers.
struct Json {
    std::variant<long long, std::string, std::vector<Json>, std::map<std::string, Json>> v;
    const Json& operator[](const std::string& key) const {
        return std::get<std::map<std::string, Json>>(v).at(key);
    }
    const std::vector<Json>& Items() const { return std::get<std::vector<Json>>(v); }
    const std::string& Text() const { return std::get<std::string>(v); }
};

struct JsonReader {
    std::string_view s;
    std::size_t i = 0;
    bool ok = true;
    char Peek() const { return i < s.size() ? s[i] : '\0'; }
    void Expect(char c) { ok = ok && Peek() == c ? (++i, true) : false; }
    Json Value() {
        if (!ok) return {};
        if (Peek() == '{') {
            ++i;
            std::map<std::string, Json> object;
            while (ok && Peek() != '}') {
                std::string key = String();
                Expect(':');
                object[key] = Value();
                if (Peek() == ',') ++i;
            }
            Expect('}');
            return {object};
        }
        if (Peek() == '[') {
            ++i;
            std::vector<Json> array;
            while (ok && Peek() != ']') {
                array.push_back(Value());
                if (Peek() == ',') ++i;
            }
            Expect(']');
            return {array};
        }
        if (Peek() == '"') return {String()};
        long long n = 0;
        ok = ok && std::isdigit(static_cast<unsigned char>(Peek()));
        while (std::isdigit(static_cast<unsigned char>(Peek())))
            n = n * 10 + (s[i++] - '0');
        return {n};
    }
    std::string String() {
        Expect('"');
        std::string out;
        while (ok && i < s.size() && s[i] != '"') {
            const auto c = static_cast<unsigned char>(s[i++]);
            ok = ok && c >= 0x20; // raw control characters are not JSON
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            const char e = s[i++];
            if (e == 'u') {
                const unsigned code = std::stoul(std::string(s.substr(i, 4)), nullptr, 16);
                i += 4;
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else {
                    out += static_cast<char>(0xc0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3f));
                }
            } else {
                out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
            }
        }
        Expect('"');
        return out;
    }
};

Json ParseJsonLine(const std::string& line) {
    JsonReader reader{line};
    Json json = reader.Value();
    EXPECT_TRUE(reader.ok && reader.i == line.size()) << line;
    return json;
}

TEST(RunUntil, CycleStartAndPeriodWithTheRowsOfStepSPlusP) {
    const struct {
        std::string file;
        std::vector<std::string> extra;
        std::string cycle; // empty: none
        long long steps;
    } cases[] = {
        {Data("ring4.net"), {}, "cycle start=2 period=4", 6},
        {Data("bias_loop.net"), {}, "cycle start=0 period=1", 1},
        {Data("halving.net"), {"--max-steps", "40"}, "", 40}, // grows forever
        {Example("worked.net"), {}, "", 4},                   // finishes: no cycle
        {Example("stack.net"), {}, "", 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> args{"run", c.file, "--until-cycle"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const Result r = Cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string plain = Cli({"run", c.file, "--steps", std::to_string(c.steps)}).out;
        EXPECT_EQ(RowsOf(r.out), RowsOf(plain));
        const std::string tail = r.out.substr(RowsOf(r.out).size());
        EXPECT_EQ(tail, (c.cycle.empty() ? "" : c.cycle + "\n") +
                            "steps=" + std::to_string(c.steps) +
                            (c.file == Example("worked.net") || c.file == Example("stack.net")
                                 ? " finished=true\n"
                                 : " finished=false\n"));
        // Traced: exactly the steps up to the one shown, as a plain trace prints them.
        args.push_back("--trace");
        const Result traced = Cli(args);
        EXPECT_EQ(RowsOf(traced.out),
                  RowsOf(Cli({"run", c.file, "--trace", "--steps", std::to_string(c.steps)}).out));
    }
}

TEST(RunUntil, StopsAfterTheFirstStepThatMeetsTheComparisonExactly) {
    // halving.net: N = 0.25, then 0.375, 0.4375, ... nearing 0.5 and never reaching it.
    const struct {
        std::string condition;
        std::string steps;
        int status = 0;
    } cases[] = {
        {"N = 0.375", "steps=1 finished=false"},
        {"N >= 0.46875", "steps=3 finished=false"},
        {"N > 0.46875", "steps=4 finished=false"},
        {"N < 0.3", "steps=20 finished=false"}, // never: --max-steps ends it
        {"N = 0.4999999999999999999999999999999999999", "steps=20 finished=false"},
        {"N <= 0.375", "steps=1 finished=false"},
        {"Out = 0.4375", "steps=2 finished=false"},
        {"Nope = 1", "", 2},
        {"N == 1", "", 2},
        {"N = one", "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        const Result r =
            Cli({"run", Data("halving.net"), "--until", c.condition, "--max-steps", "20"});
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0) {
            EXPECT_NE(r.out.find("\n" + c.steps + "\n"), std::string::npos) << r.out;
        }
    }
    EXPECT_EQ(Cli({"run", Data("halving.net"), "--until", "N = 1", "--steps", "3"}).status, 2);
    EXPECT_EQ(Cli({"run", Data("halving.net"), "--format", "xml"}).status, 2);
}

TEST(RunUntil, CsvAndJsonReadBackToTheExactLabelsAndValues) {
    const std::string label = "a,b \"q\" \x1b[2J \xc3\xa9 \xc2\x9b \xff";
    const std::string dir = std::filesystem::temp_directory_path().string();
    const std::string net = dir + "/veltra_rununtil_" + std::to_string(::getpid()) + ".net";
    {
        std::ifstream in(Data("ring4.net"), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t at = text.find("Etiqueta:R1");
        text.replace(at, 11, "Etiqueta:" + label);
        std::ofstream(net, std::ios::binary) << text;
    }
    const Result csv = Cli({"run", net, "--until-cycle", "--trace", "--format", "csv"});
    const Result json = Cli({"run", net, "--until-cycle", "--trace", "--format", "json"});
    std::remove(net.c_str());
    ASSERT_EQ(csv.status, 0) << csv.err;
    ASSERT_EQ(json.status, 0) << json.err;
    // Standard output is data alone; the closing lines go to standard error.
    EXPECT_EQ(csv.err, "cycle start=2 period=4\nsteps=6 finished=false\n");
    EXPECT_EQ(json.err, csv.err);

    const auto records = ParseCsv(csv.out);
    ASSERT_EQ(records.size(), 1u + 6 * 6);
    EXPECT_EQ(records[0], (std::vector<std::string>{"step", "kind", "label", "value"}));
    EXPECT_EQ(records[2], (std::vector<std::string>{"1", "neuron", label, "0"}));
    EXPECT_EQ(records.back(), (std::vector<std::string>{"6", "output", "Out", "010001"}));

    std::istringstream lines(json.out);
    std::vector<Json> objects;
    for (std::string line; std::getline(lines, line);)
        objects.push_back(ParseJsonLine(line));
    ASSERT_EQ(objects.size(), 6u);
    for (std::size_t step = 0; step < objects.size(); ++step) {
        EXPECT_EQ(std::get<long long>(objects[step]["step"].v), static_cast<long long>(step + 1));
        const auto& rows = objects[step]["rows"].Items();
        ASSERT_EQ(rows.size(), 6u);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const auto& record = records[1 + step * 6 + k];
            EXPECT_EQ(rows[k]["kind"].Text(), record[1]);
            EXPECT_EQ(rows[k]["value"].Text(), record[3]);
            // Not UTF-8: the byte 0xff comes back as U+00FF.
            EXPECT_EQ(rows[k]["label"].Text(), k == 1 ? std::string("a,b \"q\" \x1b[2J \xc3\xa9 "
                                                                    "\xc2\x9b \xc3\xbf")
                                                      : record[2]);
        }
    }
    // Nothing that acts on a terminal: no ESC, no C1 control as UTF-8.
    EXPECT_EQ(json.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(json.out.find("\xc2\x9b"), std::string::npos);
    // --log adds one row per output with every recorded value.
    const Result logged = Cli({"run", Example("worked.net"), "--log", "--format", "json"});
    EXPECT_NE(logged.out.find(R"({"kind":"log","label":"Out","value":"0 1 1 0"})"),
              std::string::npos)
        << logged.out;
}

// A log row is the outputs' recorded values joined by spaces in every format, and a trace
// with the log gives each step one JSON object, the last one holding the log too.
TEST(RunUntil, LogRowsInEveryFormatAndOneObjectPerTracedStep) {
    const std::string net = Example("worked.net");
    EXPECT_NE(Cli({"run", net, "--log"}).out.find("4\tlog\tOut\t0 1 1 0\n"), std::string::npos);
    EXPECT_NE(Cli({"run", net, "--log", "--format", "csv"}).out.find("4,log,Out,0 1 1 0\r\n"),
              std::string::npos);
    const Result traced = Cli({"run", net, "--trace", "--log", "--format", "json"});
    std::vector<std::string> lines;
    std::istringstream in(traced.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << traced.out; // steps 1 to 4, once each
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].rfind("{\"step\":" + std::to_string(i + 1) + ",", 0), 0u) << lines[i];
    EXPECT_NE(lines[3].find(R"({"kind":"output","label":"Out","value":"0110"},)"
                            R"({"kind":"log","label":"Out","value":"0 1 1 0"}]})"),
              std::string::npos)
        << lines[3];
}

TEST(RunUntil, TaggedRowsOfManyRunsMakeOneTable) {
    // The worked example echoes its input; each run is a sweep's task, tagged with its word.
    const std::vector<std::string> tags{"0110", "00000001", "a,\"b\"\tc"};
    const std::vector<std::string> sequences{"0110", "00000001", "1"};
    std::string csv, lf, json, tsv;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        SCOPED_TRACE(tags[i]);
        const auto run = [&](std::vector<std::string> extra) {
            std::vector<std::string> args{
                "run", Example("worked.net"), "--input", "In=" + sequences[i], "--tag", tags[i]};
            args.insert(args.end(), extra.begin(), extra.end());
            const Result r = Cli(args);
            EXPECT_EQ(r.status, 0) << r.err;
            // The closing line never mixes into the rows.
            EXPECT_EQ(r.err.rfind("steps=", 0), 0u) << r.err;
            return r.out;
        };
        const std::vector<std::string> header =
            i == 0 ? std::vector<std::string>{} : std::vector<std::string>{"--no-header"};
        std::vector<std::string> args{"--format", "csv"};
        args.insert(args.end(), header.begin(), header.end());
        csv += run(args);
        args.push_back("--lf");
        lf += run(args);
        json += run({"--format", "json"});
        tsv += run({});
    }
    const auto records = ParseCsv(csv);
    ASSERT_EQ(records.size(), 1u + 3 * 4);
    EXPECT_EQ(records[0], (std::vector<std::string>{"tag", "step", "kind", "label", "value"}));
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const auto& out = records[1 + i * 4 + 3];
        EXPECT_EQ(out[0], tags[i]);
        EXPECT_EQ(out[4], sequences[i] + (sequences[i].back() == '1' ? "0" : ""));
    }
    // --lf: the same records with LF alone.
    EXPECT_EQ(lf.find('\r'), std::string::npos);
    std::string crlf;
    for (const char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(crlf, csv);
    // JSON Lines: one object per line, LF-terminated, the tag its first field.
    std::istringstream lines(json);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_LT(count, tags.size());
        EXPECT_EQ(line.rfind("{\"tag\":", 0), 0u) << line;
        Json object = ParseJsonLine(line);
        EXPECT_EQ(object["tag"].Text(), tags[count]);
        EXPECT_EQ(object["rows"].Items().size(), 4u);
    }
    EXPECT_EQ(count, tags.size());
    EXPECT_EQ(json.find('\r'), std::string::npos);
    // tsv: the tag first, escaped as every field is; no closing lines among the rows.
    std::istringstream rows(tsv);
    count = 0;
    for (std::string line; std::getline(rows, line); ++count) {
        const std::string tag = count < 8 ? tags[count / 4] : "a,\"b\"\\tc";
        EXPECT_EQ(line.rfind(tag + "\t", 0), 0u) << line;
    }
    EXPECT_EQ(count, 12u);
    EXPECT_EQ(Cli({"run", Example("worked.net"), "--tag"}).status, 2);
}

} // namespace
