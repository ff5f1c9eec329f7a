// The network diagram window on the real windows: its menu item, its saved pictures, its clicks and the
// main window's current section, its redrawing after an edit and its undo.

#include "model/project_file.h"
#include "support/main_controls.h"
#include "ui/models/current_place.h"
#include "support/scripted_interaction.h"
#include "ui/main_window/form_main.h"
#include "ui/main_window/workbench.h"
#include "ui/schematic/schematic_scene.h"
#include "ui/schematic/tf_schematic.h"
#include "ui/widgets/string_grid.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QtTest>

using namespace k10::schematic;

namespace {

// One source with one line of 100 sections: a trunk with branches, and branches of branches.
TProect hundredSections() {
    TProect project = k10::readProject(K10_SOURCE_DIR "/data/sample.k10");
    TLines& line = project.Sources[1].Lines.append();
    line.Name = "100";
    const char* wires[] = {"\xc0\xd1-70", "\xc0\xd1-50", "\xc0\xd1-35"}; // АС-70, АС-50, АС-35
    for (int k = 1; k <= 100; ++k) {
        TLine s;
        const int from = k == 1 ? 0 : k % 5 == 0 ? k - 4 : k % 7 == 0 ? k / 2 : k - 1;
        s.L_Begin = from == 0 ? std::string("100") : "n" + std::to_string(from);
        s.L_End = "n" + std::to_string(k);
        s.Dlina = 0.1 + (k * 37 % 23) / 10.0;
        s.Provod = wires[k % 3];
        if (k % 3 == 0) {
            s.Trans = "\xd2\xcc-160"; // ТМ-160
            s.Max_Nagr = "100";
            s.Gr_Nagr = "8";
        }
        line.Sections.append(s);
    }
    // A line with a repeated section: left out of the calculation, drawn hatched with its code.
    TLines& broken = project.Sources[1].Lines.append();
    broken.Name = "106";
    for (const char* end : {"6-1", "6-1", "6-2"}) {
        TLine s;
        s.L_Begin = broken.SectionCount() == 2 ? "6-1" : "106";
        s.L_End = end;
        s.Dlina = 1;
        s.Provod = wires[0];
        broken.Sections.append(s);
    }
    return project;
}

// The texts of an SVG in their order, joined: the generator splits a text where its script changes.
QString svgTexts(const QString& svg) {
    QString all;
    static const QRegularExpression text(">([^<]*)</text>");
    for (auto match = text.globalMatch(svg); match.hasNext();)
        all += match.next().captured(1);
    return all;
}

} // namespace

class TestSchematicWindow : public QObject, WindowFixture {
    Q_OBJECT

    TF_Schematic* window = nullptr;

    // Opens the sample through «Открыть» and the diagram through its menu item, and waits for its results.
    void openSample(int source = 1, bool hundred = false) {
        if (hundred) {
            k10::writeProject(workspace->path("hundred.k10").toStdString(), hundredSections());
            user->files.push_back(workspace->path("hundred.k10"));
        } else {
            user->files.push_back(workspace->copyData("sample.k10"));
        }
        MainControls(main).N6->trigger();
        MainControls(main).SourceGrid->makeCurrent(source - 1);
        MainControls(main).N25->trigger();
        window = forms->F_Schematic;
        QTRY_VERIFY(window->isVisible() && !window->calculating());
        QVERIFY(window->result().calculated);
    }

private slots:
    void init() { start(); }
    void cleanup() {
        const QStringList unexpected = stop();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    // «Схема сети» opens the window of the selected source; another source or scheme redraws it.
    void followsTheSelection() {
        openSample(2);
        QVERIFY(window->windowTitle().startsWith("Схема сети — ПС 35/10 кВ Заречная"));
        QCOMPARE(window->scene().drawing().source, 2);
        // The mode's scheme: its jumper is drawn, and a scheme switch redraws at once.
        MainControls(main).SourceGrid->makeCurrent(0);
        QTRY_VERIFY(!window->calculating() && window->scene().drawing().source == 1);
        window->Scheme_Box->setCurrentIndex(1);
        QTRY_VERIFY(!window->calculating() && window->scene().drawing().mode == 1);
        QVERIFY(window->scene().drawing().hasJumper);
    }

    // Every node name and section caption is text in the saved SVG; the PDF and PNG are written too, and
    // so are the printed pages, one or several.
    void savedPictures_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("file");
        for (int source = 1; source <= 3; ++source)
            QTest::addRow("source %d svg", source) << source << 0 << "drawing.svg";
        QTest::newRow("mode 1 svg") << 1 << 1 << "mode1.svg";
        QTest::newRow("mode 1 png") << 1 << 1 << "mode1.png";
        QTest::newRow("mode 2 pdf") << 1 << 2 << "mode2.pdf";
        QTest::newRow("mode 2 png") << 1 << 2 << "mode2.png";
        QTest::newRow("100 sections svg") << 4 << 0 << "hundred.svg";
        QTest::newRow("100 sections png") << 4 << 0 << "hundred.png";
    }
    void savedPictures() {
        QFETCH(int, source);
        QFETCH(int, mode);
        QFETCH(QString, file);
        openSample(source == 4 ? 1 : source, source == 4);
        window->Scheme_Box->setCurrentIndex(mode);
        QTRY_VERIFY(!window->calculating() && window->scene().drawing().mode == mode);
        const QString path = workspace->path(file);
        user->files.push_back(path);
        window->SaveClick();
        // K10_SCHEMATIC_PICTURES names a folder to keep the pictures in, to look at them.
        if (const QString keep = qEnvironmentVariable("K10_SCHEMATIC_PICTURES"); !keep.isEmpty()) {
            QFile::copy(path, keep + QString("/source%1-%2").arg(source).arg(file));
            window->View->fit();
            window->grab().save(keep + QString("/window%1-%2.png").arg(source).arg(mode));
        }
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(bytes.size() > 1000);
        if (file.endsWith(".svg")) {
            const QString svg = svgTexts(QString::fromUtf8(bytes));
            const Schematic& d = window->scene().drawing();
            for (const DrawnNode& n : d.nodes)
                QVERIFY2(svg.contains(QString::fromStdString(n.name).toHtmlEscaped()), n.name.c_str());
            for (const DrawnSection& s : d.sections)
                QVERIFY2(svg.contains(QString::fromStdString(s.label).toHtmlEscaped()), s.label.c_str());
            QVERIFY(svg.contains("ΔU "));
        }
        for (int pages : {0, 1}) {
            user->scripts.push_back([pages](QDialog& dialog) {
                static_cast<TF_SchematicPrint&>(dialog).Pages_Box->setCurrentIndex(pages);
                return true;
            });
            user->printFiles.push_back(workspace->path(QString("printed%1.pdf").arg(pages)));
            window->PrintClick();
            const QString printed = workspace->path(QString("printed%1.pdf").arg(pages));
            QVERIFY(QFile(printed).size() > 1000);
            if (const QString keep = qEnvironmentVariable("K10_SCHEMATIC_PICTURES"); !keep.isEmpty())
                QFile::copy(printed, keep + QString("/source%1-mode%2-printed%3.pdf").arg(source).arg(mode).arg(pages));
        }
    }

    // A click on a section makes it current in the main window, which marks it on the drawing.
    void clickSelects_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("section");
        QTest::newRow("101, section 2") << 1 << 2;
        QTest::newRow("102, section 1") << 2 << 1;
        QTest::newRow("105, section 2") << 3 << 2;
    }
    void clickSelects() {
        QFETCH(int, line);
        QFETCH(int, section);
        openSample();
        window->View->fit();
        const Schematic& d = window->scene().drawing();
        const int drawn = d.findSection(d.findLine(line), section);
        QVERIFY(drawn >= 0);
        const QPoint at = window->View->mapFromScene(window->scene().sectionPoint(drawn));
        QTest::mouseClick(window->View->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(forms->Place->source(), 0);
        QCOMPARE(forms->Place->line(), line - 1);
        QCOMPARE(forms->Place->section(), section - 1);
        QCOMPARE(window->scene().highlightedSection(), drawn);
    }

    // Deleting a section redraws without it; undo redraws with it again.
    void redrawAfterUndo() {
        openSample();
        const std::size_t sections = window->scene().drawing().sections.size();
        MainControls(main).LinesGrid->makeCurrent(0);
        MainControls(main).LineGrid->makeCurrent(1);
        MainControls(main).Line_Del->trigger();
        QTRY_VERIFY(!window->calculating());
        QCOMPARE(window->scene().drawing().sections.size(), sections - 1);
        const int drawings = window->drawings();
        MainControls(main).N18->trigger();
        QTRY_VERIFY(!window->calculating() && window->drawings() > drawings);
        QCOMPARE(window->scene().drawing().sections.size(), sections);
        QVERIFY(window->result().calculated);
    }
};

QTEST_MAIN(TestSchematicWindow)
#include "test_schematic_window.moc"
