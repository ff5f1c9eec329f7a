#include "cli/calc_json.h"

#include "catalogs/load_coefficients.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace k10cli {

using namespace k10::calc;

// A pretty-printed JSON text written piece by piece: objects and arrays open one element per line,
// indented by two blanks a level, "key": value, empty ones as {} and [], numbers as the library writes
// them (the shortest digits that give the double back, ".0" after a whole double).
struct CalcJsonWriter::Text {
    explicit Text(std::string& out) : out(out) {}

    std::string& out;
    std::size_t indent = 0;
    std::vector<bool> first; // of each open object or array: no element yet
    bool afterKey = false;

    void element() {
        if (afterKey) {
            afterKey = false;
            return;
        }
        if (first.empty())
            return;
        out += first.back() ? "\n" : ",\n";
        first.back() = false;
        out.append(indent, ' ');
    }
    void open(char bracket) {
        element();
        out += bracket;
        first.push_back(true);
        indent += 2;
    }
    void close(char bracket) {
        indent -= 2;
        if (!first.back()) {
            out += '\n';
            out.append(indent, ' ');
        }
        first.pop_back();
        out += bracket;
    }
    Text& object() {
        open('{');
        return *this;
    }
    Text& endObject() {
        close('}');
        return *this;
    }
    Text& array() {
        open('[');
        return *this;
    }
    Text& endArray() {
        close(']');
        return *this;
    }
    void quoted(std::string_view text) {
        out += '"';
        for (char c : text) {
            switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    const char* hex = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[(c >> 4) & 0xF];
                    out += hex[c & 0xF];
                } else {
                    out += c;
                }
            }
        }
        out += '"';
    }
    Text& key(std::string_view name) {
        element();
        quoted(name);
        out += ": ";
        afterKey = true;
        return *this;
    }
    Text& value(std::string_view text) {
        element();
        quoted(text);
        return *this;
    }
    Text& value(const char* text) { return value(std::string_view(text)); }
    Text& value(const std::string& text) { return value(std::string_view(text)); }
    Text& value(bool yes) {
        element();
        out += yes ? "true" : "false";
        return *this;
    }
    Text& value(int number) {
        element();
        char buffer[16];
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, number).ptr);
        return *this;
    }
    Text& value(double number) {
        element();
        if (!std::isfinite(number)) {
            out += "null";
            return *this;
        }
        char buffer[64];
        out.append(buffer, nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, number));
        return *this;
    }
    template <class Value>
    Text& field(std::string_view name, const Value& v) {
        return key(name).value(v);
    }

    void currents(const Currents& c) {
        field("ik3_max_ka", c.ik3MaxKa).field("ik2_max_ka", c.ik2MaxKa);
        field("ik3_min_ka", c.ik3MinKa).field("ik2_min_ka", c.ik2MinKa);
    }

    void totals(const Totals& t) {
        field("p_kw", t.pKw).field("q_kvar", t.qKvar).field("dp_kw", t.dpKw).field("dq_kvar", t.dqKvar);
        field("dp_sections_kw", t.dpSectionsKw).field("dq_sections_kvar", t.dqSectionsKvar);
        field("dp_transformers_kw", t.dpTransformersKw).field("dq_transformers_kvar", t.dqTransformersKvar);
        field("loss_share_percent", t.lossSharePercent);
        key("worst_node").object().field("line", t.worstNode.line).field("node", t.worstNode.node);
        field("loss_percent", t.worstLossPercent).endObject();
        key("most_loaded_section").object().field("line", t.mostLoadedLine).field("section", t.mostLoadedSection);
        field("loading_percent", t.mostLoadedPercent).endObject();
    }

    void regime(const SchemeResult& scheme, const RegimeResult& r) {
        object().field("iterations", r.iterations);
        key("nodes").array();
        for (std::size_t i = 0; i < scheme.nodes.size(); ++i) {
            const NodeResult& n = scheme.nodes[i];
            const NodeVoltage& v = r.nodes[i];
            object().field("line", n.line).field("node", n.node).field("u_kv", v.uKv);
            field("loss_percent", v.lossPercent).field("deviation_percent", v.deviationPercent).endObject();
        }
        endArray().key("sections").array();
        for (std::size_t i = 0; i < scheme.sections.size(); ++i) {
            const SectionResult& s = scheme.sections[i];
            const SectionFlow& f = r.sections[i];
            object().field("line", s.line).field("section", s.section).field("begin", s.begin);
            field("end", s.end).field("jumper", s.jumper).field("p_kw", f.pKw).field("q_kvar", f.qKvar);
            field("i_a", f.iA).field("loading_percent", f.loadingPercent).field("dp_kw", f.dpKw);
            field("dq_kvar", f.dqKvar).endObject();
        }
        endArray().key("substations").array();
        for (std::size_t i = 0; i < scheme.substations.size(); ++i) {
            const SubstationResult& s = scheme.substations[i];
            const SubstationLoad& y = r.substations[i];
            object().field("line", s.line).field("node", s.node).field("transformer", s.transformer);
            field("s_kva", y.sKva).field("loading_percent", y.loadingPercent).field("dp_kw", y.dpKw);
            field("dq_kvar", y.dqKvar).endObject();
        }
        endArray().key("totals").object();
        totals(r.totals);
        endObject().key("lines").array();
        for (const LineTotals& l : r.lines) {
            object().field("line", l.line);
            totals(l.totals);
            endObject();
        }
        endArray().endObject();
    }

    void impedance(std::string_view name, std::complex<double> z) {
        key(name).array().value(z.real()).value(z.imag()).endArray();
    }

    void shortCircuit(const SchemeResult& scheme) {
        const ShortCircuitResult& sc = scheme.shortCircuit;
        object().key("busbars").object();
        currents(sc.busbars);
        endObject().key("nodes").array();
        for (std::size_t i = 0; i < sc.nodes.size(); ++i) {
            const NodeShortCircuit& n = sc.nodes[i];
            object().field("line", scheme.nodes[i].line).field("node", scheme.nodes[i].node);
            impedance("z_max_ohm", n.zMaxOhm);
            impedance("z_min_ohm", n.zMinOhm);
            currents(n.currents);
            endObject();
        }
        endArray().key("low_voltage").array();
        for (std::size_t i = 0; i < sc.lowVoltage.size(); ++i) {
            const SubstationResult& s = scheme.substations[i];
            object().field("line", s.line).field("node", s.node).field("transformer", s.transformer);
            currents(sc.lowVoltage[i]);
            endObject();
        }
        endArray().endObject();
    }

    void scheme(const SchemeResult& s) {
        object().field("source", s.source).field("source_name", s.sourceName).field("mode", s.mode);
        field("calculated", s.calculated).key("problems").array();
        for (const Problem& p : s.problems) {
            object().field("code", p.code).field("kind", p.kind == ProblemKind::Error ? "error" : "warning");
            field("line", p.line).field("section", p.section).field("node", p.node).field("text", p.text);
            endObject();
        }
        endArray().key("de_energised").array();
        for (const NodeRef& n : s.deEnergised)
            object().field("line", n.line).field("node", n.node).endObject();
        endArray().key("excluded_lines").array();
        for (const ExcludedLine& line : s.excluded)
            value(line.line);
        endArray();
        if (s.calculated) {
            key("regimes").object().key("day");
            regime(s, s.regimes[0]);
            key("evening");
            regime(s, s.regimes[1]);
            endObject().key("short_circuit");
            shortCircuit(s);
        }
        endObject();
    }
};

CalcJsonWriter::CalcJsonWriter(std::string& out, const Settings& settings, bool builtIn) : text_(std::make_unique<Text>(out)) {
    Text& t = *text_;
    t.object().key("settings").object();
    t.field("method", settings.method == Method::Exact ? "exact" : "engineering");
    t.field("sc", settings.shortCircuit == ShortCircuitConvention::Iec60909 ? "iec" : "average");
    t.field("max_loss_percent", settings.maxLossPercent);
    t.field("bus_voltage_percent", settings.busVoltagePercent);
    t.field("coefficients", builtIn ? "built-in" : k10::LoadCoefficientFile);
    t.endObject().key("schemes").array();
}

CalcJsonWriter::~CalcJsonWriter() = default;

void CalcJsonWriter::add(const SchemeResult& scheme) {
    text_->scheme(scheme);
}

void CalcJsonWriter::finish() {
    text_->endArray().endObject();
    text_->out += '\n';
}

} // namespace k10cli
