// The layout of the network diagram: its invariants on the sample's schemes and on random trees, and the
// marks of a mode.

#include "support/calc_projects.h"

#include "model/project_file.h"
#include "schematic/schematic.h"
#include "text/codepage.h"

#include <QTest>

#include <map>
#include <random>

using namespace k10::schematic;
using k10test::CalcProject;
using k10test::Sec;

namespace {

// Text widths as a fixed width per character, as a font without the window would give.
TextMetrics testMetrics() {
    TextMetrics m;
    m.width = [](std::string_view utf8) {
        double chars = 0;
        for (unsigned char c : utf8)
            chars += (c & 0xC0) != 0x80;
        return 6.5 * chars;
    };
    m.lineHeight = 14;
    m.resultWidth = 110;
    return m;
}

// A source of `lines` random trees of `sections` sections each: every section hangs on a node made
// before it, some nodes carry a substation.
CalcProject randomProject(unsigned seed, int lines, int sections) {
    CalcProject c;
    std::mt19937 random(seed);
    TSource& s = c.addSource("Случайная", 10);
    const char* wires[] = {"АС-35", "АС-50", "АС-70", "ААБ-3х95"};
    for (int l = 1; l <= lines; ++l) {
        std::vector<Sec> secs;
        std::string prefix = std::to_string(l) + "-";
        for (int k = 1; k <= sections; ++k) {
            // Mostly near the newest nodes, so that trunks grow long and branches branch again.
            int from = k == 1 ? 0 : std::max(0, k - 1 - int(random() % std::min(k, 6 + int(random() % 20))));
            Sec sec;
            sec.begin = from == 0 ? "Г" + std::to_string(l) : prefix + std::to_string(from);
            sec.end = prefix + std::to_string(k);
            sec.km = double(random() % 300) / 100;
            sec.wire = wires[random() % 4];
            if (random() % 3 == 0)
                sec.trans = "ТМ-160";
            secs.push_back(sec);
        }
        c.addLine(s, "Л" + std::to_string(l), secs);
    }
    return c;
}

std::vector<std::pair<Rect, std::string>> texts(const Schematic& d) {
    std::vector<std::pair<Rect, std::string>> all;
    for (const DrawnNode& n : d.nodes) {
        all.push_back({n.box, "box " + n.name});
        all.push_back({n.stack, "texts " + n.name});
    }
    for (const DrawnSection& s : d.sections)
        all.push_back({s.caption, "caption " + s.label});
    for (const DrawnLine& l : d.lines)
        all.push_back({l.caption, "line " + l.name});
    if (d.hasJumper)
        all.push_back({d.jumper.caption, d.jumper.label});
    return all;
}

} // namespace

class TestSchematic : public QObject {
    Q_OBJECT

private slots:
    void layoutInvariants_data();
    void layoutInvariants();
    void modeMarks();
    void lengths_data();
    void lengths();
};

void TestSchematic::layoutInvariants_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("mode");
    for (int source = 1; source <= 3; ++source)
        QTest::addRow("sample source %d", source) << "sample" << 0 << source << 0;
    QTest::newRow("sample source 1 mode 1") << "sample" << 0 << 1 << 1;
    QTest::newRow("sample source 1 mode 2") << "sample" << 0 << 1 << 2;
    for (int seed = 1; seed <= 6; ++seed)
        QTest::addRow("random %d", seed) << "random" << seed << 1 << 0;
    QTest::newRow("one line of 100 sections") << "random" << 100 << 1 << 0;
}

void TestSchematic::layoutInvariants() {
    QFETCH(QString, kind);
    QFETCH(int, seed);
    QFETCH(int, source);
    QFETCH(int, mode);
    CalcProject c;
    if (kind == "sample")
        c.project = k10::readProject(K10_SOURCE_DIR "/data/sample.k10");
    else
        c = seed == 100 ? randomProject(7, 1, 100) : randomProject(unsigned(seed), 1 + seed % 3, 20 + 13 * seed);
    const Schematic d = drawSource(c.project, source, mode, c.inputs(), testMetrics());
    const TSource& src = c.project.Sources[source];
    QVERIFY(!d.modeRefused);

    // Every section of every line drawn once, from its begin node to its end node, in right angles.
    std::map<std::pair<int, int>, int> drawn;
    for (const DrawnSection& s : d.sections) {
        ++drawn[{s.line, s.section}];
        const DrawnLine& line = d.lines[std::size_t(s.line)];
        const TLine& data = c.project.Sources[line.source].Lines[line.index].Sections[s.section];
        QCOMPARE(d.nodes[std::size_t(s.from)].name, k10::cp1251ToUtf8(data.L_Begin.view()));
        QCOMPARE(d.nodes[std::size_t(s.to)].name, k10::cp1251ToUtf8(data.L_End.view()));
        QVERIFY(s.path.front() == d.nodes[std::size_t(s.from)].at);
        QVERIFY(s.path.back() == d.nodes[std::size_t(s.to)].at);
        for (std::size_t i = 1; i < s.path.size(); ++i)
            QVERIFY(s.path[i].x == s.path[i - 1].x || s.path[i].y == s.path[i - 1].y);
        // A branch never crosses its line's trunk: everything off the trunk lies below it.
        const double trunkY = d.nodes[std::size_t(line.firstNode)].at.y;
        if (d.nodes[std::size_t(s.to)].trunk)
            QCOMPARE(s.path.back().y, trunkY);
        else
            for (std::size_t i = 1; i < s.path.size(); ++i)
                QVERIFY2(s.path[i].y > trunkY, s.label.c_str());
    }
    int own = 0;
    for (const DrawnLine& line : d.lines)
        own += line.state != LineState::Foreign;
    QCOMPARE(own, src.LineCount());
    for (std::size_t l = 0; l < std::size_t(src.LineCount()); ++l)
        for (int k = 1; k <= src.Lines[int(l) + 1].SectionCount(); ++k)
            QCOMPARE(drawn[std::make_pair(int(l), k)], 1);

    // No two node squares or texts overlap.
    auto all = texts(d);
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j)
            QVERIFY2(!all[i].first.intersects(all[j].first), (all[i].second + " / " + all[j].second).c_str());

    // The same data give the same coordinates.
    const Schematic again = drawSource(c.project, source, mode, c.inputs(), testMetrics());
    QCOMPARE(again.nodes.size(), d.nodes.size());
    for (std::size_t i = 0; i < d.nodes.size(); ++i)
        QVERIFY(again.nodes[i].at == d.nodes[i].at && again.nodes[i].stack == d.nodes[i].stack);
    for (std::size_t i = 0; i < d.sections.size(); ++i)
        QVERIFY(again.sections[i].path == d.sections[i].path);
}

// The sample's modes: mode 1 opens line 201 of the other source at З-1 and feeds З-2 from 1-3; mode 2
// opens line 101 at its head 1-1 and feeds it from 2-2 of line 102. A line with an error is drawn hatched
// with its code, its placeable sections drawn.
void TestSchematic::modeMarks() {
    CalcProject c;
    c.project = k10::readProject(K10_SOURCE_DIR "/data/sample.k10");
    const Schematic one = drawSource(c.project, 1, 1, c.inputs(), testMetrics());
    QVERIFY(one.hasJumper);
    QCOMPARE(one.nodes[std::size_t(one.jumper.from)].name, "1-3");
    QCOMPARE(one.nodes[std::size_t(one.jumper.to)].name, "З-2");
    QCOMPARE(one.lines.back().state, LineState::Foreign);
    QCOMPARE(one.jumper.label, "перемычка АС-50, 2 км");
    const DrawnSection& opening = one.sections[std::size_t(one.findSection(int(one.lines.size()) - 1, 1))];
    QVERIFY(opening.opened); // 201 → З-1: the other source's line is opened at З-1

    const Schematic two = drawSource(c.project, 1, 2, c.inputs(), testMetrics());
    QVERIFY(two.hasJumper);
    int opened = 0;
    for (const DrawnSection& sec : two.sections)
        opened += sec.opened;
    QCOMPARE(opened, 1);
    QVERIFY(two.sections[std::size_t(two.findSection(0, 1))].opened); // 101 → 1-1
    for (const DrawnNode& n : two.nodes)
        QVERIFY(!n.deEnergised); // the rest of line 101 is fed through the jumper

    // A line whose second section repeats the first: left out (S8), drawn as far as it can be placed.
    TSource& s = c.project.Sources[1];
    TLines& bad = s.Lines.append();
    bad.Name = k10test::cp("Ошибочная");
    bad.Sections.append(c.section({"Г", "а", 1}));
    bad.Sections.append(c.section({"Г", "а", 1}));
    bad.Sections.append(c.section({"а", "б", 2}));
    const Schematic d = drawSource(c.project, 1, 0, c.inputs(), testMetrics());
    const DrawnLine& line = d.lines.back();
    QCOMPARE(line.state, LineState::LeftOut);
    QVERIFY(!line.errorCode.empty());
    QVERIFY(line.label.find(line.errorCode) != std::string::npos);
    QCOMPARE(line.nodeCount, 3);
    QCOMPARE(line.unplaced, 1);
}

void TestSchematic::lengths_data() {
    QTest::addColumn<QString>("wire");
    QTest::addColumn<double>("km");
    QTest::addColumn<QString>("label");
    QTest::newRow("comma") << "АС-50" << 1.2 << "АС-50, 1,2 км";
    QTest::newRow("whole") << "АС-50" << 3.0 << "АС-50, 3 км";
    QTest::newRow("small") << "АС-35" << 0.05 << "АС-35, 0,05 км";
    QTest::newRow("rounded") << "А-95" << 1.2346 << "А-95, 1,235 км";
    QTest::newRow("no wire") << "" << 0.0 << "0 км";
}

void TestSchematic::lengths() {
    QFETCH(QString, wire);
    QFETCH(double, km);
    QFETCH(QString, label);
    QCOMPARE(QString::fromStdString(sectionLabel(wire.toStdString(), km)), label);
}

QTEST_APPLESS_MAIN(TestSchematic)
#include "test_schematic.moc"
