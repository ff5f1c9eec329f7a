#pragma once

// Projects for the calculation tests, written as compactly as the reference cases are stated: sections
// "begin → end, km, wire, P + jQ". A load given as P + jQ gets a code of its own in an injected
// coefficient table (k = 1 in both regimes, cos φ = P / S), so the calculation sees exactly that load.

#include "calc/calculation.h"
#include "catalogs/catalog_files.h"
#include "model/project.h"
#include "text/codepage.h"
#include "text/real_format.h"

#include <cmath>
#include <string>

namespace k10test {

inline std::string cp(const std::string& utf8) {
    return *k10::utf8ToCp1251(utf8);
}

struct Sec {
    std::string begin, end;
    double km = 1;
    std::string wire = "АС-50";
    double p = 0, q = 0;
    std::string trans = "";
};

class CalcProject {
public:
    CalcProject()
        : wires(k10::readWireCatalog(K10_SOURCE_DIR "/data/spravp.dat")),
          transformers(k10::readTransCatalog(K10_SOURCE_DIR "/data/spravt.dat")) {
        table.builtIn = false;
    }

    TSource& addSource(const std::string& name, double kv, double rMax = 0.35, double xMax = 1.42,
                       double rMin = 0.52, double xMin = 1.96) {
        TSource& s = project.Sources.append();
        s.Name = cp(name);
        s.Code = project.SourceCount();
        s.Napr = kv;
        s.R_Max = rMax;
        s.X_Max = xMax;
        s.R_Min = rMin;
        s.X_Min = xMin;
        return s;
    }

    TLines& addLine(TSource& source, const std::string& name, const std::vector<Sec>& sections) {
        TLines& line = source.Lines.append();
        line.Name = cp(name);
        for (const Sec& s : sections)
            line.Sections.append(section(s));
        return line;
    }

    TLine section(const Sec& s) {
        TLine l;
        l.L_Begin = cp(s.begin);
        l.L_End = cp(s.end);
        l.Dlina = s.km;
        l.Provod = cp(s.wire);
        l.Trans = cp(s.trans);
        if (s.p > 0 || s.q > 0) {
            l.Max_Nagr = k10::formatReal(std::hypot(s.p, s.q));
            l.Gr_Nagr = std::to_string(codeFor(s.p, s.q));
        }
        return l;
    }

    TModeWork& addMode(TSource& source, const std::string& from, const std::string& fromNode,
                       const std::string& to, const std::string& toNode, double km, const std::string& wire,
                       const std::string& off, double change) {
        TModeWork& m = source.ModeWorks.append();
        m.L_Begin = cp(from);
        m.Uzel_Begin = cp(fromNode);
        m.L_End = cp(to);
        m.Uzel_End = cp(toNode);
        m.Dlina = km;
        m.Provod = cp(wire);
        m.Uzel_Off = cp(off);
        m.Izm_Nagr = change;
        return m;
    }

    // A code whose row turns S into the given P + jQ; the codes from 32 down, leaving the low codes for
    // rows a test sets itself.
    int codeFor(double p, double q) {
        double cos = p / std::hypot(p, q);
        for (int code = 32; code > nextCode_; --code)
            if (table.forCode(code).cosDay == cos)
                return code;
        table.rows[static_cast<std::size_t>(nextCode_ - 1)] = {1, 1, cos, cos};
        return nextCode_--;
    }

    k10::calc::SchemeResult calculate(int source, int mode, const k10::calc::Settings& settings = {}) const {
        return k10::calc::calculateScheme(project, source, mode, inputs(), settings);
    }

    k10::calc::Inputs inputs() const { return {wires, transformers, table}; }

    TProect project;
    k10::WireCatalog wires;
    k10::TransCatalog transformers;
    k10::LoadCoefficientTable table;

private:
    int nextCode_ = 32;
};

// Case 1 of the reference cases as source 1, line 101; case 4's second source as source 2, line 201.
inline void addCaseOneAndFour(CalcProject& c, const std::string& transformerAtNode2 = "") {
    TSource& s1 = c.addSource("S1", 10);
    c.addLine(s1, "101",
              {{"101", "1", 4, "АС-70", 300, 200}, {"1", "2", 3, "АС-50", 200, 100, transformerAtNode2}});
    TSource& s2 = c.addSource("S2", 10);
    c.addLine(s2, "201",
              {{"201", "a", 3, "АС-50", 150, 100},
               {"a", "b", 2, "АС-35", 100, 50},
               {"b", "c", 1.5, "АС-35", 80, 40}});
    c.addMode(c.project.Sources[1], "101", "2", "201", "c", 2, "АС-35", "b", 10);
}

} // namespace k10test
