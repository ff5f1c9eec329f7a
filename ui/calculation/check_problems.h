#pragma once

#include "calc/calculation.h"
#include "ui/calculation_service/calculation_data.h"

#include <QAbstractItemModel>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The problems of a data check as a tree: the sources, under each the problems of the source and of its
// lines (each once, with the schemes it concerns), then the schemes with problems of their own, under each
// its problems. Of a scheme's own problems only how many there are of each code is kept: a check of the
// largest project finds millions of them. When a view shows one, the scheme's problems are calculated anew.
namespace check {

// A code of problem as the check met it; problems name it by its position in the list of codes.
struct Code {
    QString code;
    k10::calc::ProblemKind kind = k10::calc::ProblemKind::Error;
};

// How many of a scheme's own problems have one code.
struct CodeCount {
    std::uint8_t code = 0; // into the codes
    std::uint32_t count = 0;

    friend bool operator==(const CodeCount&, const CodeCount&) = default;
};

// A scheme's problems calculated anew, with the place the main window selects for each.
struct RecalculatedScheme {
    std::vector<k10::calc::Problem> problems;
    std::vector<ProblemPlace> places; // of each problem
    std::uint64_t serial = 0;         // a new one at each calculation
};

// The schemes a problem of a source concerns, ascending (0 the normal scheme), as runs of consecutive
// numbers: such a problem is mostly found in every scheme of its source, one run kept in place.
class ModeRuns {
public:
    // A scheme after every one added so far.
    void add(int mode);
    int count() const { return count_; }
    int first() const { return count_ > 0 ? first_ : -1; }
    // Every scheme but the normal one, in turn.
    template <class Use>
    void forEachMode(Use use) const {
        auto run = [&](int first, int last) {
            for (int mode = std::max(first, 1); mode <= last; ++mode)
                use(mode);
        };
        if (count_ > 0)
            run(first_, last_);
        if (more_)
            for (auto [first, last] : *more_)
                run(first, last);
    }

private:
    std::uint16_t first_ = 0, last_ = 0; // the first run
    std::uint16_t count_ = 0;
    std::unique_ptr<std::vector<std::pair<std::uint16_t, std::uint16_t>>> more_; // the runs after it
};

// A problem of the source or of one of its lines, found in one or more of its schemes. Neither its text
// nor its place is kept, as a source whose sections all miss their wire has as many problems as
// sections: they are those of the problem at `index` among the problems of the scheme it was first found
// in, calculated anew.
struct SourceProblem {
    std::uint8_t code = 0;
    std::uint16_t foundIn = 0; // the scheme
    std::uint32_t index = 0;
    ModeRuns modes;
};

// What the check found in one scheme, handed from the thread that checks to the model.
struct SchemeFindings {
    int source = 0;
    int mode = 0;
    int schemesOfSource = 1; // the normal scheme and the modes
    QString sourceName;
    std::vector<Code> newCodes;            // codes met for the first time, appended to the codes
    std::vector<SourceProblem> newSourceProblems; // appended to the source's problems
    std::vector<int> sourceProblemsHere;   // the source's problems (new ones included) found in this scheme
    std::vector<CodeCount> own;            // the scheme's own problems, by ascending code
};

// Whether a problem belongs to the source or its lines (the data of the source, the same in each of its
// schemes) rather than to one scheme: the source's checks (P), a section's (S) and a line's tree (T).
bool isSourceProblem(const k10::calc::Problem& problem);

class ProblemsModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { Place, CodeColumn, Kind, Message, Schemes, ColumnCount };
    static constexpr int PlaceRole = Qt::UserRole; // the ProblemPlace a double-click selects

    // The problems of a scheme as calculated anew, for the rows of its own problems.
    using Recalculate = std::function<const RecalculatedScheme&(int source, int mode)>;

    // The caption of a scheme as the list shows it, asked for when a view shows it rather than kept.
    using Caption = std::function<QString(int source, int mode)>;

    ProblemsModel(Recalculate recalculate, Caption caption, QObject* parent = nullptr);

    void clear();
    void add(SchemeFindings findings);
    // Shows only the problems of a kind (nothing: every kind) and of a code (empty: every code).
    void setFilter(std::optional<k10::calc::ProblemKind> kind, const QString& code);

    // Problems found: each of a source or a line once, and each of a scheme.
    long problemCount() const { return problems_; }
    const std::vector<Code>& codes() const { return codes_; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Scheme {
        int mode = 0;
        std::uint32_t shown = 0; // own problems passing the filter
        std::vector<CodeCount> counts;
    };
    struct Source {
        int source = 0;
        QString name;
        int schemesCount = 1;
        std::vector<SourceProblem> problems;
        std::vector<Scheme> schemes; // those with problems of their own
        std::vector<int> shownProblems, shownSchemes;
    };
    // What a row is: a source, a problem of a source, a scheme, or a problem of a scheme.
    struct Row {
        int source = -1, sourceProblem = -1, scheme = -1, problem = -1;
    };

    Row rowOf(const QModelIndex& index) const;
    bool passes(std::uint8_t code) const;
    // Counts the scheme's own problems passing the filter; false when none does.
    bool refilter(Scheme& scheme) const;
    QString schemesText(const Source& source, const SourceProblem& problem) const;
    // The problem as calculated anew with its place; null when the data have changed since the check.
    const RecalculatedScheme* recalculatedProblem(const Source& source, const SourceProblem& problem) const;
    // The scheme's problems calculated anew and the position among them of its row-th own problem passing
    // the filter; nothing when they no longer are those the check found.
    const RecalculatedScheme* recalculatedRow(int source, int scheme, int row, std::size_t& position) const;
    void refilterAll();

    Recalculate recalculate_;
    Caption caption_;
    std::vector<Code> codes_;
    std::vector<Source> sources_;
    std::vector<int> shownSources_;
    long problems_ = 0;
    std::optional<k10::calc::ProblemKind> kind_;
    QString code_;
    std::map<std::string, std::uint8_t> codeIndex_; // of the codes
    // The positions of the own problems passing the filter among the last scheme calculated anew, so that
    // the rows of a scheme with many of them are found without going through its problems each time.
    struct ShownRows {
        int source = -1, scheme = -1;
        std::uint64_t serial = 0;
        bool same = false; // the problems are those the check found
        std::vector<std::uint32_t> positions;
    };
    mutable ShownRows shownRows_;
};

} // namespace check
