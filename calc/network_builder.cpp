#include "calc/network_builder.h"

#include "calc/problems.h"
#include "calc/result_format.h"
#include "calc/short_circuit.h"
#include "text/codepage.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace k10::calc {

namespace {

// A blank, a tab, or the non-breaking blank of Windows-1251 '\xA0': the one byte besides the blank that
// is a blank once its top bit is cleared.
bool isBlank(char c) {
    return (c & 0x7F) == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view withoutBlanksAtEnds(std::string_view name) {
    while (!name.empty() && isBlank(name.front()))
        name.remove_prefix(1);
    return withoutTrailingBlanks(name);
}

inline std::string_view withoutBlanks(std::string_view name) {
    // Nearly every name is typed without blanks at its ends, and empty texts are common: those two cases
    // without a call.
    if (name.empty() || (!isBlank(name.front()) && !isBlank(name.back())))
        return name;
    return withoutBlanksAtEnds(name);
}

// 10^n for the decimals of a plainly typed load: every one of them is an exact double.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};

// A maximum load in kVA from its text without blanks at its ends: digits with blanks between their
// groups, a decimal part after '.' or ','. Empty text is no load.
std::optional<double> loadInGroups(std::string_view text) {
    std::string number;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (isBlank(c)) {
            bool betweenGroups = !number.empty() && isDigit(number.back()) &&
                                 number.find('.') == std::string::npos &&
                                 (isDigit(text[i + 1]) || isBlank(text[i + 1]));
            if (!betweenGroups)
                return std::nullopt;
            continue;
        }
        number += c == ',' ? '.' : c;
    }
    if (number.empty())
        return 0.0;
    if (number.find_first_of("eE") != std::string::npos)
        return std::nullopt;
    return parseRealToken(number);
}

// The maximum load as typed, in kVA: the value loadInGroups gives, read directly where it is typed plainly.
std::optional<double> parseLoad(std::string_view text) {
    if (text.empty())
        return 0.0;
    text = withoutBlanks(text);
    if (text.empty())
        return 0.0;
    // Most loads are digits typed plainly, with digits after one '.' or ',' at most. With fewer than 16
    // digits both the digits as a whole number and the power of ten are exact doubles, so their quotient
    // is the correctly rounded value, as the general way gives it, without the copy that way makes.
    std::uint64_t digits = 0;
    std::size_t count = 0, decimals = 0;
    bool point = false, plain = text.size() <= 16;
    for (std::size_t i = 0; plain && i < text.size(); ++i) {
        char c = text[i];
        if (isDigit(c)) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            ++count;
            decimals += point ? 1 : 0;
        } else {
            plain = !point && (c == '.' || c == ',') && i > 0 && i + 1 < text.size();
            point = true;
        }
    }
    if (plain && count <= 15)
        return static_cast<double>(digits) / kPowersOfTen[decimals];
    return loadInGroups(text);
}

// The load-graph code as typed: mostly one or two digits, or nothing, read here without the general way's
// checks.
std::optional<int> parseCode(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    if (text.size() == 1 && isDigit(text[0]))
        return text[0] - '0';
    if (text.size() == 2 && isDigit(text[0]) && isDigit(text[1]))
        return (text[0] - '0') * 10 + (text[1] - '0');
    return parseInteger(trimBlanks(text));
}

bool usable(const TProvoda& wire) {
    return std::isfinite(wire.Tok) && wire.R > 0 && wire.R <= kMaxOhmPerKm && wire.X >= 0 &&
           wire.X <= kMaxOhmPerKm && wire.Tok > 0;
}

bool usable(const TTrans& trans) {
    return trans.S > 0 && trans.U > 0 && trans.U <= 100 && trans.dP >= 0 && trans.dP <= trans.S;
}

// A name of the project in a message.
std::string quoted(std::string_view cp1251) {
    return "«" + cp1251ToUtf8(cp1251) + "»";
}

// The problems of one line, each at its place; remembers whether one of them refuses the scheme.
class LineReport {
public:
    LineReport(const LineTree& tree, std::vector<Problem>& problems) : tree_(tree), problems_(problems) {}

    void add(const char* code, int section, std::string_view node, const std::string& what) {
        problems_.push_back(makeProblem(code, {tree_.name, tree_.index, section, node}, what));
        if (kindOf(code) == ProblemKind::Error)
            failed_ = true;
    }
    bool failed() const { return failed_; }

private:
    const LineTree& tree_;
    std::vector<Problem>& problems_;
    bool failed_ = false;
};

// A problem of a section (S2 to S7), its text built here from the section as typed and as read: only
// a section with a problem needs one, and the reading of the others stays short.
void addSectionProblem(const char* code, const TLine& line, int number, const SectionData& data,
                       const Catalogs& catalogs, LineReport& report) {
    std::string what;
    switch (code[1]) {
    case '2':
        what = "длина участка " + formatReal(line.Dlina) +
               (line.Dlina > 0 ? " км больше 1000 км" : " км не больше 0");
        break;
    case '3': {
        std::string_view wire = withoutBlanks(line.Provod.view());
        what = catalogs.knowsWire(wire)
                   ? "провод " + quoted(wire) +
                         " имеет в справочнике недопустимые данные (r0, x0 или допустимый ток)"
                   : "провода " + quoted(wire) + " нет в справочнике проводов";
        break;
    }
    case '4': {
        auto load = loadInGroups(withoutBlanks(line.Max_Nagr.view()));
        what = "максимальная нагрузка " + quoted(line.Max_Nagr.view()) +
               (!load       ? " не является числом"
                : *load < 0 ? " отрицательна"
                            : " больше 1 000 000 кВА");
        break;
    }
    case '5':
        what = "у нагрузки нет кода графика от 1 до 32 (код " + quoted(line.Gr_Nagr.view()) + ")";
        break;
    case '6':
        what = "трансформатора " + quoted(withoutBlanks(line.Trans.view())) +
               " нет в справочнике (или его данные недопустимы): ток КЗ на стороне 0,4 кВ этой "
               "подстанции не рассчитывается";
        break;
    default:
        what = "максимальная нагрузка " + formatNumber(data.loadKva, Quantity::Power) +
               " кВА больше номинальной мощности трансформатора " + quoted(withoutBlanks(line.Trans.view())) +
               " " + std::to_string(data.transformer->S) + " кВА";
        break;
    }
    report.add(code, number, data.end, what);
}

// A section before its fields are read.
constexpr SectionData kBlankSection{};

inline void readSection(const TLine& line, int number, const Catalogs& catalogs, LineReport& report,
                        SectionData& data) {
    auto problem = [&](const char* code) { addSectionProblem(code, line, number, data, catalogs, report); };
    data.begin = withoutTrailingBlanks(line.L_Begin.view());
    data.end = withoutTrailingBlanks(line.L_End.view());
    data.lengthKm = line.Dlina;
    if (!(line.Dlina > 0 && line.Dlina <= kMaxLengthKm))
        problem("S2");

    // The catalogs take the names as typed, with the blanks at their ends.
    data.wire = catalogs.usableWire(line.Provod.view());
    if (!data.wire)
        problem("S3");

    auto load = parseLoad(line.Max_Nagr.view());
    if (!load || *load < 0 || *load > kMaxLoadKva)
        problem("S4");
    else
        data.loadKva = *load;

    auto code = parseCode(line.Gr_Nagr.view());
    if (code && *code >= 1 && *code <= 32)
        data.code = *code;
    else if (data.loadKva > 0)
        problem("S5");

    if (data.loadKva > 0 && data.code > 0)
        for (Regime regime : {Regime::Day, Regime::Evening})
            data.load[static_cast<int>(regime)] = catalogs.regimeLoad(data.loadKva, data.code, regime);

    data.transformer = catalogs.transformer(line.Trans.view());
    if (data.transformer) {
        data.transformerZ = catalogs.lowVoltageImpedance(*data.transformer);
        data.transformerCorrection = catalogs.correction(*data.transformer);
    } else if (!withoutBlanks(line.Trans.view()).empty()) {
        problem("S6");
    }
    if (data.transformer && data.loadKva > data.transformer->S)
        problem("S7");
}

// Every name the sections use, numbered in the order of their first use (the begin, then the end of each
// section in turn), and the numbers of each section's nodes: the tree is built over these numbers.
struct NodeNames {
    const std::vector<std::string_view>& names; // by their numbers
    const std::vector<int>& begins;
    const std::vector<int>& ends;

    std::size_t size() const { return names.size(); }
    std::string_view name(int id) const { return names[static_cast<std::size_t>(id)]; }
    int begin(std::size_t section) const { return begins[section]; }
    int end(std::size_t section) const { return ends[section]; }
};

// The tree of a line whose sections passed S1 and S8: every node but the head fed by exactly one section,
// every section reachable from the head.
class TreeBuilder {
public:
    TreeBuilder(LineTree& tree, LineReport& report, const NodeNames& names)
        : tree_(tree), report_(report), names_(names) {}

    void build() {
        const auto& sections = tree_.sections;
        excluded_.assign(sections.size(), false);
        feeder_.assign(names_.size(), 0);
        excludeSameNodesAndRepeats();
        chooseHead();
        feedEnds();
        bool connected = checkBegins() && checkReachable();
        if (!report_.failed() && connected)
            makeTree();
    }

    // The position of each numbered name in the tree's nodes: a valid tree's nodes first, then the other
    // names in the order of their first use.
    std::vector<int> positions() {
        position_.resize(names_.size(), -1);
        int next = static_cast<int>(tree_.nodes.size());
        for (int& p : position_)
            if (p < 0)
                p = next++;
        return std::move(position_);
    }

private:
    void excludeSameNodesAndRepeats() {
        std::vector<bool> repeats(tree_.sections.size(), false);
        // A section can repeat another's pair of nodes only where two sections end at the same node.
        std::vector<bool> ended(names_.size(), false);
        bool endRepeats = false;
        for (std::size_t k = 0; k < tree_.sections.size() && !endRepeats; ++k) {
            endRepeats = ended[static_cast<std::size_t>(names_.end(k))];
            ended[static_cast<std::size_t>(names_.end(k))] = true;
        }
        if (endRepeats) {
            // A pair of nodes repeats an earlier section's when it comes after it in the pairs sorted by
            // their nodes and then by section.
            std::vector<std::pair<std::uint64_t, std::size_t>> pairs(tree_.sections.size());
            for (std::size_t k = 0; k < pairs.size(); ++k)
                pairs[k] = {static_cast<std::uint64_t>(names_.begin(k)) << 32 |
                                static_cast<std::uint32_t>(names_.end(k)),
                            k};
            std::sort(pairs.begin(), pairs.end());
            for (std::size_t i = 1; i < pairs.size(); ++i)
                repeats[pairs[i].second] = pairs[i].first == pairs[i - 1].first;
        }
        for (std::size_t k = 0; k < tree_.sections.size(); ++k) {
            const SectionData& s = tree_.sections[k];
            int number = static_cast<int>(k + 1);
            if (names_.begin(k) == names_.end(k)) {
                report_.add("S1", number, s.begin, "начало и конец участка — один и тот же узел");
                excluded_[k] = true;
            } else if (repeats[k]) {
                report_.add("S8", number, s.end,
                            "участок от узла " + quoted(s.begin) + " к этому узлу уже есть в линии");
                excluded_[k] = true;
            }
        }
    }

    void chooseHead() {
        for (std::size_t k = 0; k < tree_.sections.size(); ++k)
            if (tree_.sections[k].begin == tree_.name) {
                head_ = names_.begin(k);
                return;
            }
        head_ = names_.begin(0);
        report_.add("T2", 1, names_.name(head_),
                    "первый участок начинается не в узле с именем линии; началом линии принят узел " +
                        quoted(names_.name(head_)));
    }

    // The 1-based section feeding the node; 0 when none does.
    int& feeder(int node) { return feeder_[static_cast<std::size_t>(node)]; }
    int feeder(int node) const { return feeder_[static_cast<std::size_t>(node)]; }

    void feedEnds() {
        for (std::size_t k = 0; k < tree_.sections.size(); ++k) {
            if (excluded_[k])
                continue;
            const SectionData& s = tree_.sections[k];
            int number = static_cast<int>(k + 1);
            int end = names_.end(k);
            if (end == head_) {
                report_.add("T4", number, s.end, "участок приходит в начало линии (кольцо)");
                excluded_[k] = true;
            } else if (feeder(end) != 0) {
                report_.add("T3", number, s.end,
                            "узел питается от двух участков (кольцо): второй — участок " +
                                std::to_string(feeder(end)));
                excluded_[k] = true;
            } else {
                feeder(end) = number;
            }
        }
    }

    bool checkBegins() {
        bool fine = true;
        rootless_.assign(names_.size(), false);
        for (std::size_t k = 0; k < tree_.sections.size(); ++k) {
            int begin = names_.begin(k);
            if (excluded_[k] || begin == head_ || feeder(begin) != 0)
                continue;
            report_.add("T1", static_cast<int>(k + 1), tree_.sections[k].begin,
                        "участок начинается в узле, который не является ни началом линии, ни концом "
                        "другого участка");
            rootless_[static_cast<std::size_t>(begin)] = true;
            fine = false;
        }
        return fine;
    }

    // The node the section feeding this one begins at; -1 when no section feeds it.
    int up(int node) const {
        int section = feeder(node);
        return section > 0 ? names_.begin(static_cast<std::size_t>(section - 1)) : -1;
    }

    // Without T1, a section that the head cannot reach lies on a closed loop of sections. A node is
    // reached when the path up its feeders ends at the head; each node is walked once.
    bool checkReachable() {
        enum : signed char { Unknown = -1, No = 0, Yes = 1 };
        std::vector<signed char> reached(names_.size(), Unknown);
        reached[static_cast<std::size_t>(head_)] = Yes;
        std::vector<int> path;
        for (std::size_t k = 0; k < tree_.sections.size(); ++k) {
            if (excluded_[k])
                continue;
            int node = names_.end(k);
            path.clear();
            signed char answer = No;
            for (std::size_t steps = 0; steps <= tree_.sections.size() && node >= 0; ++steps) {
                if (reached[static_cast<std::size_t>(node)] != Unknown) {
                    answer = reached[static_cast<std::size_t>(node)];
                    break;
                }
                path.push_back(node);
                node = up(node);
            }
            for (int n : path)
                reached[static_cast<std::size_t>(n)] = answer;
            if (answer == No && !hangsOnRootless(names_.begin(k))) {
                report_.add("T5", static_cast<int>(k + 1), tree_.sections[k].begin,
                            "участки образуют замкнутый контур, не связанный с началом линии " +
                                quoted(names_.name(head_)));
                return false;
            }
        }
        return true;
    }

    bool hangsOnRootless(int node) const {
        for (std::size_t steps = 0; steps <= tree_.sections.size() && node >= 0; ++steps) {
            if (rootless_[static_cast<std::size_t>(node)])
                return true;
            node = up(node);
        }
        return false;
    }

    void makeTree() {
        position_.assign(names_.size(), -1);
        position_[static_cast<std::size_t>(head_)] = 0;
        tree_.nodes.assign(1, names_.name(head_));
        tree_.feedingSection.assign(1, 0);
        for (std::size_t k = 0; k < tree_.sections.size(); ++k)
            if (!excluded_[k]) {
                position_[static_cast<std::size_t>(names_.end(k))] = static_cast<int>(tree_.nodes.size());
                tree_.nodes.push_back(tree_.sections[k].end);
                tree_.feedingSection.push_back(static_cast<int>(k + 1));
            }
        tree_.parent.assign(tree_.nodes.size(), -1);
        for (std::size_t i = 1; i < tree_.nodes.size(); ++i)
            tree_.parent[i] = position_[static_cast<std::size_t>(
                names_.begin(static_cast<std::size_t>(tree_.feedingSection[i] - 1)))];
        tree_.valid = true;
    }

    LineTree& tree_;
    LineReport& report_;
    const NodeNames& names_;
    std::vector<bool> excluded_;
    int head_ = 0;
    std::vector<int> feeder_;
    std::vector<bool> rootless_;
    std::vector<int> position_; // of each numbered name in the tree's nodes
};

} // namespace

std::string_view withoutTrailingBlanks(std::string_view name) {
    while (!name.empty() && isBlank(name.back()))
        name.remove_suffix(1);
    return name;
}

Catalogs::Catalogs(const Inputs& inputs) : coefficients_(inputs.coefficients) {
    if (!inputs.transformers.empty()) {
        firstTransformer_ = &inputs.transformers[1];
        transformerCount_ = static_cast<std::size_t>(inputs.transformers.count());
    }
    wireNames_.reserve(static_cast<std::size_t>(inputs.wires.count()));
    for (const TProvoda& wire : inputs.wires)
        if (wireNames_.intern(withoutBlanks(wire.Name.view())) == static_cast<int>(usableWires_.size()))
            usableWires_.push_back(usable(wire) ? &wire : nullptr);
    transformerNames_.reserve(static_cast<std::size_t>(inputs.transformers.count()));
    for (const TTrans& trans : inputs.transformers) {
        if (transformerNames_.intern(withoutBlanks(trans.Name.view())) ==
            static_cast<int>(usableTransformers_.size()))
            usableTransformers_.push_back(usable(trans) ? &trans : nullptr);
        lowSide_.emplace_back(
            usable(trans) ? transformerImpedance(trans.S, trans.U, trans.dP, kLowVoltageKv) : Complex(),
            usable(trans) ? transformerCorrection(trans.S, trans.U, trans.dP, kLowVoltageMaxFactor) : 1.0);
    }
    for (int code = 1; code <= 32; ++code) {
        const LoadCoefficients& k = coefficients_.forCode(code);
        const double ks[] = {k.kDay, k.kEvening}, cosines[] = {k.cosDay, k.cosEvening};
        for (int regime = 0; regime < 2; ++regime) {
            RegimeFactors& f = factors_[static_cast<std::size_t>(code - 1)][static_cast<std::size_t>(regime)];
            f.k = ks[regime];
            f.cos = cosines[regime];
            f.sin = std::sqrt(std::max(0.0, 1 - f.cos * f.cos));
        }
    }
}

namespace {

// The number of a catalog name typed with blanks at its ends; -1 for any other name not found as typed.
int findTrimmed(const NameIndex& names, std::string_view typed) {
    if (typed.empty() || (!isBlank(typed.front()) && !isBlank(typed.back())))
        return -1;
    return names.find(withoutBlanksAtEnds(typed));
}

} // namespace

const TProvoda* Catalogs::usableWireTrimmed(std::string_view name) const {
    const int id = findTrimmed(wireNames_, name);
    return id >= 0 ? usableWires_[static_cast<std::size_t>(id)] : nullptr;
}

bool Catalogs::knowsWire(std::string_view name) const {
    return wireNames_.find(name) >= 0 || findTrimmed(wireNames_, name) >= 0;
}

const TTrans* Catalogs::transformerTrimmed(std::string_view name) const {
    const int id = findTrimmed(transformerNames_, name);
    return id >= 0 ? usableTransformers_[static_cast<std::size_t>(id)] : nullptr;
}

std::size_t NameHash::operator()(std::string_view name) const noexcept {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = (name.size() + 1) * kMultiplier;
    const char* p = name.data();
    std::size_t left = name.size();
    for (; left >= 8; left -= 8, p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 32;
    }
    // The last bytes: two words of four that may overlap, or the bytes one by one.
    std::uint64_t tail = 0;
    if (left >= 4) {
        std::uint32_t first, last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + left - 4, 4);
        tail = static_cast<std::uint64_t>(first) << 32 | last;
    } else {
        for (std::size_t i = 0; i < left; ++i)
            tail = tail << 8 | static_cast<unsigned char>(p[i]);
    }
    h ^= tail;
    // Every bit of the name reaches the low bits a table keeps.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return static_cast<std::size_t>(h);
}

void PackedNames::reset(std::size_t names) {
    std::size_t slots = 16;
    shift_ = 60;
    while (slots < 2 * names) {
        slots *= 2;
        --shift_;
    }
    slots_.assign(slots, Slot{});
    mask_ = slots - 1;
}

void NameIndex::reserve(std::size_t names) {
    reset(names);
    names_.clear();
    names_.reserve(room());
}

void NameIndex::grow() {
    std::vector<std::string_view> names = std::move(names_);
    reserve(2 * names.size() + 8);
    for (std::string_view n : names)
        intern(n);
}

std::size_t NameIndex::longSlot(std::string_view name, std::uint64_t head) const {
    std::size_t slot = static_cast<std::size_t>(NameHash{}(name) >> shift_);
    for (;; slot = (slot + 1) & mask_) {
        const Slot& s = slots_[slot];
        if (s.empty() ||
            (s.head == head && s.size == name.size() && names_[static_cast<std::size_t>(s.id())] == name))
            return slot;
    }
}

std::size_t NameIndex::slotOf(std::string_view name, std::uint64_t head) const {
    return name.size() > 8 ? longSlot(name, head) : shortSlot(head, name.size());
}

int NameIndex::intern(std::string_view name) {
    if (names_.size() >= room())
        grow();
    const std::uint64_t head = packedHead(name);
    Slot& slot = slots_[slotOf(name, head)];
    if (slot.empty()) {
        names_.push_back(name);
        slot = {head, static_cast<std::uint32_t>(name.size()), static_cast<std::int32_t>(names_.size())};
    }
    return slot.id();
}

void NodeIndex::grow() {
    std::vector<Slot> old = std::move(slots_);
    reset(2 * count_ + 8);
    for (const Slot& s : old)
        if (!s.empty())
            slots_[shortSlot(s.head, s.size)] = s;
}

void NodeIndex::renumber(const std::vector<int>& numbers) {
    for (Slot& s : slots_)
        if (!s.empty())
            s.number = numbers[static_cast<std::size_t>(s.id())] + 1;
}

int LineTree::find(std::string_view node) const {
    return byName_.find(withoutTrailingBlanks(node));
}

// Reads lines one after another, keeping its working room between them.
class LineReader {
public:
    LineTree read(const TSource& source, int sourceNumber, int lineIndex, const Catalogs& catalogs,
                  std::vector<Problem>& problems) {
        LineTree tree;
        tree.line = &source.Lines[lineIndex];
        tree.source = sourceNumber;
        tree.index = lineIndex;
        tree.name = withoutTrailingBlanks(tree.line->Name.view());
        LineReport report(tree, problems);
        const auto count = static_cast<std::size_t>(tree.line->SectionCount());
        if (count == 0) {
            report.add("P5", 0, {}, "нет ни одного участка; линия не рассчитывается");
            return tree;
        }
        // Each section is appended as a blank and read into: a list made at its full size first has every
        // section zeroed on its own by a string-store instruction, which is slow to start.
        tree.sections.reserve(count);
        // A line typed along from its head names one node more than it has sections.
        tree.nodes.reserve(count + 1);
        tree.byName_.reserve(count + 1);
        begins_.resize(count);
        ends_.resize(count);
        bool inOrder = true;
        std::uint64_t lastEnd = 0;
        std::size_t lastEndSize = 0;
        int lastEndId = -1;
        std::size_t k = 0;
        for (const TLine& line : tree.line->Sections) {
            SectionData& s = tree.sections.emplace_back(kBlankSection);
            readSection(line, static_cast<int>(k + 1), catalogs, report, s);
            // Sections are mostly typed one after another along the line: a section then begins where the one
            // before it ends, and that name is numbered already.
            const std::uint64_t begin = packedHead(s.begin), end = packedHead(s.end);
            const int b = k > 0 && begin == lastEnd && s.begin.size() == lastEndSize
                              ? lastEndId
                              : number(tree, s.begin, begin);
            const int e = number(tree, s.end, end);
            begins_[k] = b;
            ends_[k] = e;
            // Each section after the first begins at a node named before it and ends at a node of its own.
            inOrder = inOrder & (b <= static_cast<int>(k)) & (e == static_cast<int>(k + 1));
            lastEnd = end;
            lastEndSize = s.end.size();
            lastEndId = e;
            ++k;
        }
        if (inOrder && tree.sections.front().begin == tree.name)
            buildInOrder(tree, report);
        else
            buildChecked(tree, report);
        return tree;
    }

private:
    static_assert(decltype(TLine::L_Begin)::capacity <= NodeIndex::kLongestName &&
                  decltype(TLine::L_End)::capacity <= NodeIndex::kLongestName);

    // The number of a node's name, given packed: a new one, the name then added to the tree's nodes, when the
    // sections have not used it before.
    static int number(LineTree& tree, std::string_view name, std::uint64_t head) {
        const int id = tree.byName_.intern(head, name.size());
        if (static_cast<std::size_t>(id) == tree.nodes.size())
            tree.nodes.push_back(name);
        return id;
    }

    // Sections typed along the line from its head, as they mostly are: the tree has no problem of its
    // own, the head is numbered 0 and each section's end the number after its own, which is also its
    // place in the tree.
    void buildInOrder(LineTree& tree, const LineReport& report) {
        if (report.failed())
            return;
        const std::size_t count = tree.sections.size();
        tree.parent.resize(count + 1);
        tree.feedingSection.resize(count + 1);
        tree.parent[0] = -1;
        tree.feedingSection[0] = 0;
        for (std::size_t k = 0; k < count; ++k) {
            tree.parent[k + 1] = begins_[k];
            tree.feedingSection[k + 1] = static_cast<int>(k + 1);
        }
        tree.valid = true;
    }

    // Any other line: every check of the tree in turn.
    void buildChecked(LineTree& tree, LineReport& report) {
        std::vector<std::string_view> names = std::move(tree.nodes);
        tree.nodes.clear();
        const NodeNames numbered{names, begins_, ends_};
        TreeBuilder builder(tree, report, numbered);
        builder.build();
        // Every name the sections use, for the look-ups of the modes; a valid tree's nodes first.
        std::vector<int> position = builder.positions();
        tree.nodes.resize(names.size());
        for (std::size_t id = 0; id < names.size(); ++id)
            tree.nodes[static_cast<std::size_t>(position[id])] = names[id];
        tree.byName_.renumber(position);
    }

    std::vector<int> begins_, ends_; // the numbers of each section's nodes
};

LineTree buildLineTree(const TSource& source, int sourceNumber, int lineIndex, const Catalogs& catalogs,
                       std::vector<Problem>& problems) {
    return LineReader().read(source, sourceNumber, lineIndex, catalogs, problems);
}

void checkSource(const TSource& source, std::vector<Problem>& problems) {
    auto add = [&](const char* code, const std::string& what) {
        problems.push_back(makeProblem(code, {}, what));
    };
    double u = source.Napr;
    if (u != 6 && u != 10 && u != 20) {
        Problem p =
            makeProblem("P2", {}, "номинальное напряжение " + formatReal(u) + " кВ не 6, 10 или 20 кВ");
        // Without a positive voltage of a distribution network nothing can be calculated at all.
        if (!(u > 0 && u <= kMaxNominalKv))
            p.kind = ProblemKind::Error;
        problems.push_back(p);
    }
    const double values[] = {source.R_Max, source.X_Max, source.R_Min, source.X_Min};
    bool negative = false, huge = false;
    for (double v : values) {
        negative = negative || !(v >= 0);
        huge = huge || v > kMaxSystemOhm;
    }
    std::complex<double> zMax(source.R_Max, source.X_Max), zMin(source.R_Min, source.X_Min);
    if (negative)
        add("P3", "сопротивление системы отрицательно");
    else if (huge)
        add("P3", "сопротивление системы больше 10 000 Ом");
    else if (std::abs(zMax) == 0 || std::abs(zMin) == 0)
        add("P3", "сопротивление системы в максимальном или минимальном режиме равно нулю");
    else if (std::abs(zMin) < std::abs(zMax))
        add("P4", "сопротивление системы в минимальном режиме меньше, чем в максимальном");
    if (source.LineCount() == 0)
        add("P1", "у источника нет ни одной линии");
}

SourceLines buildSourceLines(const TProect& project, int source, const Catalogs& catalogs) {
    SourceLines lines;
    lines.source = &project.Sources[source];
    lines.number = source;
    checkSource(*lines.source, lines.problems);
    // The source's own errors come first, before its lines are read.
    bool sourceError = std::any_of(lines.problems.begin(), lines.problems.end(),
                                   [](const Problem& p) { return p.kind == ProblemKind::Error; });
    lines.trees.reserve(static_cast<std::size_t>(lines.source->LineCount()));
    bool anyLine = false;
    LineReader reader;
    for (int i = 1; i <= lines.source->LineCount(); ++i) {
        lines.trees.push_back(reader.read(*lines.source, source, i, catalogs, lines.problems));
        anyLine = anyLine || lines.trees.back().valid;
    }
    lines.refused = sourceError || !anyLine;
    return lines;
}

} // namespace k10::calc
