#include "calc/scheme_comparison.h"

namespace k10::calc {

ComparedScheme compareScheme(const SchemeResult& scheme) {
    ComparedScheme row;
    row.source = scheme.source;
    row.mode = scheme.mode;
    row.description = scheme.mode == 0 ? std::string("Нормальная схема") : scheme.modeText;
    row.calculated = scheme.calculated;
    for (const Problem& problem : scheme.problems)
        row.warnings += problem.kind == ProblemKind::Warning;
    if (!scheme.calculated)
        return row;
    for (int r = 0; r < 2; ++r) {
        const Totals& totals = scheme.regimes[r].totals;
        ComparedRegime& out = row.regimes[r];
        out.suppliedKw = totals.pKw;
        out.lossesKw = totals.dpKw;
        out.lossSharePercent = totals.lossSharePercent;
        out.worstLossPercent = totals.worstLossPercent;
        out.worstLine = totals.worstNode.line;
        out.worstNode = totals.worstNode.node;
        out.mostLoadedPercent = totals.mostLoadedPercent;
        out.mostLoadedLine = totals.mostLoadedLine;
        out.mostLoadedSection = totals.mostLoadedSection;
    }
    const Rows<NodeShortCircuit>& nodes = scheme.shortCircuit.nodes;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (row.hasShortCircuit && !(nodes[i].currents.ik2MinKa < row.minIk2MinKa))
            continue;
        row.hasShortCircuit = true;
        row.minIk2MinKa = nodes[i].currents.ik2MinKa;
        row.minIk2Line = scheme.nodes[i].line;
        row.minIk2Node = scheme.nodes[i].node;
    }
    return row;
}

std::vector<ComparedScheme> compareSchemes(const TProect& project, int source, const Inputs& inputs,
                                           const Settings& settings, unsigned threads) {
    std::vector<SchemeRequest> requests;
    for (int mode = 0; mode <= project.Sources[source].ModeWorkCount(); ++mode)
        requests.push_back({source, mode});
    std::vector<ComparedScheme> rows;
    rows.reserve(requests.size());
    calculateSchemes(
        project, requests, inputs, settings, [&rows](const SchemeResult& scheme) { rows.push_back(compareScheme(scheme)); },
        threads);
    return rows;
}

} // namespace k10::calc
