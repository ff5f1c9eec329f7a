#include "schematic/schematic.h"

#include "calc/network_builder.h"
#include "text/codepage.h"
#include "text/number_parse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace k10::schematic {

namespace {

using calc::LineTree;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMinSection = 44;   // the shortest run between two nodes
constexpr double kLabelPad = 6;      // between a section's caption and the ends of its run
constexpr double kGap = 12;          // between pieces side by side
constexpr double kStackGap = 3;      // between a node's square and its texts
constexpr int kStackLines = 2 + kResultLines; // name, results, substation

// One line as a forest of nodes: each node but a root fed by one section of the line.
struct Topology {
    std::vector<std::string_view> names; // cp1251, trailing blanks removed
    std::vector<int> parent;             // -1 for a root
    std::vector<int> section;            // 1-based feeding section; 0 for a root
    std::vector<int> roots;
    std::vector<int> local;              // the node of the calculation's tree; -1 for a line left out
    int unplaced = 0;
};

Topology treeTopology(const LineTree& tree) {
    Topology t;
    const std::size_t n = tree.parent.size();
    for (std::size_t i = 0; i < n; ++i) {
        t.names.push_back(calc::withoutTrailingBlanks(tree.nodes[i]));
        t.parent.push_back(tree.parent[i]);
        t.section.push_back(tree.feedingSection[i]);
        t.local.push_back(static_cast<int>(i));
    }
    if (n > 0)
        t.roots.push_back(0);
    return t;
}

// A line with errors: its sections placed, from its first section's begin node and then from each begin
// node not reached yet, as trees growing along the sections' directions; a section whose end is reached
// already (a ring, a repeated pair, a node fed twice, a section from a node to itself) is not placed.
Topology forestTopology(const TLines& line) {
    Topology t;
    const int count = line.SectionCount();
    std::vector<int> begin(static_cast<std::size_t>(count)), end(static_cast<std::size_t>(count));
    std::unordered_map<std::string_view, int> known;
    auto intern = [&](std::string_view raw) {
        std::string_view name = calc::withoutTrailingBlanks(raw);
        auto [at, added] = known.emplace(name, static_cast<int>(t.names.size()));
        if (added)
            t.names.push_back(name);
        return at->second;
    };
    for (int s = 1; s <= count; ++s) {
        begin[static_cast<std::size_t>(s - 1)] = intern(line.Sections[s].L_Begin.view());
        end[static_cast<std::size_t>(s - 1)] = intern(line.Sections[s].L_End.view());
    }
    const std::size_t n = t.names.size();
    t.parent.assign(n, -1);
    t.section.assign(n, 0);
    t.local.assign(n, -1);
    std::vector<std::vector<int>> out(n);
    for (int s = 0; s < count; ++s)
        out[static_cast<std::size_t>(begin[static_cast<std::size_t>(s)])].push_back(s);
    std::vector<bool> reached(n, false);
    int placed = 0;
    std::vector<int> queue;
    for (int s = 0; s < count; ++s) {
        int root = begin[static_cast<std::size_t>(s)];
        if (reached[static_cast<std::size_t>(root)])
            continue;
        reached[static_cast<std::size_t>(root)] = true;
        t.roots.push_back(root);
        queue.assign(1, root);
        for (std::size_t q = 0; q < queue.size(); ++q)
            for (int k : out[static_cast<std::size_t>(queue[q])]) {
                int e = end[static_cast<std::size_t>(k)];
                if (reached[static_cast<std::size_t>(e)])
                    continue;
                reached[static_cast<std::size_t>(e)] = true;
                t.parent[static_cast<std::size_t>(e)] = queue[q];
                t.section[static_cast<std::size_t>(e)] = k + 1;
                queue.push_back(e);
                ++placed;
            }
    }
    t.unplaced = count - placed;
    return t;
}

std::string utf8(std::string_view cp1251) {
    return cp1251ToUtf8(cp1251);
}

// Lays out one line's forest. Works in the drawing's units; rows are counted from the line's top row.
class LineLayout {
public:
    LineLayout(const Topology& topology, const TLines* line, const TextMetrics& metrics,
               std::vector<DrawnNode>& nodes, std::vector<DrawnSection>& sections, int lineNumber)
        : t_(topology), line_(line), m_(metrics), nodes_(nodes), sections_(sections), lineNumber_(lineNumber) {}

    // Places the forest with its roots at x = headX; returns the number of rows used.
    int place(double headX, double top, double rowHeight, double lineOffset) {
        const std::size_t n = t_.names.size();
        first_ = static_cast<int>(nodes_.size());
        buildChildren();
        describeNodes();
        findTrunks();
        x_.assign(n, 0);
        row_.assign(n, 0);
        offset_.assign(n, 0);
        onTrunk_.assign(n, false);
        placeX(headX);
        int rows = 0;
        for (int root : t_.roots) {
            Block block = layoutBlock(root);
            offset_[static_cast<std::size_t>(root)] = rows;
            rows += static_cast<int>(block.lo.size());
        }
        assignRows();
        // Geometry.
        for (std::size_t i = 0; i < n; ++i) {
            DrawnNode& d = nodes_[static_cast<std::size_t>(first_) + i];
            d.at = {x_[i], top + row_[i] * rowHeight + lineOffset};
            d.box = {d.at.x - kNodeRadius, d.at.y - kNodeRadius, d.at.x + kNodeRadius, d.at.y + kNodeRadius};
            const double left = d.at.x + kNodeRadius + kStackGap;
            d.stack = {left, d.at.y + kNodeRadius + 1, left + stackWidth_[i],
                       d.at.y + kNodeRadius + 1 + stackLines(i) * m_.lineHeight};
            d.trunk = onTrunk_[i];
        }
        for (int v : order_) {
            int p = t_.parent[static_cast<std::size_t>(v)];
            if (p < 0)
                continue;
            const DrawnNode& from = nodes_[static_cast<std::size_t>(first_ + p)];
            const DrawnNode& to = nodes_[static_cast<std::size_t>(first_ + v)];
            DrawnSection s;
            s.line = lineNumber_;
            s.section = t_.section[static_cast<std::size_t>(v)];
            s.from = first_ + p;
            s.to = first_ + v;
            s.label = labels_[static_cast<std::size_t>(v)];
            s.path.push_back(from.at);
            if (to.at.y != from.at.y)
                s.path.push_back({from.at.x, to.at.y});
            s.path.push_back(to.at);
            const double mid = (from.at.x + to.at.x) / 2, w = labelWidth_[static_cast<std::size_t>(v)];
            s.caption = {mid - w / 2, to.at.y - 3 - m_.lineHeight, mid + w / 2, to.at.y - 3};
            sections_.push_back(std::move(s));
        }
        return rows;
    }

    int first() const { return first_; }

private:
    struct Block {
        std::vector<double> lo, hi; // the extent of each row of the block
    };

    int stackLines(std::size_t i) const { return nodes_[static_cast<std::size_t>(first_) + i].transformer.empty() ? kStackLines - 1 : kStackLines; }

    void buildChildren() {
        const std::size_t n = t_.names.size();
        start_.assign(n + 1, 0);
        for (std::size_t i = 0; i < n; ++i)
            if (t_.parent[i] >= 0)
                ++start_[static_cast<std::size_t>(t_.parent[i]) + 1];
        for (std::size_t i = 0; i < n; ++i)
            start_[i + 1] += start_[i];
        children_.assign(start_[n], 0);
        std::vector<int> fill(start_.begin(), start_.end() - 1);
        // Children in the order of their sections.
        std::vector<int> bySection;
        for (std::size_t i = 0; i < n; ++i)
            if (t_.parent[i] >= 0)
                bySection.push_back(static_cast<int>(i));
        std::sort(bySection.begin(), bySection.end(), [&](int a, int b) {
            return t_.section[static_cast<std::size_t>(a)] < t_.section[static_cast<std::size_t>(b)];
        });
        for (int c : bySection)
            children_[static_cast<std::size_t>(fill[static_cast<std::size_t>(t_.parent[static_cast<std::size_t>(c)])]++)] = c;
        // Parents before children, root by root.
        order_.clear();
        for (int root : t_.roots) {
            std::size_t from = order_.size();
            order_.push_back(root);
            for (std::size_t q = from; q < order_.size(); ++q) {
                auto v = static_cast<std::size_t>(order_[q]);
                for (int k = start_[v]; k < start_[v + 1]; ++k)
                    order_.push_back(children_[static_cast<std::size_t>(k)]);
            }
        }
    }

    void describeNodes() {
        const std::size_t n = t_.names.size();
        labels_.assign(n, {});
        labelWidth_.assign(n, 0);
        stackWidth_.assign(n, 0);
        lengthKm_.assign(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            DrawnNode d;
            d.name = utf8(t_.names[i]);
            d.line = lineNumber_;
            d.local = t_.local[i];
            d.section = t_.section[i];
            int s = t_.section[i];
            if (s > 0 && line_) {
                const TLine& data = line_->Sections[s];
                lengthKm_[i] = std::isfinite(data.Dlina) ? std::max(0.0, data.Dlina) : 0;
                labels_[i] = sectionLabel(utf8(trimBlanks(data.Provod.view())), data.Dlina);
                labelWidth_[i] = m_.width(labels_[i]);
                d.transformer = utf8(trimBlanks(data.Trans.view()));
                std::string_view load = trimBlanks(data.Max_Nagr.view());
                if (!load.empty())
                    d.load = utf8(load) + " кВА";
            }
            double w = std::max(m_.width(d.name), m_.resultWidth);
            if (!d.transformer.empty())
                w = std::max(w, kTransformerSymbol + 4 + m_.width(transformerCaption(d)));
            stackWidth_[i] = w;
            nodes_.push_back(std::move(d));
        }
        for (std::size_t i = 0; i < n; ++i)
            if (t_.parent[i] >= 0)
                nodes_[static_cast<std::size_t>(first_) + i].parent = first_ + t_.parent[i];
    }

    // The trunk of each node's subtree: to its farthest node by length, the first such child on a tie.
    void findTrunks() {
        const std::size_t n = t_.names.size();
        far_.assign(n, 0);
        heavy_.assign(n, -1);
        for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
            auto v = static_cast<std::size_t>(*it);
            for (int k = start_[v]; k < start_[v + 1]; ++k) {
                auto c = static_cast<std::size_t>(children_[static_cast<std::size_t>(k)]);
                double reach = lengthKm_[c] + far_[c];
                if (heavy_[v] < 0 || reach > far_[v]) {
                    far_[v] = reach;
                    heavy_[v] = static_cast<int>(c);
                }
            }
        }
    }

    void placeX(double headX) {
        for (int root : t_.roots)
            x_[static_cast<std::size_t>(root)] = headX;
        // order_ holds parents first.
        for (int v : order_) {
            auto p = static_cast<std::size_t>(v);
            for (int k = start_[p]; k < start_[p + 1]; ++k) {
                auto c = static_cast<std::size_t>(children_[static_cast<std::size_t>(k)]);
                double run = std::max(kMinSection, labelWidth_[c] + 2 * kLabelPad);
                if (heavy_[p] == static_cast<int>(c))
                    // On the same row as the parent: clear of the parent's texts.
                    run = std::max(run, 2 * kNodeRadius + kStackGap + stackWidth_[p] + kGap);
                x_[c] = x_[p] + run;
            }
        }
    }

    double rowRight(std::size_t v) const { return x_[v] + kNodeRadius + kStackGap + stackWidth_[v]; }

    // The block of the subtree whose trunk starts at `root`: the trunk on row 0, each branch on the
    // highest rows below where it fits, the branches of the trunk's last node first. A branch only ever
    // has blocks to its right above it, so its drop crosses nothing.
    Block layoutBlock(int root) {
        std::vector<int> trunk;
        for (int v = root; v >= 0; v = heavy_[static_cast<std::size_t>(v)])
            trunk.push_back(v);
        Block block;
        int p = t_.parent[static_cast<std::size_t>(root)];
        double lo = p >= 0 ? x_[static_cast<std::size_t>(p)] : x_[static_cast<std::size_t>(root)] - kNodeRadius;
        double hi = lo;
        for (int v : trunk) {
            onTrunk_[static_cast<std::size_t>(v)] = p < 0; // the line's own trunk
            hi = std::max(hi, rowRight(static_cast<std::size_t>(v)));
        }
        block.lo.push_back(lo);
        block.hi.push_back(hi);
        for (auto it = trunk.rbegin(); it != trunk.rend(); ++it) {
            auto v = static_cast<std::size_t>(*it);
            const double dropX = x_[v];
            for (int k = start_[v]; k < start_[v + 1]; ++k) {
                int c = children_[static_cast<std::size_t>(k)];
                if (c == heavy_[v])
                    continue;
                Block child = layoutBlock(c);
                std::size_t o = 1;
                for (;; ++o) {
                    bool fits = true;
                    for (std::size_t r = 0; r < child.lo.size() && o + r < block.lo.size(); ++r)
                        if (child.hi[r] + kGap > block.lo[o + r]) {
                            fits = false;
                            break;
                        }
                    if (fits)
                        break;
                }
                offset_[static_cast<std::size_t>(c)] = static_cast<int>(o);
                if (block.lo.size() < o + child.lo.size()) {
                    block.lo.resize(o + child.lo.size(), kInf);
                    block.hi.resize(o + child.lo.size(), -kInf);
                }
                for (std::size_t r = 1; r <= o; ++r) {
                    block.lo[r] = std::min(block.lo[r], dropX);
                    block.hi[r] = std::max(block.hi[r], dropX);
                }
                for (std::size_t r = 0; r < child.lo.size(); ++r) {
                    block.lo[o + r] = std::min(block.lo[o + r], child.lo[r]);
                    block.hi[o + r] = std::max(block.hi[o + r], child.hi[r]);
                }
            }
        }
        return block;
    }

    void assignRows() {
        for (int v : order_) {
            auto i = static_cast<std::size_t>(v);
            int p = t_.parent[i];
            if (p < 0)
                row_[i] = offset_[i];
            else if (heavy_[static_cast<std::size_t>(p)] == v)
                row_[i] = row_[static_cast<std::size_t>(p)];
            else
                row_[i] = row_[static_cast<std::size_t>(p)] + offset_[i];
        }
    }

    static std::string transformerCaption(const DrawnNode& d) {
        return d.load.empty() ? d.transformer : d.transformer + ", " + d.load;
    }

    const Topology& t_;
    const TLines* line_;
    const TextMetrics& m_;
    std::vector<DrawnNode>& nodes_;
    std::vector<DrawnSection>& sections_;
    int lineNumber_;
    int first_ = 0;
    std::vector<int> start_, children_, order_, heavy_, row_, offset_;
    std::vector<double> x_, far_, lengthKm_, labelWidth_, stackWidth_;
    std::vector<std::string> labels_;
    std::vector<bool> onTrunk_;
};

std::string key(std::string_view line, std::string_view node) {
    std::string k(line);
    k += '\x1f';
    k += node;
    return k;
}

// The jumper's caption beside its line where it covers no node and no other text: tried along the line
// from its middle outwards, to the right of the line, then to its left, then on it; on the middle when no
// place is free.
Rect jumperCaption(const Schematic& s, Point a, Point b, double w, double lh) {
    auto free = [&s](const Rect& r) {
        for (const DrawnNode& n : s.nodes)
            if (n.box.intersects(r) || n.stack.intersects(r))
                return false;
        for (const DrawnSection& sec : s.sections)
            if (sec.caption.intersects(r))
                return false;
        for (const DrawnLine& l : s.lines)
            if (l.caption.intersects(r))
                return false;
        return true;
    };
    for (double t : {0.5, 0.35, 0.65, 0.2, 0.8, 0.1, 0.9}) {
        const Point p{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        for (Rect r : {Rect{p.x + 6, p.y - lh / 2, p.x + 6 + w, p.y + lh / 2},
                       Rect{p.x - 6 - w, p.y - lh / 2, p.x - 6, p.y + lh / 2},
                       Rect{p.x - w / 2, p.y - lh - 3, p.x + w / 2, p.y - 3}})
            if (free(r))
                return r;
    }
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    return {mid.x - w / 2, mid.y - lh / 2, mid.x + w / 2, mid.y + lh / 2};
}

} // namespace

std::string formatKm(double lengthKm) {
    if (!std::isfinite(lengthKm))
        return "?";
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, lengthKm, std::chars_format::fixed, 3);
    if (error != std::errc())
        return "?";
    std::string text(buffer, end);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    if (text == "-0")
        text = "0";
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string sectionLabel(std::string_view wireUtf8, double lengthKm) {
    std::string length = formatKm(lengthKm) + " км";
    if (wireUtf8.empty())
        return length;
    return std::string(wireUtf8) + ", " + length;
}

int Schematic::findNode(std::string_view line, std::string_view node) const {
    auto found = nodeIndex.find(key(calc::withoutTrailingBlanks(line), calc::withoutTrailingBlanks(node)));
    return found == nodeIndex.end() ? -1 : found->second;
}

int Schematic::findSection(int line, int section) const {
    if (line < 0 || static_cast<std::size_t>(line) >= sectionIndex.size())
        return -1;
    const std::vector<int>& of = sectionIndex[static_cast<std::size_t>(line)];
    return section >= 0 && static_cast<std::size_t>(section) < of.size() ? of[static_cast<std::size_t>(section)] : -1;
}

int Schematic::findLine(int index) const {
    for (std::size_t l = 0; l < lines.size(); ++l)
        if (lines[l].state != LineState::Foreign && lines[l].index == index)
            return static_cast<int>(l);
    return -1;
}

Schematic drawSource(const TProect& project, int source, int mode, const calc::Inputs& inputs,
                     const TextMetrics& metrics) {
    calc::Catalogs catalogs(inputs);
    calc::SourceLines lines = calc::buildSourceLines(project, source, catalogs);
    return drawSourceLines(project, lines, mode, catalogs, metrics);
}

Schematic drawSourceLines(const TProect& project, const calc::SourceLines& lines, int mode,
                          const calc::Catalogs& catalogs, const TextMetrics& metrics) {
    Schematic s;
    const TSource& src = *lines.source;
    s.source = lines.number;
    s.mode = mode;
    s.sourceName = utf8(calc::withoutTrailingBlanks(src.Name.view()));
    s.problems = lines.problems;

    // The mode: built as the calculation builds it, to learn its jumper, opening and de-energised nodes.
    std::vector<LineTree> foreign;
    calc::Scheme scheme;
    bool modeBuilt = false;
    if (mode > 0 && mode <= src.ModeWorkCount()) {
        calc::SchemeBuilder builder;
        modeBuilt = builder.build(project, lines, mode, catalogs, foreign, s.problems, scheme);
        s.modeRefused = !modeBuilt;
    }
    const std::size_t ownTrees = lines.trees.size();
    std::vector<const LineTree*> trees;
    for (const LineTree& t : lines.trees)
        trees.push_back(&t);
    if (modeBuilt)
        for (std::size_t t = ownTrees; t < scheme.trees.size(); ++t)
            trees.push_back(scheme.trees[t]);

    // The first error of each line left out.
    auto errorOf = [&](int index) {
        for (const calc::Problem& p : lines.problems)
            if (p.lineIndex == index && p.kind == calc::ProblemKind::Error)
                return p.code;
        return std::string();
    };

    const double lh = metrics.lineHeight;
    const double rowHeight = lh + 6 + kNodeRadius + kStackLines * lh + 10;
    const double lineOffset = lh + 6; // from a row's top to its line
    double stub = 30;
    std::vector<std::string> captions;
    for (std::size_t t = 0; t < trees.size(); ++t) {
        const LineTree& tree = *trees[t];
        std::string caption = utf8(tree.name);
        if (t >= ownTrees)
            caption += " (" + utf8(calc::withoutTrailingBlanks(project.Sources[tree.source].Name.view())) + ")";
        else if (!tree.valid)
            caption += " — " + errorOf(tree.index);
        if (t < ownTrees)
            stub = std::max(stub, metrics.width(caption) + 2 * kLabelPad);
        captions.push_back(std::move(caption));
    }
    // The source's own lines start together; another source's line as far right as its caption needs.
    auto headXOf = [&](std::size_t t) {
        return s.busX + (t < ownTrees ? stub : std::max(stub, metrics.width(captions[t]) + 2 * kLabelPad));
    };
    double top = 0;
    std::vector<std::vector<int>> drawnOf(trees.size()); // drawn node of each node of the calculation's tree
    for (std::size_t t = 0; t < trees.size(); ++t) {
        const LineTree& tree = *trees[t];
        DrawnLine line;
        line.name = utf8(tree.name);
        line.source = tree.source;
        line.index = tree.index;
        line.state = t >= ownTrees ? LineState::Foreign : tree.valid ? LineState::Calculated : LineState::LeftOut;
        if (line.state == LineState::LeftOut)
            line.errorCode = errorOf(tree.index);
        if (line.state == LineState::Foreign)
            line.sourceName = utf8(calc::withoutTrailingBlanks(project.Sources[tree.source].Name.view()));
        line.label = captions[t];
        Topology topology = tree.valid ? treeTopology(tree) : forestTopology(*tree.line);
        line.unplaced = topology.unplaced;
        LineLayout layout(topology, tree.line, metrics, s.nodes, s.sections, static_cast<int>(s.lines.size()));
        int rows = std::max(1, layout.place(headXOf(t), top, rowHeight, lineOffset));
        line.firstNode = layout.first();
        line.nodeCount = static_cast<int>(topology.names.size());
        line.head = {s.busX, top + lineOffset};
        const double w = metrics.width(line.label);
        line.caption = {s.busX + kLabelPad, line.head.y - 3 - lh, s.busX + kLabelPad + w, line.head.y - 3};
        line.top = top;
        line.bottom = top + rows * rowHeight;
        for (std::size_t i = 0; i < topology.names.size(); ++i)
            if (topology.local[i] >= 0) {
                auto& map = drawnOf[t];
                if (map.size() <= static_cast<std::size_t>(topology.local[i]))
                    map.resize(static_cast<std::size_t>(topology.local[i]) + 1, -1);
                map[static_cast<std::size_t>(topology.local[i])] = line.firstNode + static_cast<int>(i);
            }
        for (std::size_t i = 0; i < topology.names.size(); ++i)
            if (s.nodes[static_cast<std::size_t>(line.firstNode) + i].trunk &&
                s.nodes[static_cast<std::size_t>(line.firstNode) + i].parent >= 0)
                ++line.trunkSections;
        s.lines.push_back(std::move(line));
        top += rows * rowHeight + lh;
    }
    s.busTop = 0;
    s.busBottom = s.lines.empty() ? rowHeight : s.lines.back().head.y;
    for (const DrawnLine& l : s.lines)
        if (l.state != LineState::Foreign)
            s.busBottom = std::max(s.busBottom, l.head.y);
    s.busBottom += kNodeRadius * 2;

    if (modeBuilt) {
        auto drawn = [&](int tree, int local) {
            const auto& map = drawnOf[static_cast<std::size_t>(tree)];
            return local >= 0 && static_cast<std::size_t>(local) < map.size() ? map[static_cast<std::size_t>(local)] : -1;
        };
        for (auto [tree, local] : scheme.deEnergised) {
            int d = drawn(tree, local);
            if (d >= 0)
                s.nodes[static_cast<std::size_t>(d)].deEnergised = true;
        }
        // The sections that carry power in the mode. Of the source's own lines, one that does not and whose
        // upper node still has supply is where the network is opened; of another source's line, one whose
        // lower node the source feeds and whose upper node it does not.
        std::vector<std::vector<bool>> carried(trees.size());
        std::vector<bool> fed(s.nodes.size(), false);
        std::vector<bool> headFed(ownTrees, false);
        for (std::size_t t = 0; t < trees.size(); ++t)
            carried[t].assign(trees[t]->sections.size() + 1, false);
        for (const calc::SchemeNode& node : scheme.nodes) {
            if (node.feed == calc::Feed::Jumper && node.parent >= 0) {
                const calc::SchemeNode& other = scheme.nodes[static_cast<std::size_t>(node.parent)];
                s.hasJumper = true;
                s.jumper.from = drawn(other.tree, other.local);
                s.jumper.to = drawn(node.tree, node.local);
            }
            if (int d = drawn(node.tree, node.local); d >= 0)
                fed[static_cast<std::size_t>(d)] = true;
            if (node.feed == calc::Feed::Head && node.local == 0 && static_cast<std::size_t>(node.tree) < ownTrees)
                headFed[static_cast<std::size_t>(node.tree)] = true;
            if (node.feed == calc::Feed::Section)
                carried[static_cast<std::size_t>(node.tree)][static_cast<std::size_t>(node.section)] = true;
        }
        for (DrawnSection& sec : s.sections) {
            const DrawnLine& l = s.lines[static_cast<std::size_t>(sec.line)];
            if (l.state == LineState::LeftOut || carried[static_cast<std::size_t>(sec.line)][static_cast<std::size_t>(sec.section)])
                continue;
            if (l.state == LineState::Foreign)
                sec.opened = fed[static_cast<std::size_t>(sec.to)] && !fed[static_cast<std::size_t>(sec.from)];
            else
                sec.opened = !s.nodes[static_cast<std::size_t>(sec.from)].deEnergised;
        }
        for (std::size_t t = 0; t < ownTrees; ++t)
            s.lines[t].opened = s.lines[t].state == LineState::Calculated && !headFed[t];
        if (s.hasJumper && s.jumper.from >= 0 && s.jumper.to >= 0) {
            const TModeWork& m = src.ModeWorks[mode];
            std::string wire = utf8(trimBlanks(m.Provod.view()));
            s.jumper.label = "перемычка " + sectionLabel(wire, m.Dlina);
            Point a = s.nodes[static_cast<std::size_t>(s.jumper.from)].at;
            Point b = s.nodes[static_cast<std::size_t>(s.jumper.to)].at;
            s.jumper.path = {a, b};
            s.jumper.caption = jumperCaption(s, a, b, metrics.width(s.jumper.label), lh);
        } else {
            s.hasJumper = false;
        }
    }

    // The look-ups; the first of equal names wins, so the source's own lines before another's.
    s.nodeIndex.reserve(s.nodes.size());
    for (std::size_t i = 0; i < s.nodes.size(); ++i)
        s.nodeIndex.emplace(key(s.lines[static_cast<std::size_t>(s.nodes[i].line)].name, s.nodes[i].name),
                            static_cast<int>(i));
    s.sectionIndex.resize(s.lines.size());
    for (std::size_t i = 0; i < s.sections.size(); ++i) {
        auto& of = s.sectionIndex[static_cast<std::size_t>(s.sections[i].line)];
        auto number = static_cast<std::size_t>(s.sections[i].section);
        if (of.size() <= number)
            of.resize(number + 1, -1);
        of[number] = static_cast<int>(i);
    }

    Rect& b = s.bounds;
    b = {s.busX - 6, s.busTop, s.busX + 6, s.busBottom};
    auto grow = [&b](const Rect& r) {
        if (r.empty())
            return;
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    };
    for (const DrawnLine& l : s.lines)
        grow(l.caption);
    for (const DrawnNode& n : s.nodes) {
        grow(n.box);
        grow(n.stack);
    }
    for (const DrawnSection& sec : s.sections)
        grow(sec.caption);
    if (s.hasJumper)
        grow(s.jumper.caption);
    return s;
}

} // namespace k10::schematic
