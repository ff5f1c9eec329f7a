// k10bench: the largest project through the reader, the writer, the main window, the two programs and the
// calculation, each figure against a baseline measured in the same run. It prints figures; it never fails on
// speed.

#include "bench/child_process.h"
#include "bench/project_generator.h"
#include "calc/calculation.h"
#include "calc/result_format.h"
#include "cli/calc_json.h"
#include "catalogs/catalog_files.h"
#include "model/project_file.h"
#include "ui/main_window/form_main.h"
#include "ui/desktop/interaction.h"
#include "ui/widgets/string_grid.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
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
        forms->FormMain->N6->trigger();
        opens.push_back(millisecondsSince(start));
        QApplication::processEvents();
    }
    figures.openUiMs = median(opens);
    figures.openUiReadMs = median(reads);

    // Every source has 100 lines, 100 sections in its first line and 100 modes. The refresh alternates
    // between the first two sources, so that every cell it writes really changes.
    TFormMain* main = forms->FormMain;
    std::vector<double> refreshes;
    for (int run = 0; run < 10 * figures.runs; ++run) {
        int row = run % 2 ? 0 : 1;
        main->CurSource = row;
        auto start = Clock::now();
        main->SelectSourceGrid(row, 0);
        refreshes.push_back(millisecondsSince(start));
        QApplication::processEvents();
    }
    figures.refreshMs = median(refreshes);
    if (main->LinesGrid->rowCount() != 100 || main->LineGrid->rowCount() != 100 ||
        main->ModeWorkGrid->rowCount() != 100 || main->LineGrid->item(99, 6) == nullptr)
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
    };
    std::cout << "{";
    for (std::size_t i = 0; i < fields.size(); ++i)
        std::cout << (i ? ", " : "") << '"' << fields[i].first << "\": " << fields[i].second;
    std::cout << "}\n";
}

const char* const kUsage = R"(Usage: k10bench [--json] [--runs N] [--threads N] [--keep] [--calc-only]
  --json       print one JSON object instead of the table
  --runs N     runs of each measurement (default 7); the medians are printed
  --threads N  threads of the calculation (default: one per core, at most eight); one thread is
               measured too
  --keep       keep the folder with the generated and the written project, and print its path
  --calc-only  measure the calculation and its baseline only (the other figures print as 0)
)";

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--peak-rss-of")
        return peakRssHelper(argc - 2, argv + 2);

    Figures figures;
    bool json = false, keep = false, calcOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--json")
            json = true;
        else if (arg == "--keep")
            keep = true;
        else if (arg == "--calc-only")
            calcOnly = true;
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

        if (!calcOnly) {
            progress("write");
            measureWrite(figures, project, folder);
        }
    }
    if (!calcOnly) {
        progress("read");
        measureRead(figures, file);
        progress("open and refresh in the main window");
        measureWindow(figures, file);
        progress("start-up");
        measureStartup(figures, folder);
        progress("peak memory of korvane10-tool check");
        measurePeakRss(figures, file, folder);
    }
    progress("calculation");
    measureCalculation(figures, file, folder);
    progress("writing the results");
    measureOutput(figures, file, folder);

    if (json)
        printJson(figures);
    else
        printTable(figures);
    if (keep)
        progress("kept " + folder);
    return 0;
}
