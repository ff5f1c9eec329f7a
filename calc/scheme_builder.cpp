// A source's scheme: its lines hung on the busbars, opened at the switched-off node, joined by the jumper
// and walked from the busbars.

#include "calc/network_builder.h"
#include "calc/problems.h"
#include "text/codepage.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace k10::calc {

namespace {

// Marks in a node's parent slot: no parent inside the scheme.
constexpr int kBusbars = -1;     // a head of the source's own lines
constexpr int kOpened = -2;      // the switched-off node: cut from its feeder
constexpr int kOtherSource = -3; // a head of another source's line

std::string quoted(std::string_view cp1251) {
    return "«" + cp1251ToUtf8(cp1251) + "»";
}

// Every line of the project by its name, for the jumpers that reach another source's line: made once for
// all the modes calculated with it. A builder serves one calculation (one call of calculateScheme or
// calculateSchemes), during which the project does not change.
class LineIndex {
public:
    struct Found {
        int sources = 0;           // sources other than the one asked about that have such a line
        int source = 0, line = 0;  // the last of them, and its first line of that name
    };

    Found find(const TProect& project, std::string_view name, int except) {
        if (indexed_ != &project)
            build(project);
        Found found;
        const int id = names_.find(name);
        if (id < 0)
            return found;
        for (int i = first_[static_cast<std::size_t>(id)]; i < first_[static_cast<std::size_t>(id) + 1]; ++i) {
            const Entry& e = lines_[static_cast<std::size_t>(i)];
            if (e.source != except && e.source != found.source) {
                ++found.sources;
                found.source = e.source;
                found.line = e.line;
            }
        }
        return found;
    }

private:
    struct Entry {
        int name, source, line;
    };

    void build(const TProect& project) {
        std::size_t count = 0;
        for (int s = 1; s <= project.SourceCount(); ++s)
            count += static_cast<std::size_t>(project.Sources[s].LineCount());
        std::vector<Entry> entries;
        entries.reserve(count);
        names_ = NameIndex();
        names_.reserve(count);
        for (int s = 1; s <= project.SourceCount(); ++s) {
            const TSource& source = project.Sources[s];
            for (int l = 1; l <= source.LineCount(); ++l)
                entries.push_back({names_.intern(withoutTrailingBlanks(source.Lines[l].Name.view())), s, l});
        }
        // By name, and within a name by source and line, as they came: the lines of name i are
        // [first_[i], first_[i + 1]).
        first_.assign(names_.size() + 1, 0);
        for (const Entry& e : entries)
            ++first_[static_cast<std::size_t>(e.name) + 1];
        for (std::size_t i = 1; i < first_.size(); ++i)
            first_[i] += first_[i - 1];
        lines_.resize(entries.size());
        std::vector<int> next(first_.begin(), first_.end() - 1);
        for (const Entry& e : entries)
            lines_[static_cast<std::size_t>(next[static_cast<std::size_t>(e.name)]++)] = e;
        indexed_ = &project;
    }

    const TProect* indexed_ = nullptr;
    NameIndex names_;
    std::vector<int> first_;
    std::vector<Entry> lines_;
};

// The mode's look-ups and checks (M1 to M9).
class ModeReader {
public:
    ModeReader(const TProect& project, const SourceLines& lines, const TModeWork& mode,
               const Catalogs& catalogs, LineIndex& index, std::vector<LineTree>& foreign,
               std::vector<Problem>& problems)
        : project_(project), lines_(lines), mode_(mode), catalogs_(catalogs), index_(index), foreign_(foreign),
          problems_(problems) {}

    bool read() {
        if (!loadFactorOf(mode_))
            add("M8", {}, "изменение нагрузки " + formatReal(mode_.Izm_Nagr) + " % не больше −100 %");
        readJumper();
        readSwitchedOff();
        return !failed_;
    }

    const std::vector<const LineTree*>& trees() const { return trees_; }
    bool hasJumper() const { return jumper_.fromTree >= 0; }
    const ModeJumper& jumper() const { return jumper_; }
    int offTree() const { return offTree_; }
    int offNode() const { return offNode_; }

private:
    void add(const char* code, const Place& place, const std::string& what) {
        problems_.push_back(makeProblem(code, place, what));
        failed_ = failed_ || kindOf(code) == ProblemKind::Error;
    }

    Place placeOf(int tree, std::string_view node) const {
        if (tree < 0)
            return {{}, 0, 0, node};
        const LineTree& t = *trees_[static_cast<std::size_t>(tree)];
        return {t.name, t.source == lines_.number ? t.index : 0, 0, node};
    }

    int ownLine(std::string_view name) const {
        name = withoutTrailingBlanks(name);
        for (std::size_t i = 0; i < lines_.trees.size(); ++i)
            if (lines_.trees[i].name == name)
                return static_cast<int>(i);
        return -1;
    }

    // L_End: a line of this source, or of exactly one other source (built then). -1 when none; -2 when
    // several sources have such a line.
    int endLine() {
        std::string_view name = withoutTrailingBlanks(mode_.L_End.view());
        if (name.empty())
            return -1;
        int own = ownLine(name);
        LineIndex::Found other = index_.find(project_, name, lines_.number);
        int otherSource = other.source, otherLine = other.line, sources = (own >= 0 ? 1 : 0) + other.sources;
        if (sources > 1)
            return -2;
        if (own >= 0)
            return own;
        if (sources == 0)
            return -1;
        std::vector<Problem> foreignProblems;
        foreign_.push_back(
            buildLineTree(project_.Sources[otherSource], otherSource, otherLine, catalogs_, foreignProblems));
        // Its warnings are listed. An error of its own leaves it out, which the schemes of its own source
        // report; here it refuses the mode only when the mode touches the line, as M9.
        for (Problem& p : foreignProblems)
            if (p.kind == ProblemKind::Warning) {
                p.lineIndex = 0;
                problems_.push_back(std::move(p));
            }
        trees_.push_back(&foreign_.back());
        return static_cast<int>(trees_.size()) - 1;
    }

    void readJumper() {
        std::string_view from = withoutTrailingBlanks(mode_.Uzel_Begin.view());
        std::string_view to = withoutTrailingBlanks(mode_.Uzel_End.view());
        endTree_ = endLine();
        if (from.empty() && to.empty())
            return;
        if (from.empty() || to.empty()) {
            add("M1", placeOf(ownLine(mode_.L_Begin.view()), {}),
                "перемычка задана только одним узлом: " + quoted(from.empty() ? to : from));
            return;
        }
        int fromTree = ownLine(mode_.L_Begin.view());
        if (fromTree < 0)
            add("M3", {},
                "у источника нет линии " + quoted(mode_.L_Begin.view()) + ", от которой идёт перемычка");
        if (endTree_ == -1)
            add("M3", {}, "нет линии " + quoted(mode_.L_End.view()) + ", к которой идёт перемычка");
        if (endTree_ == -2)
            add("M3", {},
                "линия " + quoted(mode_.L_End.view()) +
                    ", к которой идёт перемычка, есть у нескольких источников");
        if (fromTree < 0 || endTree_ < 0)
            return;
        // A jumper to or from a line left out for its errors has nothing to join (M9 only, no M2 beside).
        bool leftOut = false;
        for (int tree : {fromTree, endTree_})
            if (!trees_[static_cast<std::size_t>(tree)]->valid && !(leftOut && tree == fromTree)) {
                add("M9", placeOf(tree, {}),
                    std::string(tree == fromTree ? "от этой линии идёт перемычка" : "к этой линии идёт перемычка") +
                        ", а линия не рассчитывается из-за ошибок в ней");
                leftOut = true;
            }
        if (leftOut)
            return;
        const LineTree& toLine = *trees_[static_cast<std::size_t>(endTree_)];
        double otherKv = project_.Sources[toLine.source].Napr;
        if (otherKv != lines_.source->Napr)
            add("M5", placeOf(endTree_, {}),
                "перемычка соединяет сети разного напряжения: " + formatReal(lines_.source->Napr) + " и " +
                    formatReal(otherKv) + " кВ");
        ModeJumper jumper{fromTree,    trees_[static_cast<std::size_t>(fromTree)]->find(from),
                          endTree_,    toLine.find(to),
                          mode_.Dlina, nullptr};
        if (jumper.fromNode < 0)
            add("M2", placeOf(fromTree, from), "узла перемычки нет на линии");
        if (jumper.toNode < 0)
            add("M2", placeOf(endTree_, to), "узла перемычки нет на линии");
        if (readJumperWire(jumper) && jumper.fromNode >= 0 && jumper.toNode >= 0)
            jumper_ = jumper;
    }

    bool readJumperWire(ModeJumper& jumper) {
        std::string_view wire = trimBlanks(mode_.Provod.view());
        if (!(mode_.Dlina >= 0 && mode_.Dlina <= kMaxLengthKm)) {
            add("M4", placeOf(jumper.fromTree, {}),
                "длина перемычки " + formatReal(mode_.Dlina) +
                    (mode_.Dlina > 0 ? " км больше 1000 км" : " км меньше 0"));
            return false;
        }
        if (wire.empty() && mode_.Dlina == 0)
            return true; // a switch
        jumper.wire = catalogs_.usableWire(wire);
        if (!jumper.wire)
            add("M4", placeOf(jumper.fromTree, {}),
                wire.empty() ? "у перемычки длиной " + formatReal(mode_.Dlina) + " км не задан провод"
                             : "провода перемычки " + quoted(wire) +
                                   " нет в справочнике (или его данные недопустимы)");
        return jumper.wire != nullptr;
    }

    void readSwitchedOff() {
        std::string_view off = withoutTrailingBlanks(mode_.Uzel_Off.view());
        if (off.empty())
            return;
        auto lookIn = [&](int tree) {
            if (tree < 0 || offTree_ >= 0)
                return;
            int node = trees_[static_cast<std::size_t>(tree)]->find(off);
            if (node >= 0) {
                offTree_ = tree;
                offNode_ = node;
            }
        };
        lookIn(endTree_);
        int beginTree = ownLine(mode_.L_Begin.view());
        lookIn(beginTree);
        if (offTree_ >= 0)
            return leftOutOffLine(off);
        int found = 0;
        for (std::size_t t = 0; t < lines_.trees.size(); ++t) {
            if (static_cast<int>(t) == endTree_ || static_cast<int>(t) == beginTree)
                continue;
            int node = lines_.trees[t].find(off);
            if (node >= 0 && ++found == 1) {
                offTree_ = static_cast<int>(t);
                offNode_ = node;
            }
        }
        if (found == 1)
            return leftOutOffLine(off);
        offTree_ = -1;
        add("M6", {{}, 0, 0, off},
            found == 0 ? "отключаемый узел не найден ни на одной линии источника"
                       : "отключаемый узел есть на нескольких линиях источника: неясно, какой отключить");
    }

    // The switched-off node lies on a line left out for its errors: the mode cannot open it (M9).
    void leftOutOffLine(std::string_view off) {
        if (trees_[static_cast<std::size_t>(offTree_)]->valid)
            return;
        add("M9", placeOf(offTree_, off), "на этой линии отключаемый узел, а линия не рассчитывается из-за ошибок в ней");
        offTree_ = -1;
    }

    const TProect& project_;
    const SourceLines& lines_;
    const TModeWork& mode_;
    const Catalogs& catalogs_;
    LineIndex& index_;
    std::vector<LineTree>& foreign_;
    std::vector<Problem>& problems_;
    std::vector<const LineTree*> trees_ = ownTrees();
    ModeJumper jumper_;
    int endTree_ = -1, offTree_ = -1, offNode_ = -1;
    bool failed_ = false;

    std::vector<const LineTree*> ownTrees() const {
        std::vector<const LineTree*> trees;
        for (const LineTree& t : lines_.trees)
            trees.push_back(&t);
        return trees;
    }
};

// The network as parent links over the nodes of all the scheme's trees, numbered tree after tree. Its
// lists keep their room from one scheme to the next.
class Links {
public:
    // The trees `included` marks (all without it); the others get no nodes.
    void reset(const std::vector<const LineTree*>& trees, int ownTrees, const std::vector<bool>* included) {
        offset_.clear();
        parent_.clear();
        feed_.clear();
        section_.clear();
        where_.clear();
        for (std::size_t t = 0; t < trees.size(); ++t) {
            offset_.push_back(static_cast<int>(parent_.size()));
            if (included && !(*included)[t])
                continue;
            const LineTree& tree = *trees[t];
            for (std::size_t i = 0; i < tree.parent.size(); ++i) {
                int p = tree.parent[i];
                parent_.push_back(p >= 0 ? offset_.back() + p
                                         : (static_cast<int>(t) < ownTrees ? kBusbars : kOtherSource));
                feed_.push_back(p >= 0 ? Feed::Section : Feed::Head);
                section_.push_back(tree.feedingSection[i]);
                where_.push_back({static_cast<int>(t), static_cast<int>(i)});
            }
        }
    }

    int node(int tree, int local) const { return offset_[static_cast<std::size_t>(tree)] + local; }
    std::size_t size() const { return parent_.size(); }

    void open(int node) { parent_[static_cast<std::size_t>(node)] = kOpened; }

    // The mark at the top of the node's path: kBusbars, kOpened or kOtherSource.
    int feederOf(int node) const {
        while (node >= 0)
            node = parent_[static_cast<std::size_t>(node)];
        return node;
    }

    // Feeds the opened part holding `node` from `from` through the jumper: the path from the node up to the
    // opening turns round.
    void feedThroughJumper(int node, int from) {
        int child = from;
        Feed feed = Feed::Jumper;
        int section = 0;
        for (;;) {
            auto i = static_cast<std::size_t>(node);
            int up = parent_[i];
            int ownSection = section_[i];
            parent_[i] = child;
            feed_[i] = feed;
            section_[i] = section;
            if (up == kOpened)
                return;
            // The section that fed this node now feeds its former parent.
            child = node;
            feed = Feed::Section;
            section = ownSection;
            node = up;
        }
    }

    // The nodes fed from the busbars, parents first: heads in the order of the lines, then depth first.
    const std::vector<int>& walkFromBusbars() {
        std::size_t n = parent_.size();
        start_.assign(n + 2, 0);
        std::vector<int>& start = start_;
        for (int p : parent_)
            if (p >= kBusbars)
                ++start[static_cast<std::size_t>(p + 1) + 1];
        for (std::size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        children_.resize(n);
        fill_.assign(start.begin(), start.end() - 1);
        std::vector<int>&children = children_, &fill = fill_;
        for (std::size_t i = 0; i < n; ++i)
            if (parent_[i] >= kBusbars)
                children[static_cast<std::size_t>(fill[static_cast<std::size_t>(parent_[i] + 1)]++)] =
                    static_cast<int>(i);
        std::vector<int>&order = order_, &stack = stack_;
        order.clear();
        stack.clear();
        auto pushChildren = [&](int node) {
            auto slot = static_cast<std::size_t>(node + 1);
            for (int c = start[slot + 1]; c-- > start[slot];)
                stack.push_back(children[static_cast<std::size_t>(c)]);
        };
        pushChildren(kBusbars);
        while (!stack.empty()) {
            int node = stack.back();
            stack.pop_back();
            order.push_back(node);
            pushChildren(node);
        }
        return order;
    }

    int parent(int node) const { return parent_[static_cast<std::size_t>(node)]; }
    Feed feed(int node) const { return feed_[static_cast<std::size_t>(node)]; }
    int section(int node) const { return section_[static_cast<std::size_t>(node)]; }
    std::pair<int, int> where(int node) const { return where_[static_cast<std::size_t>(node)]; }

private:
    std::vector<int> offset_;
    std::vector<int> parent_;
    std::vector<Feed> feed_;
    std::vector<int> section_;
    std::vector<std::pair<int, int>> where_;
    std::vector<int> start_, children_, fill_, order_, stack_; // of the walk
};

Complex impedance(const TProvoda* wire, double lengthKm) {
    return wire ? Complex(wire->R, wire->X) * lengthKm : Complex();
}

// Fills `nodes` with the scheme's nodes in the order of the walk, and the scheme's de-energised nodes.
// `position` is scratch room.
void fillNodes(Scheme& scheme, std::vector<SchemeNode>& nodes, const Links& links, const std::vector<int>& order,
               const ModeJumper* jumper, int ownTrees, std::vector<int>& position) {
    position.assign(links.size(), -1);
    nodes.clear();
    nodes.reserve(order.size());
    for (int g : order) {
        auto [t, local] = links.where(g);
        const LineTree& tree = *scheme.trees[static_cast<std::size_t>(t)];
        SchemeNode node;
        node.tree = t;
        node.local = local;
        int parent = links.parent(g);
        node.parent = parent >= 0 ? position[static_cast<std::size_t>(parent)] : -1;
        node.feed = links.feed(g);
        node.section = links.section(g);
        if (node.feed == Feed::Section) {
            const SectionData& s = tree.sections[static_cast<std::size_t>(node.section - 1)];
            node.wire = s.wire;
            node.lengthKm = s.lengthKm;
        } else if (node.feed == Feed::Jumper) {
            node.wire = jumper->wire;
            node.lengthKm = jumper->lengthKm;
        }
        node.z = impedance(node.wire, node.lengthKm);
        int own = tree.feedingSection[static_cast<std::size_t>(local)];
        node.own = own > 0 ? &tree.sections[static_cast<std::size_t>(own - 1)] : nullptr;
        if (node.own) {
            node.transformer = node.own->transformer;
            node.load[0] = node.own->load[0];
            node.load[1] = node.own->load[1];
        }
        position[static_cast<std::size_t>(g)] = static_cast<int>(nodes.size());
        nodes.push_back(node);
    }
    for (std::size_t g = 0; g < links.size(); ++g)
        if (position[g] < 0 && links.where(static_cast<int>(g)).first < ownTrees)
            scheme.deEnergised.push_back(links.where(static_cast<int>(g)));
}

// A line's nodes depth first from its head, the children of a node in the order of their sections: the
// order of the line's part in the normal scheme. Its lists keep their room from one line to the next.
class LineWalk {
public:
    // Starts a walk over the line's nodes from its head, node 0.
    void start(const LineTree& tree) {
        parent_ = &tree.parent;
        const std::vector<int>& parent = tree.parent;
        const std::size_t n = parent.size();
        firstChild_.assign(n, -1);
        nextSibling_.resize(n);
        // Linked from the last node back, the children of each node come in the order of their sections.
        for (std::size_t i = n; i-- > 1;) {
            auto p = static_cast<std::size_t>(parent[i]);
            nextSibling_[i] = firstChild_[p];
            firstChild_[p] = static_cast<int>(i);
        }
        place_.resize(n);
    }

    // The node after `node` in the walk; -1 after the last.
    int next(int node) const {
        if (firstChild_[static_cast<std::size_t>(node)] >= 0)
            return firstChild_[static_cast<std::size_t>(node)];
        // Back up to the nearest node with a next sibling; at the head the walk is over.
        while (node > 0 && nextSibling_[static_cast<std::size_t>(node)] < 0)
            node = (*parent_)[static_cast<std::size_t>(node)];
        return node > 0 ? nextSibling_[static_cast<std::size_t>(node)] : -1;
    }

    // Where the walk's user put each node.
    int& place(int node) { return place_[static_cast<std::size_t>(node)]; }

private:
    const std::vector<int>* parent_ = nullptr;
    std::vector<int> firstChild_, nextSibling_, place_;
};

// Appends the normal scheme's part of line `t`, fed from the busbars: each node fed by the section that
// ends at it, whose data are the node's own.
void appendLine(Scheme& scheme, int t, LineWalk& walk) {
    const LineTree& tree = *scheme.trees[static_cast<std::size_t>(t)];
    walk.start(tree);
    walk.place(0) = static_cast<int>(scheme.nodes.size());
    SchemeNode& head = scheme.nodes.emplace_back();
    head.tree = t;
    head.local = 0;
    for (int local = walk.next(0); local >= 0; local = walk.next(local)) {
        walk.place(local) = static_cast<int>(scheme.nodes.size());
        const int section = tree.feedingSection[static_cast<std::size_t>(local)];
        const SectionData& s = tree.sections[static_cast<std::size_t>(section - 1)];
        scheme.nodes.push_back({.tree = t,
                                .local = local,
                                .parent = walk.place(tree.parent[static_cast<std::size_t>(local)]),
                                .feed = Feed::Section,
                                .section = section,
                                .z = impedance(s.wire, s.lengthKm),
                                .lengthKm = s.lengthKm,
                                .wire = s.wire,
                                .own = &s,
                                .transformer = s.transformer,
                                .load = {s.load[0], s.load[1]}});
    }
}

// Copies the part of a line, nodes [first, last) of `from`, to the scheme's nodes from `at` on, keeping their
// links; their places in the normal scheme from `normalFirst` on, -1 when they are not from there.
void copyPart(Scheme& scheme, std::size_t at, const std::vector<SchemeNode>& from, int first, int last,
              int normalFirst) {
    if (first == last) // a line left out, or cut from the busbars
        return;
    const int shift = static_cast<int>(at) - first;
    const auto head = scheme.nodes.begin() + static_cast<long>(at);
    auto to = head;
    for (auto node = from.begin() + first; node != from.begin() + last; ++node, ++to) {
        *to = *node;
        to->parent += shift;
    }
    head->parent = -1; // the part's first node is its head, the only one fed from the busbars
    const auto index = scheme.normalIndex.begin() + static_cast<long>(at);
    if (normalFirst >= 0)
        std::iota(index, index + (last - first), normalFirst);
    else
        std::fill(index, index + (last - first), -1);
}

} // namespace

std::optional<double> loadFactorOf(const TModeWork& mode) {
    if (!(std::isfinite(mode.Izm_Nagr) && mode.Izm_Nagr > -100))
        return std::nullopt;
    return 1 + mode.Izm_Nagr / 100;
}

void NormalScheme::findParts() {
    part.assign(scheme.trees.size(), {0, 0});
    const int n = static_cast<int>(scheme.nodes.size());
    for (int i = 0; i < n;) {
        int end = i + 1;
        while (end < n && scheme.nodes[static_cast<std::size_t>(end)].parent >= 0)
            ++end;
        part[static_cast<std::size_t>(scheme.nodes[static_cast<std::size_t>(i)].tree)] = {i, end};
        i = end;
    }
}

struct SchemeBuilder::Room {
    LineWalk lineWalk;
    Links links;
    std::vector<int> position;
    LineIndex lineIndex;
    std::vector<bool> touched;
    std::vector<SchemeNode> walked;
    std::vector<std::pair<int, int>> walkedPart; // of each tree whose head the walk reached
};

SchemeBuilder::SchemeBuilder() : room_(std::make_unique<Room>()) {}

SchemeBuilder::~SchemeBuilder() = default;

bool SchemeBuilder::build(const TProect& project, const SourceLines& lines, int mode, const Catalogs& catalogs,
                          std::vector<LineTree>& foreign, std::vector<Problem>& problems, Scheme& scheme,
                          const NormalScheme* normal) {
    scheme.trees.clear();
    scheme.deEnergised.clear();
    scheme.loadFactor = 1;
    // A mode built with the normal scheme at hand overwrites the previous scheme's nodes in place, which
    // spares making them anew; any other scheme, and a refused one, starts from no nodes.
    auto empty = [&scheme] {
        scheme.nodes.clear();
        scheme.normalIndex.clear();
    };
    if (mode == 0 || !normal)
        empty();
    auto refuse = [&] {
        empty();
        return false;
    };
    Room& room = *room_;
    Links& links = room.links;
    const int ownTrees = static_cast<int>(lines.trees.size());
    if (mode == 0) {
        if (lines.refused)
            return false;
        // Every line is a tree hung on the busbars: walked line by line.
        std::size_t nodes = 0;
        for (const LineTree& t : lines.trees) {
            scheme.trees.push_back(&t);
            nodes += t.valid ? t.parent.size() : 0;
        }
        scheme.nodes.reserve(nodes);
        for (int t = 0; t < ownTrees; ++t)
            if (lines.trees[static_cast<std::size_t>(t)].valid)
                appendLine(scheme, t, room.lineWalk);
        return true;
    }

    const TModeWork& m = lines.source->ModeWorks[mode];
    ModeReader reader(project, lines, m, catalogs, room.lineIndex, foreign, problems);
    if (!reader.read() || lines.refused)
        return refuse();
    scheme.trees = reader.trees();
    scheme.loadFactor = *loadFactorOf(m); // M8 has refused the mode otherwise
    // Only the lines the mode touches are walked anew when the normal scheme is at hand: the jumper's,
    // the switched-off node's and another source's line.
    std::vector<bool>& touched = room.touched;
    touched.assign(scheme.trees.size(), normal == nullptr);
    for (std::size_t t = static_cast<std::size_t>(ownTrees); t < touched.size(); ++t)
        touched[t] = true;
    if (reader.hasJumper())
        touched[static_cast<std::size_t>(reader.jumper().fromTree)] =
            touched[static_cast<std::size_t>(reader.jumper().toTree)] = true;
    if (reader.offTree() >= 0)
        touched[static_cast<std::size_t>(reader.offTree())] = true;
    links.reset(scheme.trees, ownTrees, &touched);
    if (reader.offTree() >= 0)
        links.open(links.node(reader.offTree(), reader.offNode()));
    if (reader.hasJumper()) {
        const ModeJumper& j = reader.jumper();
        int from = links.node(j.fromTree, j.fromNode), to = links.node(j.toTree, j.toNode);
        bool fromFed = links.feederOf(from) != kOpened, toFed = links.feederOf(to) != kOpened;
        if (fromFed && toFed) {
            const LineTree& end = *scheme.trees[static_cast<std::size_t>(j.toTree)];
            problems.push_back(makeProblem("M7",
                                           {end.name, end.source == lines.number ? end.index : 0, 0,
                                            end.nodes[static_cast<std::size_t>(j.toNode)]},
                                           "перемычка замыкает кольцо: оба её узла получают питание"));
            return refuse();
        }
        if (fromFed != toFed)
            fromFed ? links.feedThroughJumper(to, from) : links.feedThroughJumper(from, to);
    }
    const ModeJumper* jumper = reader.hasJumper() ? &reader.jumper() : nullptr;
    if (!normal) {
        fillNodes(scheme, scheme.nodes, links, links.walkFromBusbars(), jumper, ownTrees, room.position);
        return true;
    }
    // The walk puts every head it reaches with its part of the network after it; the lines in their order
    // then take either that part or, untouched, their part of the normal scheme.
    fillNodes(scheme, room.walked, links, links.walkFromBusbars(), jumper, ownTrees, room.position);
    room.walkedPart.assign(scheme.trees.size(), {0, 0});
    const int walked = static_cast<int>(room.walked.size());
    for (int i = 0; i < walked;) {
        int end = i + 1;
        while (end < walked && room.walked[static_cast<std::size_t>(end)].parent >= 0)
            ++end;
        room.walkedPart[static_cast<std::size_t>(room.walked[static_cast<std::size_t>(i)].tree)] = {i, end};
        i = end;
    }
    // The parts are copied over the previous scheme's nodes: a node left from there costs no making anew.
    auto partOf = [&](std::size_t t) { return touched[t] ? room.walkedPart[t] : normal->part[t]; };
    std::size_t size = 0;
    for (std::size_t t = 0; t < static_cast<std::size_t>(ownTrees); ++t)
        size += static_cast<std::size_t>(partOf(t).second - partOf(t).first);
    scheme.nodes.resize(size);
    scheme.normalIndex.resize(size);
    std::size_t at = 0;
    for (std::size_t t = 0; t < static_cast<std::size_t>(ownTrees); ++t) {
        auto [first, last] = partOf(t);
        copyPart(scheme, at, touched[t] ? room.walked : normal->scheme.nodes, first, last, touched[t] ? -1 : first);
        at += static_cast<std::size_t>(last - first);
    }
    return true;
}

} // namespace k10::calc
