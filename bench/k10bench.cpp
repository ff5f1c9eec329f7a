// k10bench: the largest project through the reader, the writer, the main window, the two programs and the
// calculation, each figure against a baseline measured in the same run. It prints figures; it never fails on
// speed.

#include "bench/child_process.h"
#include "bench/project_generator.h"
#include "calc/calculation.h"
#include "calc/result_format.h"
#include "cli/calc_json.h"
#include "catalogs/catalog_files.h"
#include "catalogs/load_coefficients.h"
#include "model/project_file.h"
#include "ui/calculation/tf_checkdata.h"
#include "ui/calculation/tf_results.h"
#include "ui/main_window/form_main.h"
#include "ui/desktop/interaction.h"
#include "ui/widgets/string_grid.h"
#include "ui/main_window/workbench.h"
#include "ui/schematic/schematic_scene.h"
#include "schematic/schematic.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <iomanip>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void progress(const std::string& text) {
    std::cerr << "k10bench: " << text << std::endl;
}

// The baselines: the least that any reader or writer of the file has to do.

// Reads the file whole into one buffer of its size and counts its lines.
long readWholeAndCountLines(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    std::size_t size = static_cast<std::size_t>(info.st_size);
    std::unique_ptr<char[]> bytes(new char[size]);
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, bytes.get() + done, size - done);
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return static_cast<long>(std::count(bytes.get(), bytes.get() + done, '\n'));
}

// Writes the bytes in one go as a save must: into a new file beside the target, flushed to the disk, and
// renamed over the target.
void writeInOneGo(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0)
            break;
        done += static_cast<std::size_t>(put);
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(temporary.c_str(), path.c_str());
}

// Answers the Open dialog with the benchmark's file and keeps every message, which would mean a failure.
class BenchInteraction : public Interaction {
public:
    QString file;
    QStringList messages;

    void showMessage(QWidget*, const QString& text) override { messages << text; }
    void showError(QWidget*, const QString& text) override { messages << text; }
    bool askYesNo(QWidget*, const QString& text) override {
        messages << text;
        return false;
    }
    Answer askYesNoCancel(QWidget*, const QString& text) override {
        messages << text;
        return Answer::Cancel;
    }
    QString chooseFile(QFileDialog&) override { return file; }
    int chooseItem(QWidget*, const QString& text, const QStringList&) override {
        messages << text;
        return -1;
    }
    bool runDialog(QDialog&) override { return false; }
    void openDocument(const QString&) override {}
    QString defaultApplication(const QString&) override { return {}; }
    bool print(QWidget*, QTextDocument&) override { return false; }
    bool choosePrinter(QWidget*, QPrinter&) override { return false; }
};

struct Figures {
    int runs = 7;
    unsigned threads = 0; // of the calculation; 0: one per core
    long fileBytes = 0;
    double readMs = 0, readBaselineMs = 0;
    double writeMs = 0, writeBaselineMs = 0;
    double refreshMs = 0;
    double openUiMs = 0, openUiReadMs = 0;
    double startupMs = 0, startupProcessMs = 0;
    long peakRssBytes = 0;
    // The calculation on the threads asked for (calc*) and on one thread (calcOne*): the same when one
    // thread is asked for.
    double calcMs = 0, calcReadMs = 0;
    double calcModesMs = 0, calcModesColdMs = 0;
    double calcOneMs = 0, calcOneReadMs = 0, calcOneModesMs = 0;
    int normalCalculated = 0, normalSchemes = 0, modesCalculated = 0, modeSchemes = 0;
    double meanIterations = 0;
    // Writing the results of source 1 with all its modes, against one write of the same bytes.
    long csvBytes = 0, jsonBytes = 0;
    double csvMs = 0, csvBaselineMs = 0, jsonMs = 0, jsonBaselineMs = 0;
    double checkMs = 0, checkPeakRssRatio = 0, checkRssAfterRatio = 0, uiBlockMaxMs = 0;
    long checkRssBeforeBytes = 0;
    double resultsSwitchMs = 0, resultsRegimeMs = 0, resultsSchemeMs = 0;
    double schematicMs = 0;
    int schematicSections = 0;

    // 0 for a figure that was not measured.
    static double ratio(double value, double baseline) { return baseline > 0 ? value / baseline : 0; }
    double readRatio() const { return ratio(readMs, readBaselineMs); }
    double writeRatio() const { return ratio(writeMs, writeBaselineMs); }
    double openUiRatio() const { return ratio(openUiMs, openUiReadMs); }
    double rssRatio() const { return ratio(static_cast<double>(peakRssBytes), static_cast<double>(fileBytes)); }
    double calcRatio() const { return ratio(calcMs, calcReadMs); }
    double calcOneRatio() const { return ratio(calcOneMs, calcOneReadMs); }
    double csvRatio() const { return ratio(csvMs, csvBaselineMs); }
    double jsonRatio() const { return ratio(jsonMs, jsonBaselineMs); }
    double outputRatio() const { return std::max(csvRatio(), jsonRatio()); }
};

// Gives the memory of the previous run back to the system, so that every run of a read starts as in a
// fresh process; otherwise a run that happens to reuse freed memory skips the cost of fresh pages.
void releaseFreedMemory() {
    ::malloc_trim(0);
}

// Each measured step runs in turn with its baseline, so that a busy moment of the machine hits both.

void measureRead(Figures& figures, const std::string& file) {
    std::vector<double> reads, baselines;
    for (int run = 0; run < figures.runs; ++run) {
        auto start = Clock::now();
        long lines = readWholeAndCountLines(file);
        baselines.push_back(millisecondsSince(start));

        releaseFreedMemory();
        start = Clock::now();
        TProect project = k10::readProject(file);
        reads.push_back(millisecondsSince(start));
        if (run == 0)
            progress("read " + std::to_string(lines) + " lines, " + std::to_string(project.SourceCount()) +
                     " sources");
    } // each project is released here, outside the clock
    figures.readMs = median(reads);
    figures.readBaselineMs = median(baselines);
}

void measureWrite(Figures& figures, const TProect& project, const std::string& folder) {
    std::string bytes = k10::serializeProject(project);
    std::vector<double> writes, baselines;
    for (int run = 0; run < figures.runs; ++run) {
        auto start = Clock::now();
        writeInOneGo(folder + "/baseline.k10", bytes);
        baselines.push_back(millisecondsSince(start));

        start = Clock::now();
        k10::writeProject(folder + "/written.k10", project);
        writes.push_back(millisecondsSince(start));
    }
    figures.writeMs = median(writes);
    figures.writeBaselineMs = median(baselines);
}

// Open of the largest project in a freshly shown main window, through the file dialog's seam, up to the
// tables being filled; then the refresh of the window's lower tables.
void measureWindow(Figures& figures, const std::string& file) {
    BenchInteraction user;
    user.file = QString::fromStdString(file);

    // The read runs in turns with the Open, in the same process, so that the two meet the same state of
    // the memory and of the machine.
    std::vector<double> opens, reads;
    std::unique_ptr<Workbench> forms;
    for (int run = 0; run < figures.runs; ++run) {
        forms.reset();
        forms = std::make_unique<Workbench>(user);
        forms->show();
        QApplication::processEvents();

        releaseFreedMemory();
        auto start = Clock::now();
        {
            TProect project = k10::readProject(file);
            reads.push_back(millisecondsSince(start));
        }

        releaseFreedMemory();
        start = Clock::now();
        forms->FormMain->findChild<QAction*>("N6")->trigger();
        opens.push_back(millisecondsSince(start));
        QApplication::processEvents();
    }
    figures.openUiMs = median(opens);
    figures.openUiReadMs = median(reads);

    // Every source has 100 lines, 100 sections in its first line and 100 modes. The refresh alternates
    // between the first two sources, so that every cell it writes really changes.
    // The window is driven through its controls, found by their object names: a row made current in the
    // sources table, as a click makes it.
    TFormMain* main = forms->FormMain;
    auto* sources = main->findChild<StringGrid*>("SourceGrid");
    auto* lines = main->findChild<StringGrid*>("LinesGrid");
    auto* sections = main->findChild<StringGrid*>("LineGrid");
    auto* modes = main->findChild<StringGrid*>("ModeWorkGrid");
    std::vector<double> refreshes;
    for (int run = 0; run < 10 * figures.runs; ++run) {
        int row = run % 2 ? 0 : 1;
        auto start = Clock::now();
        sources->setCurrentCell(row, 0);
        refreshes.push_back(millisecondsSince(start));
        QApplication::processEvents();
    }
    figures.refreshMs = median(refreshes);
    if (lines->rowCount() != 100 || sections->rowCount() != 100 || modes->rowCount() != 100 ||
        sections->cell(99, 0).isEmpty())
        progress("the refresh did not fill the tables");

    if (!user.messages.isEmpty())
        progress("the window reported: " + user.messages.join("; ").toStdString());
}

// Writes the bytes to a new file with one write, not flushed to the disk.
void writeOnce(const std::string& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0)
            break;
        done += static_cast<std::size_t>(put);
    }
    ::close(fd);
}

// Formats results into a text as korvane10-tool does and writes it to a new file whenever it passes a
// megabyte, not flushed to the disk. Returns the bytes written.
template <class Format>
long formatAndWrite(const std::string& path, Format format) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::string out;
    long total = 0;
    auto flush = [&](bool always) {
        if (!always && out.size() <= (1u << 20))
            return;
        std::size_t done = 0;
        while (done < out.size()) {
            ssize_t put = ::write(fd, out.data() + done, out.size() - done);
            if (put <= 0)
                break;
            done += static_cast<std::size_t>(put);
        }
        total += static_cast<long>(out.size());
        out.clear();
    };
    format(out, flush);
    flush(true);
    ::close(fd);
    return total;
}

std::string readBack(const std::string& path) {
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
}

// The calculation of every source's normal scheme, in turns with the read of the same project; then one
// source's normal scheme and all its modes. Both as a caller that reports each scheme in turn: the schemes
// are calculated on `threads` threads and handed over one at a time, each complete, in order.
// The schemes calculated and the mean iterations are counted, so that a figure never times refusals.
// On the threads asked for and, when that is more than one, on one thread too, each run measuring both.
void measureCalculation(Figures& figures, const std::string& file, const std::string& folder) {
    k10::WireCatalog wires = k10::readWireCatalog(folder + "/spravp.dat");
    k10::TransCatalog transformers = k10::readTransCatalog(folder + "/spravt.dat");
    k10::calc::Inputs inputs{wires, transformers, k10::builtInLoadCoefficients()};
    const k10::calc::Settings settings;
    struct Series {
        unsigned threads;
        std::vector<double> calcs, reads, modes, coldModes;
    };
    std::vector<Series> series = {{figures.threads, {}, {}, {}, {}}};
    if (figures.threads != 1)
        series.push_back({1, {}, {}, {}, {}});
    for (int run = 0; run < figures.runs; ++run) {
        for (Series& one : series) {
            releaseFreedMemory();
            auto start = Clock::now();
            TProect project = k10::readProject(file);
            one.reads.push_back(millisecondsSince(start));

            std::vector<k10::calc::SchemeRequest> normal;
            for (int source = 1; source <= project.SourceCount(); ++source)
                normal.push_back({source, 0});
            int calculated = 0;
            long iterations = 0;
            start = Clock::now();
            k10::calc::calculateSchemes(
                project, normal, inputs, settings,
                [&](const k10::calc::SchemeResult& scheme) {
                    if (scheme.calculated) {
                        ++calculated;
                        iterations += scheme.regimes[0].iterations + scheme.regimes[1].iterations;
                    }
                },
                one.threads);
            one.calcs.push_back(millisecondsSince(start));
            figures.normalSchemes = project.SourceCount();
            figures.normalCalculated = calculated;
            figures.meanIterations = calculated ? static_cast<double>(iterations) / (2.0 * calculated) : 0;

            // Source 1 with all its modes: first in the same process, right after the normal schemes, as a
            // program calculating one thing after another does; then again after the freed memory has gone
            // back to the system, as in a fresh process, which pays for every page it touches.
            std::vector<k10::calc::SchemeRequest> sourceOne;
            for (int mode = 0; mode <= project.Sources[1].ModeWorkCount(); ++mode)
                sourceOne.push_back({1, mode});
            for (std::vector<double>* figure : {&one.modes, &one.coldModes}) {
                if (figure == &one.coldModes)
                    releaseFreedMemory();
                int modesCalculated = 0;
                start = Clock::now();
                k10::calc::calculateSchemes(
                    project, sourceOne, inputs, settings,
                    [&](const k10::calc::SchemeResult& scheme) {
                        modesCalculated += scheme.calculated && scheme.mode > 0 ? 1 : 0;
                    },
                    one.threads);
                figure->push_back(millisecondsSince(start));
                figures.modeSchemes = project.Sources[1].ModeWorkCount();
                figures.modesCalculated = modesCalculated;
            }
        }
    }
    figures.calcMs = median(series[0].calcs);
    figures.calcReadMs = median(series[0].reads);
    figures.calcModesMs = median(series[0].modes);
    figures.calcModesColdMs = median(series[0].coldModes);
    figures.calcOneMs = median(series.back().calcs);
    figures.calcOneReadMs = median(series.back().reads);
    figures.calcOneModesMs = median(series.back().modes);
}

// The results of source 1 with all its modes, already calculated, written as korvane10-tool writes them
// as CSV and as JSON, each in turns with one write of the same bytes to a file of the same folder.
void measureOutput(Figures& figures, const std::string& file, const std::string& folder) {
    k10::WireCatalog wires = k10::readWireCatalog(folder + "/spravp.dat");
    k10::TransCatalog transformers = k10::readTransCatalog(folder + "/spravt.dat");
    k10::calc::Inputs inputs{wires, transformers, k10::builtInLoadCoefficients()};
    const k10::calc::Settings settings;
    TProect project = k10::readProject(file);
    std::vector<k10::calc::SchemeRequest> sourceOne;
    for (int mode = 0; mode <= project.Sources[1].ModeWorkCount(); ++mode)
        sourceOne.push_back({1, mode});
    std::vector<k10::calc::SchemeResult> results;
    k10::calc::calculateSchemes(project, sourceOne, inputs, settings,
                                [&](const k10::calc::SchemeResult& scheme) { results.push_back(scheme); });

    auto csv = [&](std::string& out, auto& flush) {
        out = k10::calc::csvHeader();
        for (const k10::calc::SchemeResult& scheme : results) {
            k10::calc::appendSchemeCsv(scheme, out);
            flush(false);
        }
    };
    auto json = [&](std::string& out, auto& flush) {
        k10cli::CalcJsonWriter writer(out, settings, true);
        for (const k10::calc::SchemeResult& scheme : results) {
            writer.add(scheme);
            flush(false);
        }
        writer.finish();
    };
    std::vector<double> csvs, csvBaselines, jsons, jsonBaselines;
    const std::string csvPath = folder + "/results.csv", jsonPath = folder + "/results.json";
    const std::string csvBaselinePath = folder + "/baseline.csv", jsonBaselinePath = folder + "/baseline.json";
    std::string csvBytes, jsonBytes;
    for (int run = 0; run < figures.runs; ++run) {
        auto start = Clock::now();
        figures.csvBytes = formatAndWrite(csvPath, csv);
        csvs.push_back(millisecondsSince(start));
        if (run == 0)
            csvBytes = readBack(csvPath);
        start = Clock::now();
        writeOnce(csvBaselinePath, csvBytes);
        csvBaselines.push_back(millisecondsSince(start));

        start = Clock::now();
        figures.jsonBytes = formatAndWrite(jsonPath, json);
        jsons.push_back(millisecondsSince(start));
        if (run == 0)
            jsonBytes = readBack(jsonPath);
        start = Clock::now();
        writeOnce(jsonBaselinePath, jsonBytes);
        jsonBaselines.push_back(millisecondsSince(start));
    }
    figures.csvMs = median(csvs);
    figures.csvBaselineMs = median(csvBaselines);
    figures.jsonMs = median(jsons);
    figures.jsonBaselineMs = median(jsonBaselines);
    // Gigabytes, not worth keeping.
    for (const std::string* path : {&csvPath, &jsonPath, &csvBaselinePath, &jsonBaselinePath})
        ::unlink(path->c_str());
}

// The diagram of source 1 (100 lines of 100 sections): from the source's data to a scene with every item
// created, the text widths measured as the window measures them; painting excluded.
void measureSchematic(Figures& figures, const std::string& file, const std::string& folder) {
    k10::WireCatalog wires = k10::readWireCatalog(folder + "/spravp.dat");
    k10::TransCatalog transformers = k10::readTransCatalog(folder + "/spravt.dat");
    k10::calc::Inputs inputs{wires, transformers, k10::builtInLoadCoefficients()};
    TProect project = k10::readProject(file);
    std::vector<double> runs;
    for (int run = 0; run < figures.runs; ++run) {
        SchematicScene scene;
        auto start = Clock::now();
        scene.showDrawing(k10::schematic::drawSource(project, 1, 0, inputs, schematicMetrics()));
        runs.push_back(millisecondsSince(start));
        figures.schematicSections = static_cast<int>(scene.drawing().sections.size());
    } // each scene is released here, outside the clock
    figures.schematicMs = median(runs);
}

// The real program started offscreen; it prints the milliseconds from the start of its main to its window
// being shown, and quits.
void measureStartup(Figures& figures, const std::string& folder) {
    std::vector<double> startups, processes;
    for (int run = 0; run < figures.runs; ++run) {
        k10bench::ChildRun child = k10bench::runChild(
            {K10_APP}, {"QT_QPA_PLATFORM=offscreen", "KORVANE10_STARTUP_PROBE=1"}, folder, 60);
        double ms = 0;
        std::from_chars(child.output.data(), child.output.data() + child.output.size(), ms);
        if (!child.exited || child.exitCode != 0 || ms <= 0) {
            progress("the workbench did not report its start-up: " + child.output + child.errors);
            continue;
        }
        startups.push_back(ms);
        processes.push_back(child.wallMs);
    }
    figures.startupMs = median(startups);
    figures.startupProcessMs = median(processes);
}

// The peak resident memory of "korvane10-tool check" on the file. A child keeps the highest resident size
// of whatever it was forked from, so the tool is started by a small helper (this program, run anew), not
// by this process with its projects in memory.
void measurePeakRss(Figures& figures, const std::string& file, const std::string& folder) {
    std::vector<double> peaks;
    for (int run = 0; run < figures.runs; ++run) {
        k10bench::ChildRun helper =
            k10bench::runChild({"/proc/self/exe", "--peak-rss-of", K10_TOOL, "check", file}, {}, folder, 120);
        long bytes = std::strtol(helper.output.c_str(), nullptr, 10);
        if (!helper.exited || helper.exitCode != 0 || bytes <= 0) {
            progress("korvane10-tool check failed: " + helper.output + helper.errors);
            continue;
        }
        peaks.push_back(static_cast<double>(bytes));
    }
    figures.peakRssBytes = static_cast<long>(median(peaks));
}

// The helper's side: runs the program given and prints the child's peak resident size in bytes.
int peakRssHelper(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    k10bench::ChildRun child = k10bench::runChild(args, {}, ".", 120);
    if (!child.exited || child.exitCode != 0) {
        std::cerr << child.output << child.errors;
        return 1;
    }
    std::cout << child.peakRssBytes << '\n';
    return 0;
}

std::string fixed(double value, int decimals) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(decimals) << value;
    return out.str();
}

std::string megabytes(double bytes) {
    return fixed(bytes / (1024.0 * 1024.0), 1) + " MiB";
}

// The resident memory of this process now, from /proc.
long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

// The main window of a fresh process with the project opened through «Открыть», the way a user has it.
std::unique_ptr<Workbench> openInWindow(BenchInteraction& user, const std::string& file) {
    user.file = QString::fromStdString(file);
    auto forms = std::make_unique<Workbench>(user);
    forms->show();
    QApplication::processEvents();
    forms->FormMain->findChild<QAction*>("N6")->trigger();
    QApplication::processEvents();
    return forms;
}

// The child's side of the check figures: the largest project opened in the window, then «Проверить
// данные» to its end, with the resident memory sampled every 10 ms on a thread of its own and a 10 ms timer
// on the interface thread whose longest gap tells how long the interface was kept waiting; then the check
// window closed. Prints: check ms, memory before, peak during, after closing (bytes), longest gap ms, and
// when that gap ended (ms from the command).
int checkChild(const std::string& file) {
    BenchInteraction user;
    std::unique_ptr<Workbench> forms = openInWindow(user, file);
    auto* check = forms->FormMain->findChild<TF_CheckData*>("TF_CheckData");
    releaseFreedMemory();
    const long before = residentBytes();

    std::atomic<bool> sampling{true};
    std::atomic<long> peak{before};
    std::thread sampler([&] {
        while (sampling) {
            peak = std::max(peak.load(), residentBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    double longestGap = 0, longestGapEnd = 0;
    auto lastTick = Clock::now();
    auto start = Clock::now();
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        if (millisecondsSince(lastTick) > longestGap) {
            longestGap = millisecondsSince(lastTick);
            longestGapEnd = millisecondsSince(start);
        }
        lastTick = Clock::now();
    });
    QEventLoop loop;
    QObject::connect(check, &TF_CheckData::checkFinished, &loop, &QEventLoop::quit);

    start = Clock::now();
    ticks.start(10);
    lastTick = Clock::now();
    forms->FormMain->findChild<QAction*>("N22")->trigger();
    if (check->isChecking())
        loop.exec();
    const double checkMs = millisecondsSince(start);
    ticks.stop();
    longestGap = std::max(longestGap, millisecondsSince(lastTick));
    sampling = false;
    sampler.join();

    check->close();
    QApplication::processEvents();
    const long after = residentBytes();
    std::cout << fixed(checkMs, 3) << ' ' << before << ' ' << peak.load() << ' ' << after << ' '
              << fixed(longestGap, 3) << ' ' << fixed(longestGapEnd, 3) << '\n';
    if (!user.messages.isEmpty())
        std::cerr << user.messages.join("; ").toStdString() << '\n';
    return 0;
}

// Counts the results window's reports of new results from its making on.
class ResultsWaiter {
public:
    explicit ResultsWaiter(TF_Results* results)
        : connection_(QObject::connect(results, &TF_Results::resultsReady, [this] { got_ = true; })) {}
    ~ResultsWaiter() { QObject::disconnect(connection_); }
    // Runs the event loop until new results are reported, at most `ms`.
    bool wait(int ms) {
        QDeadlineTimer deadline(ms);
        while (!got_ && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return got_;
    }

private:
    bool got_ = false;
    QMetaObject::Connection connection_;
};

// The child's side of the results figure: the results window on the first source of the largest project
// (10,000 sections); the regime switched back and forth, each switch timed until its rows are in the
// tables; then the scheme switched, each switch timed until the new scheme's rows are in the tables. The
// window's painting is held off while a switch is timed. Prints the medians: regime ms, scheme ms.
int resultsChild(const std::string& file, int runs) {
    BenchInteraction user;
    std::unique_ptr<Workbench> forms = openInWindow(user, file);
    auto* results = forms->FormMain->findChild<TF_Results*>("TF_Results");
    {
        ResultsWaiter ready(results);
        forms->FormMain->findChild<QAction*>("N23")->trigger();
        if (!ready.wait(600000))
            return 1;
    }
    auto* regimeBox = results->findChild<QComboBox*>("Regime_Box");
    auto* schemeBox = results->findChild<QComboBox*>("Scheme_Box");
    std::vector<double> regimes, schemes;
    for (int run = 0; run < runs; ++run) {
        results->setUpdatesEnabled(false);
        auto start = Clock::now();
        regimeBox->setCurrentIndex(run % 2 ? 0 : 1);
        regimes.push_back(millisecondsSince(start));
        results->setUpdatesEnabled(true);
        QApplication::processEvents();
    }
    for (int run = 0; run < runs; ++run) {
        ResultsWaiter ready(results);
        results->setUpdatesEnabled(false);
        auto start = Clock::now();
        schemeBox->setCurrentIndex(run % 2 ? 0 : 1 + run % 50);
        if (!ready.wait(600000))
            return 1;
        schemes.push_back(millisecondsSince(start));
        results->setUpdatesEnabled(true);
        QApplication::processEvents();
    }
    std::cout << fixed(median(regimes), 3) << ' ' << fixed(median(schemes), 3) << '\n';
    return 0;
}

// The check figures, once, in a fresh child process.
void measureCheck(Figures& figures, const std::string& file, const std::string& folder) {
    k10bench::ChildRun child = k10bench::runChild({"/proc/self/exe", "--check-child", file},
                                                  {"QT_QPA_PLATFORM=offscreen"}, folder, 3600);
    double ms = 0, gap = 0;
    long before = 0, peak = 0, after = 0;
    std::istringstream in(child.output);
    if (!child.exited || child.exitCode != 0 || !(in >> ms >> before >> peak >> after >> gap) || before <= 0) {
        progress("the check in the window failed: " + child.output + child.errors);
        return;
    }
    figures.checkMs = ms;
    figures.checkRssBeforeBytes = before;
    figures.checkPeakRssRatio = Figures::ratio(double(peak), double(before));
    figures.checkRssAfterRatio = Figures::ratio(double(after), double(before));
    figures.uiBlockMaxMs = gap;
}

// The results window's switches, in a fresh child process.
void measureResultsSwitch(Figures& figures, const std::string& file, const std::string& folder) {
    k10bench::ChildRun child = k10bench::runChild(
        {"/proc/self/exe", "--results-child", file, std::to_string(figures.runs)}, {"QT_QPA_PLATFORM=offscreen"},
        folder, 3600);
    std::istringstream in(child.output);
    if (!child.exited || child.exitCode != 0 || !(in >> figures.resultsRegimeMs >> figures.resultsSchemeMs)) {
        progress("the results window failed: " + child.output + child.errors);
        return;
    }
    figures.resultsSwitchMs = std::max(figures.resultsRegimeMs, figures.resultsSchemeMs);
}

void printTable(const Figures& f) {
    struct Row {
        std::string figure, value, baseline, ratio, target;
    };
    std::vector<Row> rows = {
        {"figure", "value", "baseline", "ratio", "target"},
        {"read", fixed(f.readMs, 1) + " ms", fixed(f.readBaselineMs, 1) + " ms (read whole, count lines)",
         fixed(f.readRatio(), 2), "ratio <= 6"},
        {"write", fixed(f.writeMs, 1) + " ms", fixed(f.writeBaselineMs, 1) + " ms (same bytes in one go)",
         fixed(f.writeRatio(), 2), "ratio <= 4"},
        {"refresh", fixed(f.refreshMs, 2) + " ms", "", "", "< 5 ms"},
        {"open_ui", fixed(f.openUiMs, 1) + " ms", fixed(f.openUiReadMs, 1) + " ms (read, in turns with it)",
         fixed(f.openUiRatio(), 2), "ratio <= 1.3"},
        {"startup", fixed(f.startupMs, 1) + " ms", "", "", "< 300 ms"},
        {"  process", fixed(f.startupProcessMs, 1) + " ms", "", "", ""},
        {"peak_rss", megabytes(static_cast<double>(f.peakRssBytes)),
         megabytes(static_cast<double>(f.fileBytes)) + " (file)", fixed(f.rssRatio(), 2), "ratio <= 3"},
        {"calc", fixed(f.calcMs, 1) + " ms",
         fixed(f.calcReadMs, 1) + " ms (read, in turns with it; " + std::to_string(f.threads) + " threads)",
         fixed(f.calcRatio(), 2), f.threads == 1 ? "ratio <= 1" : "ratio <= 0.5"},
        {"calc_modes", fixed(f.calcModesMs, 1) + " ms",
         "(normal scheme + 100 modes; " + std::to_string(f.threads) + " threads)", "",
         f.threads == 1 ? "< 100 ms" : "< 50 ms"},
        {"  cold", fixed(f.calcModesColdMs, 1) + " ms", "(the same in fresh memory)", "", ""},
        {"calc_one_thread", fixed(f.calcOneMs, 1) + " ms", fixed(f.calcOneReadMs, 1) + " ms (read, in turns with it)",
         fixed(f.calcOneRatio(), 2), "ratio <= 1"},
        {"calc_modes_one_thread", fixed(f.calcOneModesMs, 1) + " ms", "(normal scheme + 100 modes)", "",
         "< 100 ms"},
        {"calc_output", fixed(f.csvMs, 1) + " ms csv", fixed(f.csvBaselineMs, 1) + " ms (same bytes, one write)",
         fixed(f.csvRatio(), 2), ""},
        {"", fixed(f.jsonMs, 1) + " ms json", fixed(f.jsonBaselineMs, 1) + " ms (same bytes, one write)",
         fixed(f.jsonRatio(), 2), ""},
        {"calc_output_ratio", "", "(the larger)", fixed(f.outputRatio(), 2), "ratio <= 5"},
        {"check", fixed(f.checkMs, 1) + " ms", "(«Проверить данные» in the window, all schemes)", "", ""},
        {"check_peak_rss", fixed(f.checkPeakRssRatio, 2),
         megabytes(double(f.checkRssBeforeBytes)) + " (before the check)", "", "<= 1.5"},
        {"check_rss_after", fixed(f.checkRssAfterRatio, 2), "(window closed)", "", "<= 1.5"},
        {"ui_block_max", fixed(f.uiBlockMaxMs, 1) + " ms", "(longest gap of a 10 ms timer)", "", "< 100 ms"},
        {"results_switch", fixed(f.resultsSwitchMs, 2) + " ms",
         "regime " + fixed(f.resultsRegimeMs, 2) + " ms, scheme " + fixed(f.resultsSchemeMs, 2) + " ms", "",
         "< 50 ms"},
        {"schematic_layout", fixed(f.schematicMs, 1) + " ms",
         "(" + std::to_string(f.schematicSections) + " sections drawn)", "", "< 200 ms"},
    };
    std::size_t widths[4] = {0, 0, 0, 0};
    for (const Row& row : rows) {
        widths[0] = std::max(widths[0], row.figure.size());
        widths[1] = std::max(widths[1], row.value.size());
        widths[2] = std::max(widths[2], row.baseline.size());
        widths[3] = std::max(widths[3], row.ratio.size());
    }
    std::cout << "Largest project: 100 sources x 100 lines x 100 sections, 100 modes each; file "
              << f.fileBytes << " bytes; medians of " << f.runs << " runs\n";
    for (const Row& row : rows)
        std::cout << std::left << std::setw(static_cast<int>(widths[0] + 2)) << row.figure
                  << std::setw(static_cast<int>(widths[1] + 2)) << row.value
                  << std::setw(static_cast<int>(widths[2] + 2)) << row.baseline
                  << std::setw(static_cast<int>(widths[3] + 2)) << row.ratio << row.target << '\n';
    std::cout << "calc: " << f.normalCalculated << " of " << f.normalSchemes
              << " normal schemes calculated, mean iterations " << fixed(f.meanIterations, 2)
              << "; calc_modes: " << f.modesCalculated << " of " << f.modeSchemes
              << " modes of source 1 calculated, with its normal scheme; both on " << f.threads
              << " thread(s), each scheme's result complete and handed over in order\n";
}

void printJson(const Figures& f) {
    std::vector<std::pair<std::string, std::string>> fields = {
        {"file_bytes", std::to_string(f.fileBytes)},
        {"runs", std::to_string(f.runs)},
        {"read_ms", fixed(f.readMs, 3)},
        {"read_baseline_ms", fixed(f.readBaselineMs, 3)},
        {"read_ratio", fixed(f.readRatio(), 3)},
        {"write_ms", fixed(f.writeMs, 3)},
        {"write_baseline_ms", fixed(f.writeBaselineMs, 3)},
        {"write_ratio", fixed(f.writeRatio(), 3)},
        {"refresh_ms", fixed(f.refreshMs, 3)},
        {"open_ui_ms", fixed(f.openUiMs, 3)},
        {"open_ui_read_ms", fixed(f.openUiReadMs, 3)},
        {"open_ui_ratio", fixed(f.openUiRatio(), 3)},
        {"startup_ms", fixed(f.startupMs, 3)},
        {"startup_process_ms", fixed(f.startupProcessMs, 3)},
        {"peak_rss_bytes", std::to_string(f.peakRssBytes)},
        {"rss_ratio", fixed(f.rssRatio(), 3)},
        {"calc_ms", fixed(f.calcMs, 3)},
        {"calc_read_ms", fixed(f.calcReadMs, 3)},
        {"calc_ratio", fixed(f.calcRatio(), 3)},
        {"calc_modes_ms", fixed(f.calcModesMs, 3)},
        {"calc_modes_cold_ms", fixed(f.calcModesColdMs, 3)},
        {"calc_schemes_calculated", std::to_string(f.normalCalculated)},
        {"calc_schemes", std::to_string(f.normalSchemes)},
        {"calc_mean_iterations", fixed(f.meanIterations, 3)},
        {"calc_modes_calculated", std::to_string(f.modesCalculated)},
        {"calc_modes", std::to_string(f.modeSchemes)},
        {"calc_threads", std::to_string(f.threads)},
        {"calc_one_thread_ms", fixed(f.calcOneMs, 3)},
        {"calc_one_thread_read_ms", fixed(f.calcOneReadMs, 3)},
        {"calc_one_thread_ratio", fixed(f.calcOneRatio(), 3)},
        {"calc_one_thread_modes_ms", fixed(f.calcOneModesMs, 3)},
        {"calc_output_csv_bytes", std::to_string(f.csvBytes)},
        {"calc_output_csv_ms", fixed(f.csvMs, 3)},
        {"calc_output_csv_baseline_ms", fixed(f.csvBaselineMs, 3)},
        {"calc_output_json_bytes", std::to_string(f.jsonBytes)},
        {"calc_output_json_ms", fixed(f.jsonMs, 3)},
        {"calc_output_json_baseline_ms", fixed(f.jsonBaselineMs, 3)},
        {"calc_output_ratio", fixed(f.outputRatio(), 3)},
        {"check_ms", fixed(f.checkMs, 3)},
        {"check_peak_rss_ratio", fixed(f.checkPeakRssRatio, 3)},
        {"check_rss_after_ratio", fixed(f.checkRssAfterRatio, 3)},
        {"check_rss_before_bytes", std::to_string(f.checkRssBeforeBytes)},
        {"ui_block_max_ms", fixed(f.uiBlockMaxMs, 3)},
        {"results_switch_ms", fixed(f.resultsSwitchMs, 3)},
        {"results_regime_ms", fixed(f.resultsRegimeMs, 3)},
        {"results_scheme_ms", fixed(f.resultsSchemeMs, 3)},
        {"schematic_layout_ms", fixed(f.schematicMs, 3)},
        {"schematic_sections", std::to_string(f.schematicSections)},
    };
    std::cout << "{";
    for (std::size_t i = 0; i < fields.size(); ++i)
        std::cout << (i ? ", " : "") << '"' << fields[i].first << "\": " << fields[i].second;
    std::cout << "}\n";
}

const char* const kUsage = R"(Usage: k10bench [--json] [--runs N] [--threads N] [--keep] [--calc-only] [--check-only] [--schematic-only]
  --json       print one JSON object instead of the table
  --runs N     runs of each measurement (default 7); the medians are printed
  --threads N  threads of the calculation (default: one per core, at most eight); one thread is
               measured too
  --keep       keep the folder with the generated and the written project, and print its path
  --calc-only  measure the calculation and its baseline only (the other figures print as 0)
  --check-only measure the data check and the results window only (the other figures print as 0)
  --schematic-only  measure the network diagram's layout and scene only (the other figures print as 0)
)";

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--peak-rss-of")
        return peakRssHelper(argc - 2, argv + 2);
    const bool checkChildRun = argc == 3 && std::string(argv[1]) == "--check-child";
    const bool resultsChildRun = argc == 4 && std::string(argv[1]) == "--results-child";
    if (checkChildRun || resultsChildRun) {
        QApplication app(argc, argv);
        return checkChildRun ? checkChild(argv[2]) : resultsChild(argv[2], std::max(1, std::atoi(argv[3])));
    }

    Figures figures;
    bool json = false, keep = false, calcOnly = false, checkOnly = false, schematicOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--json")
            json = true;
        else if (arg == "--keep")
            keep = true;
        else if (arg == "--calc-only")
            calcOnly = true;
        else if (arg == "--check-only")
            checkOnly = true;
        else if (arg == "--schematic-only")
            schematicOnly = true;
        else if (arg == "--runs" && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            figures.runs = std::atoi(argv[++i]);
        else if (arg == "--threads" && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            figures.threads = static_cast<unsigned>(std::atoi(argv[++i]));
        else {
            std::cerr << kUsage;
            return 2;
        }
    }

    if (figures.threads == 0)
        figures.threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u); // as the calculation does

    // The real windows, without a screen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    // A working folder with the default catalogs, which the main window reads when it is first shown.
    QTemporaryDir dir;
    dir.setAutoRemove(!keep);
    std::string folder = dir.path().toStdString();
    for (const char* catalog : {"spravp.dat", "spravt.dat"})
        QFile::copy(QString(K10_SOURCE_DIR "/data/") + catalog, dir.filePath(catalog));
    if (::chdir(folder.c_str()) != 0)
        return 1;

    std::string file = folder + "/largest.k10";
    {
        progress("generating the largest project in " + folder);
        TProect project = k10bench::makeLargestProject();
        k10::writeProject(file, project);
        struct stat info {};
        ::stat(file.c_str(), &info);
        figures.fileBytes = static_cast<long>(info.st_size);

        if (!calcOnly && !checkOnly && !schematicOnly) {
            progress("write");
            measureWrite(figures, project, folder);
        }
    }
    if (!calcOnly && !checkOnly && !schematicOnly) {
        progress("read");
        measureRead(figures, file);
        progress("open and refresh in the main window");
        measureWindow(figures, file);
        progress("start-up");
        measureStartup(figures, folder);
        progress("peak memory of korvane10-tool check");
        measurePeakRss(figures, file, folder);
    }
    if (!calcOnly && !checkOnly) {
        progress("network diagram");
        measureSchematic(figures, file, folder);
    }
    if (!checkOnly && !schematicOnly) {
        progress("calculation");
        measureCalculation(figures, file, folder);
        progress("writing the results");
        measureOutput(figures, file, folder);
    }
    if (!calcOnly && !schematicOnly) {
        progress("the data check in the window (a fresh process)");
        measureCheck(figures, file, folder);
        progress("switches of the results window (a fresh process)");
        measureResultsSwitch(figures, file, folder);
    }

    if (json)
        printJson(figures);
    else
        printTable(figures);
    if (keep)
        progress("kept " + folder);
    return 0;
}
