#pragma once

#include "calc/calculation.h"
#include "calc/load_flow.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// From the project to networks: the catalog look-ups, each line checked and built as a tree, and the
// scheme of a source (normal or in one operating mode) as one radial network fed from its busbars.
namespace k10::calc {

// Bounds beyond which a value can only be a typing error, and the arithmetic of a calculation could
// overflow: lengths of sections and jumpers, loads, system impedances, nominal voltages, wire data.
inline constexpr double kMaxLengthKm = 1000;
inline constexpr double kMaxLoadKva = 1e6;
inline constexpr double kMaxSystemOhm = 1e4;
inline constexpr double kMaxNominalKv = 1000;
inline constexpr double kMaxOhmPerKm = 100;

// Names of nodes and lines compare after their trailing blanks are removed; catalog names after the blanks
// on both sides are removed.
std::string_view withoutTrailingBlanks(std::string_view name);

// A hash of a short name: a few multiplications over its bytes, eight at a time. Names of nodes and of
// catalog entries are short, and the library's general hash costs more than the look-up around it.
struct NameHash {
    std::size_t operator()(std::string_view name) const noexcept;
};

// The first eight bytes of a name (all of a shorter one) in an integer, the first byte lowest; the bytes
// beyond the name are 0.
inline std::uint64_t packedHead(std::string_view name) {
    // Four bytes from p on, the first byte lowest.
    auto four = [](const char* p) -> std::uint64_t {
        std::uint32_t word;
        std::memcpy(&word, p, 4);
        if constexpr (std::endian::native == std::endian::big)
            word = (word >> 24) | (word >> 8 & 0xFF00u) | (word << 8 & 0xFF0000u) | (word << 24);
        return word;
    };
    const char* p = name.data();
    const std::size_t n = name.size() < 8 ? name.size() : 8;
    // Two groups of four bytes that may overlap, or the first, middle and last byte: each byte goes to
    // its place, and a byte that comes twice lands on itself.
    if (n >= 4)
        return four(p) | four(p + n - 4) << 8 * (n - 4);
    if (n == 0)
        return 0;
    auto byte = [&](std::size_t i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])); };
    return byte(0) | byte(n / 2) << 8 * (n / 2) | byte(n - 1) << 8 * (n - 1);
}

// A table of names open-addressed by their first eight bytes packed in an integer, with their length: node
// names and most catalog names are no longer, and then that integer with the length stands for the whole
// name, so a look-up hashes and compares integers only. Kept at most half full.
class PackedNames {
protected:
    struct Slot {
        std::uint64_t head = 0; // packedHead of the name
        std::uint32_t size = 0;
        std::int32_t number = 0; // 1 + the name's number; 0 in an empty slot, so that empty slots are zeros

        bool empty() const { return number == 0; }
        int id() const { return number - 1; }
    };

    // Room for about `names` names, all slots empty.
    void reset(std::size_t names);
    std::size_t room() const { return (mask_ + 1) / 2; }
    // The slot of a name of at most eight bytes, or the empty slot where it goes.
    std::size_t shortSlot(std::uint64_t head, std::size_t size) const {
        // A multiplication carries every bit of the head and length to the high bits the slot is taken from.
        const Slot* slots = slots_.data();
        auto slot = static_cast<std::size_t>((head + size) * 0x9E3779B97F4A7C15ull >> shift_);
        while (!slots[slot].empty() && (slots[slot].head != head || slots[slot].size != size))
            slot = (slot + 1) & mask_;
        return slot;
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = std::size_t(-1); // the number of slots - 1
    int shift_ = 64;                     // 64 - log2 of the number of slots
};

// Names of any length numbered from 0 in the order they come, in a flat table: the catalogs' names and
// the project's line names.
class NameIndex : PackedNames {
public:
    // Room for about `names` names; forgets the names it has.
    void reserve(std::size_t names);
    // The number of the name, a new one when it is not there yet.
    int intern(std::string_view name);
    // The number of the name; -1 when it is not there.
    int find(std::string_view name) const {
        if (slots_.empty())
            return -1;
        if (name.size() > 8)
            return slots_[longSlot(name, packedHead(name))].id();
        return slots_[shortSlot(packedHead(name), name.size())].id();
    }
    std::size_t size() const { return names_.size(); }
    std::string_view name(int id) const { return names_[static_cast<std::size_t>(id)]; }

private:
    void grow(); // to twice the room
    // The slot of the name, or the empty slot where it goes.
    std::size_t slotOf(std::string_view name, std::uint64_t head) const;
    std::size_t longSlot(std::string_view name, std::uint64_t head) const;

    std::vector<std::string_view> names_;
};

// The nodes of a line by their names, which are at most eight bytes: each name is its packed bytes and its
// length, and the table keeps no copy of the names.
class NodeIndex : PackedNames {
public:
    static constexpr std::size_t kLongestName = 8;

    // Room for about `names` names; forgets the names it has.
    void reserve(std::size_t names) {
        reset(names);
        count_ = 0;
    }
    // The number of the name given by its packed bytes and length, a new one (the count so far) when it is
    // not there yet.
    int intern(std::uint64_t head, std::size_t size) {
        if (count_ >= room())
            grow();
        Slot& slot = slots_[shortSlot(head, size)];
        if (slot.empty())
            slot = {head, static_cast<std::uint32_t>(size), static_cast<std::int32_t>(++count_)};
        return slot.id();
    }
    std::size_t size() const { return count_; }
    // The number of the name; -1 when it is not there.
    int find(std::string_view name) const {
        if (slots_.empty() || name.size() > kLongestName)
            return -1;
        return slots_[shortSlot(packedHead(name), name.size())].id();
    }
    // Each name numbered anew: number n becomes `numbers[n]`.
    void renumber(const std::vector<int>& numbers);

private:
    void grow(); // to twice the room
    std::size_t count_ = 0;
};

class Catalogs {
public:
    explicit Catalogs(const Inputs& inputs);
    // A wire that can carry a calculation (r0 > 0, x0 >= 0, permissible current > 0); null otherwise.
    // The catalog's names are kept without blanks at their ends, so a name typed without them, as nearly
    // all are, is found as it is; another is looked up again without them.
    const TProvoda* usableWire(std::string_view name) const {
        const int id = wireNames_.find(name);
        return id >= 0 ? usableWires_[static_cast<std::size_t>(id)] : usableWireTrimmed(name);
    }
    bool knowsWire(std::string_view name) const;
    const TTrans* transformer(std::string_view name) const {
        const int id = transformerNames_.find(name);
        return id >= 0 ? usableTransformers_[static_cast<std::size_t>(id)] : transformerTrimmed(name);
    }
    // The position of a transformer of the catalog, from 0.
    std::size_t positionOf(const TTrans& transformer) const {
        return static_cast<std::size_t>(&transformer - firstTransformer_);
    }
    std::size_t transformerCount() const { return transformerCount_; }
    // A usable transformer of the catalog referred to its 0.4 kV side (Ohm), and its impedance correction
    // K_T of IEC 60909: worked out once per catalog entry.
    Complex lowVoltageImpedance(const TTrans& t) const { return lowSide_[positionOf(t)].first; }
    double correction(const TTrans& t) const { return lowSide_[positionOf(t)].second; }
    const LoadCoefficientTable& coefficients() const { return coefficients_; }
    // A load of S kVA with the load-graph code (1 to 32) in the regime, kW + j kvar.
    Complex regimeLoad(double kva, int code, Regime regime) const {
        const RegimeFactors& f =
            factors_[static_cast<std::size_t>(code - 1)][static_cast<std::size_t>(regime)];
        double s = kva * f.k;
        return {s * f.cos, s * f.sin};
    }

private:
    // The coefficients of a code in a regime, with the sine of the load's angle worked out once.
    struct RegimeFactors {
        double k = 0, cos = 1, sin = 0;
    };

    // The look-ups of a name not found as typed.
    const TProvoda* usableWireTrimmed(std::string_view name) const;
    const TTrans* transformerTrimmed(std::string_view name) const;

    const TTrans* firstTransformer_ = nullptr;
    std::size_t transformerCount_ = 0;
    // The entries by their names: the first entry of a name, where several have it; null when that
    // entry's data allow no calculation.
    NameIndex wireNames_, transformerNames_;
    std::vector<const TProvoda*> usableWires_;
    std::vector<const TTrans*> usableTransformers_;
    std::vector<std::pair<Complex, double>> lowSide_; // of each catalog entry, in its order
    const LoadCoefficientTable& coefficients_;
    std::array<std::array<RegimeFactors, 2>, 32> factors_; // of each code, day and evening
};

// A section's data as the calculation uses them.
struct SectionData {
    std::string_view begin, end;
    const TProvoda* wire = nullptr;
    double lengthKm = 0;
    double loadKva = 0; // 0: no load
    int code = 0;
    const TTrans* transformer = nullptr;
    Complex load[2];                  // kW + j kvar in the day and in the evening, before a mode's change
    Complex transformerZ;             // the transformer referred to its 0.4 kV side (Ohm)
    double transformerCorrection = 1; // its impedance correction K_T of IEC 60909
};

// One line checked and, when it has no error, built as a tree; a line with an error of its own, or without
// sections, is left out of every scheme of its source. Node 0 is the head; the other nodes follow
// in the order of the sections that feed them.
struct LineTree {
    const TLines* line = nullptr;
    int source = 0; // 1-based
    int index = 0;  // 1-based among its source's lines
    std::string_view name;
    bool valid = false;
    std::vector<SectionData> sections;
    std::vector<std::string_view> nodes; // every node its sections name; a valid tree's come in tree order
    std::vector<int> parent;             // of each node in a valid tree; -1 for the head
    std::vector<int> feedingSection;     // 1-based section ending at each node; 0 for the head

    int find(std::string_view node) const;

private:
    friend class LineReader;
    NodeIndex byName_; // every name the sections use, to its place in `nodes`
};

LineTree buildLineTree(const TSource& source, int sourceNumber, int lineIndex, const Catalogs& catalogs,
                       std::vector<Problem>& problems);

// The checks of the source's own data (P1 to P4).
void checkSource(const TSource& source, std::vector<Problem>& problems);

// How a node of the scheme is fed.
enum class Feed { Head, Section, Jumper };

struct SchemeNode {
    int tree = 0;    // index into the scheme's trees
    int local = 0;   // node of that tree
    int parent = -1; // scheme node feeding it; -1 for the busbars
    Feed feed = Feed::Head;
    int section = 0; // 1-based section of the node's tree carrying the feed; 0 for a head or the jumper
    Complex z;
    double lengthKm = 0;
    const TProvoda* wire = nullptr;
    // The section that ends at the node in its own line: the node's load and transformer. Null for a head.
    const SectionData* own = nullptr;
    const TTrans* transformer = nullptr; // own's, kept here as every row of the node asks for it
    Complex load[2];                     // own's, before a mode's change: read in the node's order
};

struct ModeJumper {
    int fromTree = -1, fromNode = -1, toTree = -1, toNode = -1;
    double lengthKm = 0;
    const TProvoda* wire = nullptr;
};

// A source's network in one scheme, nodes in the order of a walk from the busbars (parents first).
// Each line fed from the busbars comes as one part: its head, then the nodes it feeds.
struct Scheme {
    std::vector<const LineTree*> trees; // the source's lines, then another source's line a jumper reaches
    std::vector<SchemeNode> nodes;
    // Of a mode's scheme built with the normal scheme at hand: the node's place in the normal scheme
    // where its line is as there, else -1.
    std::vector<int> normalIndex;
    std::vector<std::pair<int, int>> deEnergised; // (tree, node) of the source's own lines
    double loadFactor = 1;
};

// The normal scheme of a source, line by line: a mode leaves most lines as they are, and their parts are
// taken from here rather than walked again.
struct NormalScheme {
    Scheme scheme;
    std::vector<std::pair<int, int>> part; // nodes [first, last) of each of the source's lines

    void findParts();
};

// The lines of a source, checked and built once for all its schemes.
struct SourceLines {
    const TSource* source = nullptr;
    int number = 0;
    std::vector<LineTree> trees;
    std::vector<Problem> problems;
    // An error of the source itself (P1, P3, a nominal voltage that allows no calculation), or every line
    // left out: no scheme of the source can be calculated.
    bool refused = true;
};

SourceLines buildSourceLines(const TProect& project, int source, const Catalogs& catalogs);

// The load factor of a mode: 1 + its change of load in per cent; none when the change refuses the mode
// (M8). A mode's scheme and the flows shared by the modes of one factor take it from here alone, so that
// their loads are scaled alike to the last bit.
std::optional<double> loadFactorOf(const TModeWork& mode);

// Builds the schemes of a source one after another, keeping its working room between them.
class SchemeBuilder {
public:
    SchemeBuilder();
    ~SchemeBuilder();
    SchemeBuilder(const SchemeBuilder&) = delete;
    SchemeBuilder& operator=(const SchemeBuilder&) = delete;

    // The scheme of the source with the mode applied (mode 0: the normal scheme) into `scheme`, without
    // the lines left out. Adds the mode's problems; false when one of them is an error, or when the source
    // is refused. `foreign` keeps another source's line the jumper
    // reaches. With the `normal` scheme, a mode's lines that it leaves untouched are copied from there.
    bool build(const TProect& project, const SourceLines& lines, int mode, const Catalogs& catalogs,
               std::vector<LineTree>& foreign, std::vector<Problem>& problems, Scheme& scheme,
               const NormalScheme* normal = nullptr);

private:
    struct Room;
    std::unique_ptr<Room> room_;
};

} // namespace k10::calc
