// Any bytes as a project file. The reader either refuses them with the core's Error or gives a project;
// that project, once written, reads back and writes again to the same bytes. The reader of files, which
// takes the bytes a block at a time, must agree with the reader of bytes in memory, message for message.
// Every scheme of a project that reads is calculated with the default catalogs and the built-in
// coefficient table, so that the load flow really runs; a calculated scheme holds only finite numbers.
// Any other exception escapes and counts as a crash.

#include "calc/calculation.h"
#include "catalogs/catalog_files.h"
#include "fuzz/fuzz_checks.h"
#include "model/project_file.h"
#include "text/errors.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Outcome {
    std::optional<TProect> project;
    std::string message;
};

template <class Read> Outcome outcomeOf(Read read) {
    Outcome outcome;
    try {
        outcome.project = read();
    } catch (const k10::Error& error) {
        outcome.message = error.what();
    }
    return outcome;
}

// A file in memory that holds the current input, named by a path the reader can open.
const std::string& fileHolding(std::string_view bytes) {
    static const int fd = ::memfd_create("k10-fuzz-project", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    require(fd >= 0 && ::ftruncate(fd, 0) == 0, "the file in memory can be emptied");
    require(::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
            "the file in memory takes the input");
    return path;
}

bool finite(double value) {
    return std::isfinite(value);
}

bool finite(std::complex<double> value) {
    return std::isfinite(value.real()) && std::isfinite(value.imag());
}

bool finite(const k10::calc::Currents& c) {
    return finite(c.ik3MaxKa) && finite(c.ik2MaxKa) && finite(c.ik3MinKa) && finite(c.ik2MinKa);
}

bool finite(const k10::calc::RegimeResult& r) {
    for (const auto& n : r.nodes)
        if (!finite(n.uKv) || !finite(n.lossPercent) || !finite(n.deviationPercent))
            return false;
    for (const auto& s : r.sections)
        if (!finite(s.pKw) || !finite(s.qKvar) || !finite(s.iA) || !finite(s.loadingPercent) ||
            !finite(s.dpKw) || !finite(s.dqKvar))
            return false;
    for (const auto& s : r.substations)
        if (!finite(s.sKva) || !finite(s.loadingPercent) || !finite(s.dpKw) || !finite(s.dqKvar))
            return false;
    const auto& t = r.totals;
    return finite(t.pKw) && finite(t.qKvar) && finite(t.dpKw) && finite(t.dqKvar) && finite(t.dpSectionsKw) &&
           finite(t.dqSectionsKvar) && finite(t.dpTransformersKw) && finite(t.dqTransformersKvar) &&
           finite(t.lossSharePercent) && finite(t.worstLossPercent) && finite(t.mostLoadedPercent);
}

// Every list of numbers has a row for each node, section or substation of the scheme.
bool complete(const k10::calc::SchemeResult& s) {
    for (const auto& r : s.regimes)
        if (r.nodes.size() != s.nodes.size() || r.sections.size() != s.sections.size() ||
            r.substations.size() != s.substations.size())
            return false;
    return s.shortCircuit.nodes.size() == s.nodes.size() && s.shortCircuit.lowVoltage.size() == s.substations.size();
}

bool finite(const k10::calc::SchemeResult& s) {
    if (!finite(s.regimes[0]) || !finite(s.regimes[1]) || !finite(s.shortCircuit.busbars))
        return false;
    for (const auto& n : s.nodes)
        if (!finite(n.distanceKm))
            return false;
    for (const auto& n : s.shortCircuit.nodes)
        if (!finite(n.zMaxOhm) || !finite(n.zMinOhm) || !finite(n.currents))
            return false;
    for (const auto& c : s.shortCircuit.lowVoltage)
        if (!finite(c))
            return false;
    return true;
}

void calculateEveryScheme(const TProect& project) {
    static const k10::WireCatalog wires = k10::readWireCatalog(K10_SOURCE_DIR "/data/spravp.dat");
    static const k10::TransCatalog transformers = k10::readTransCatalog(K10_SOURCE_DIR "/data/spravt.dat");
    const k10::calc::Inputs inputs{wires, transformers, k10::builtInLoadCoefficients()};
    // Both methods, both conventions and busbar voltages over their range, chosen by the project's size
    // so that each gets its share.
    const int pick = project.SourceCount();
    const k10::calc::Settings settings{pick % 2 ? k10::calc::Method::Exact : k10::calc::Method::Engineering,
                                       pick % 4 < 2 ? k10::calc::ShortCircuitConvention::AverageVoltage
                                                    : k10::calc::ShortCircuitConvention::Iec60909,
                                       5, 90.0 + pick % 26};
    std::vector<k10::calc::SchemeRequest> schemes;
    for (int source = 1; source <= project.SourceCount(); ++source)
        for (int mode = 0; mode <= project.Sources[source].ModeWorkCount(); ++mode)
            schemes.push_back({source, mode});
    k10::calc::calculateSchemes(project, schemes, inputs, settings, [](const k10::calc::SchemeResult& scheme) {
        require(!scheme.calculated || finite(scheme), "a calculated scheme has only finite numbers");
        require(!scheme.calculated || complete(scheme), "a calculated scheme has numbers for all its rows");
        require(scheme.mode == 0 || scheme.modeText.starts_with("Режим "), "a mode is described");
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = bytesOf(data, size);
    const Outcome inMemory = outcomeOf([&] { return k10::parseProject(bytes); });
    // Small blocks, so that lines and numbers straddle them; the size of the input picks one.
    const std::size_t blockSize = 1 + size % 97;
    const std::string& path = fileHolding(bytes);
    const Outcome fromFile = outcomeOf([&] { return k10::readProject(path, blockSize); });
    require(inMemory.message == fromFile.message, "the file reader refuses what the reader of bytes refuses");
    require(inMemory.project == fromFile.project, "the file reader reads what the reader of bytes reads");
    if (!inMemory.project)
        return 0;
    calculateEveryScheme(*inMemory.project);

    std::string written;
    try {
        written = k10::serializeProject(*inMemory.project);
    } catch (const k10::Error&) {
        // A text that holds a lone CR, which the writer refuses to save.
        return 0;
    }
    TProect back = k10::parseProject(written);
    require(k10::serializeProject(back) == written, "a written project writes again to the same bytes");
    return 0;
}
