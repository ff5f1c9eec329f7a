#pragma once

#include "calc/calculation.h"

#include <string>
#include <vector>

// The schemes of one source side by side: which mode loses least, keeps the voltage, or leaves the
// protection sensitive, without opening each.
namespace k10::calc {

// One regime of a compared scheme.
struct ComparedRegime {
    double suppliedKw = 0;       // P supplied: the loads and all the losses
    double lossesKw = 0;         // all the losses: the sections' and the transformers'
    double lossSharePercent = 0; // of the supplied P
    double worstLossPercent = 0; // the largest voltage loss from the busbars
    std::string worstLine, worstNode;
    double mostLoadedPercent = 0;
    std::string mostLoadedLine;  // of the most loaded section
    int mostLoadedSection = 0;   // 1-based in its line; 0 for the mode's jumper
};

// One scheme of a source: the normal scheme or a mode. The texts are UTF-8 and owned by the row.
struct ComparedScheme {
    int source = 0;
    int mode = 0;            // 0 the normal scheme
    std::string description; // «Нормальная схема» or the mode's description
    bool calculated = false;
    ComparedRegime regimes[2]; // day, evening; zero when not calculated
    // The smallest two-phase current of the minimum mode over the scheme's nodes: the current that the
    // protection at the busbars must still feel. hasShortCircuit is false when the scheme has no node.
    bool hasShortCircuit = false;
    double minIk2MinKa = 0;
    std::string minIk2Line, minIk2Node;
    int warnings = 0; // the scheme's problems of kind Warning
};

// The row of one calculated (or refused) scheme.
ComparedScheme compareScheme(const SchemeResult& scheme);

// The normal scheme and every mode of a 1-based source, calculated together (threads as in
// calculateSchemes), one row each in the order of the modes. Only the rows are kept.
std::vector<ComparedScheme> compareSchemes(const TProect& project, int source, const Inputs& inputs,
                                           const Settings& settings, unsigned threads = 0);

} // namespace k10::calc
