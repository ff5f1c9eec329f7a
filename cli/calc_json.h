#pragma once

#include "calc/calculation.h"

#include <memory>
#include <string>
#include <vector>

// The results of `korvane10-tool calc --format json`, written straight into a text as the schemes come,
// laid out as a JSON library would dump the whole document with an indent of two: the benchmark writes
// them the same way.
namespace k10cli {

class CalcJsonWriter {
public:
    // Starts the document (its settings and the opening of the schemes) in `out`.
    CalcJsonWriter(std::string& out, const k10::calc::Settings& settings, bool builtInCoefficients);
    ~CalcJsonWriter();
    CalcJsonWriter(const CalcJsonWriter&) = delete;
    CalcJsonWriter& operator=(const CalcJsonWriter&) = delete;

    // Appends one scheme to `out`; the caller may take and empty `out` between schemes.
    void add(const k10::calc::SchemeResult& scheme);
    // Closes the document.
    void finish();

private:
    struct Text;
    std::unique_ptr<Text> text_;
};

} // namespace k10cli
