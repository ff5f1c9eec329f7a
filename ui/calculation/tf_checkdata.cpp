#include "ui/calculation/tf_checkdata.h"

#include "ui/calculation/check_problems.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/desktop/window_place.h"
#include "ui/calculation/result_tables.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Gives the memory freed by a check back to the system: glibc keeps freed pages of its heap otherwise.
void giveMemoryBack() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

// At most this many schemes' findings wait for the interface at a time; the check waits for it beyond.
constexpr int kWaitingFindings = 32;

struct Cancelled {};

// Sorts one scheme's problems into the source's and its own, and names each code once.
class Sorter {
public:
    explicit Sorter(const TProect& project) : project_(project) {}

    check::SchemeFindings sort(const k10::calc::SchemeResult& scheme) {
        check::SchemeFindings findings;
        findings.source = scheme.source;
        findings.mode = scheme.mode;
        const TSource& record = project_.Sources[scheme.source];
        findings.schemesOfSource = record.ModeWorkCount() + 1;
        if (source_ != scheme.source) {
            source_ = scheme.source;
            sourceProblems_.clear();
            findings.sourceName = fromCp1251(record.Name.view());
        }
        std::vector<std::uint32_t> own(codes_.size());
        for (std::size_t i = 0; i < scheme.problems.size(); ++i) {
            const k10::calc::Problem& problem = scheme.problems[i];
            const std::uint8_t code = codeOf(problem, findings);
            if (own.size() <= code)
                own.resize(std::size_t(code) + 1);
            if (check::isSourceProblem(problem)) {
                std::string key = problem.code + '\x1f' + std::to_string(problem.lineIndex) + '\x1f' +
                                  std::to_string(problem.section) + '\x1f' + problem.text;
                auto [at, added] = sourceProblems_.emplace(std::move(key), int(sourceProblems_.size()));
                if (added)
                    findings.newSourceProblems.push_back({code, std::uint16_t(scheme.mode), std::uint32_t(i), {}});
                if (findings.sourceProblemsHere.empty() || findings.sourceProblemsHere.back() != at->second)
                    findings.sourceProblemsHere.push_back(at->second);
                continue;
            }
            ++own[code];
        }
        for (std::size_t code = 0; code < own.size(); ++code)
            if (own[code] > 0)
                findings.own.push_back({std::uint8_t(code), own[code]});
        std::sort(findings.sourceProblemsHere.begin(), findings.sourceProblemsHere.end());
        findings.sourceProblemsHere.erase(
            std::unique(findings.sourceProblemsHere.begin(), findings.sourceProblemsHere.end()),
            findings.sourceProblemsHere.end());
        return findings;
    }

private:
    std::uint8_t codeOf(const k10::calc::Problem& problem, check::SchemeFindings& findings) {
        auto [at, added] = codes_.emplace(problem.code, std::uint8_t(codes_.size()));
        if (added)
            findings.newCodes.push_back({QString::fromStdString(problem.code), problem.kind});
        return at->second;
    }

    const TProect& project_;
    std::map<std::string, std::uint8_t> codes_;
    int source_ = 0;
    std::unordered_map<std::string, int> sourceProblems_; // of the source being checked
};

} // namespace

// One check on a thread of its own. It reads the data without a copy: the window stops it before they
// change (CalculationData::aboutToChange). Each scheme's findings wait in a queue guarded by the run's mutex
// until the window takes them on its timer; nothing else passes between the threads.
class TF_CheckData::Run {
public:
    Run(const CalculationData& data, const k10::calc::Settings& settings,
        std::vector<k10::calc::SchemeRequest> requests)
        : thread_([this, &data, settings, requests = std::move(requests)] {
              QString failure;
              try {
                  Sorter sorter(data.project());
                  int source = 0;
                  k10::calc::calculateSchemes(data.project(), requests, data.inputs(), settings,
                                              [&](const k10::calc::SchemeResult& scheme) {
                                                  // A source's built lines and normal scheme are freed
                                                  // after its last scheme; their pages go back before
                                                  // the next source's take their place in other arenas.
                                                  if (scheme.source != source) {
                                                      if (source != 0)
                                                          giveMemoryBack();
                                                      source = scheme.source;
                                                  }
                                                  auto findings = std::make_unique<check::SchemeFindings>(
                                                      sorter.sort(scheme));
                                                  put(std::move(findings));
                                              },
                                              0, k10::calc::Content::Problems);
              } catch (const Cancelled&) {
                  // the window shows how far the check came
              } catch (const std::exception& error) {
                  failure = QString::fromUtf8(error.what());
              }
              // The calculation's working memory goes back to the system here, not on the interface thread.
              giveMemoryBack();
              std::lock_guard lock(mutex_);
              ended_ = true;
              failure_ = failure;
          }) {}

    ~Run() {
        cancel();
        thread_.join();
    }

    void cancel() {
        {
            std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        room_.notify_all();
    }
    // The findings waiting, in the order of the schemes; `ended` tells whether more can come, and `failure`
    // why the check failed.
    std::deque<std::unique_ptr<check::SchemeFindings>> take(bool& ended, QString& failure) {
        std::deque<std::unique_ptr<check::SchemeFindings>> taken;
        {
            std::lock_guard lock(mutex_);
            taken.swap(ready_);
            ended = ended_;
            failure = failure_;
        }
        room_.notify_all();
        return taken;
    }

private:
    void put(std::unique_ptr<check::SchemeFindings> findings) {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return cancelled_ || int(ready_.size()) < kWaitingFindings; });
        if (cancelled_)
            throw Cancelled{};
        ready_.push_back(std::move(findings));
    }

    std::mutex mutex_;
    std::condition_variable room_;
    bool cancelled_ = false;
    bool ended_ = false;
    QString failure_;
    std::deque<std::unique_ptr<check::SchemeFindings>> ready_;
    std::thread thread_; // last: starts once the members above exist
};

TF_CheckData::TF_CheckData(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TF_CheckData");
    setWindowTitle("Проверка данных");

    Progress = new QProgressBar(this);
    Progress->setObjectName("Progress");
    Progress->setTextVisible(false);
    ProgressLine = new QLabel(this);
    ProgressLine->setObjectName("ProgressLine");
    CancelButton = new QPushButton("Отмена", this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setEnabled(false);
    connect(CancelButton, &QPushButton::clicked, this, &TF_CheckData::cancel);
    poll_ = new QTimer(this);
    poll_->setInterval(15);
    connect(poll_, &QTimer::timeout, this, &TF_CheckData::takeFindings);

    Summary = new QLabel(this);
    Summary->setObjectName("Summary");
    KindFilter = new QComboBox(this);
    KindFilter->setObjectName("KindFilter");
    KindFilter->addItems({"Все виды", "Ошибки", "Предупреждения"});
    CodeFilter = new QComboBox(this);
    CodeFilter->setObjectName("CodeFilter");
    CodeFilter->addItem("Все коды");
    connect(KindFilter, &QComboBox::currentIndexChanged, this, &TF_CheckData::applyFilter);
    connect(CodeFilter, &QComboBox::currentIndexChanged, this, &TF_CheckData::applyFilter);

    model_ = new check::ProblemsModel(
        [this](int source, int mode) -> const check::RecalculatedScheme& {
            return recalculated(source, mode);
        },
        [this](int source, int mode) {
            if (!data_)
                return QString();
            const TProect& project = data_->project();
            return source <= project.SourceCount() && mode <= project.Sources[source].ModeWorkCount()
                       ? results::schemeCaption(project.Sources[source], mode)
                       : QString();
        },
        this);
    Problems = new QTreeView(this);
    Problems->setObjectName("Problems");
    Problems->setModel(model_);
    Problems->setUniformRowHeights(true);
    Problems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Problems->setSelectionBehavior(QAbstractItemView::SelectRows);
    Problems->header()->setStretchLastSection(false);
    Problems->header()->setSectionResizeMode(check::ProblemsModel::Message, QHeaderView::Stretch);
    Problems->setColumnWidth(check::ProblemsModel::Place, 240);
    Problems->setColumnWidth(check::ProblemsModel::CodeColumn, 50);
    Problems->setColumnWidth(check::ProblemsModel::Kind, 110);
    Problems->setColumnWidth(check::ProblemsModel::Schemes, 160);
    connect(Problems, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (model_->hasChildren(index.siblingAtColumn(0)))
            return;
        // None when the data changed since the check and the problem is not found any more.
        const QVariant place = index.data(check::ProblemsModel::PlaceRole);
        if (place.isValid())
            emit selectRequested(place.value<ProblemPlace>());
    });

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(Progress, 1);
    progressRow->addWidget(ProgressLine);
    progressRow->addWidget(CancelButton);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(Summary, 1);
    filterRow->addWidget(new QLabel("Вид:", this));
    filterRow->addWidget(KindFilter);
    filterRow->addWidget(new QLabel("Код:", this));
    filterRow->addWidget(CodeFilter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(progressRow);
    layout->addLayout(filterRow);
    layout->addWidget(Problems, 1);
    resize(900, 480);
    keepWindowPlace(*this, "check");
}

TF_CheckData::~TF_CheckData() {
    stop();
}

void TF_CheckData::check(const CalculationData& data) {
    // A check that runs or ran to its end stays; one that was cancelled starts again.
    if (data_ == &data && active_ && (isChecking() || checked_ == schemes_))
        return;
    if (data_ != &data) {
        if (data_)
            disconnect(data_, nullptr, this, nullptr);
        data_ = &data;
        // The check reads the data on its thread: it stops before they change, and starts anew after.
        connect(data_, &CalculationData::aboutToChange, this, [this] {
            if (!active_)
                return;
            stop();
            scheduleRestart();
        });
        connect(data_, &CalculationData::changed, this, [this] {
            if (active_)
                scheduleRestart();
        });
    }
    active_ = true;
    start();
}

void TF_CheckData::start() {
    stop();
    model_->clear();
    recalculated_ = previous_ = {};
    CodeFilter->blockSignals(true);
    while (CodeFilter->count() > 1)
        CodeFilter->removeItem(1);
    CodeFilter->setCurrentIndex(0);
    CodeFilter->blockSignals(false);
    applyFilter();

    settings_ = data_->settings();
    const TProect& project = data_->project();
    std::vector<k10::calc::SchemeRequest> requests;
    for (int source = 1; source <= project.SourceCount(); ++source)
        for (int mode = 0; mode <= project.Sources[source].ModeWorkCount(); ++mode)
            requests.push_back({source, mode});
    checked_ = 0;
    schemes_ = int(requests.size());
    Progress->setRange(0, std::max(schemes_, 1));
    Progress->setValue(0);
    showCounts();
    if (requests.empty()) {
        finish({});
        return;
    }
    CancelButton->setEnabled(true);
    run_ = std::make_unique<Run>(*data_, settings_, std::move(requests));
    poll_->start();
}

void TF_CheckData::stop() {
    poll_->stop();
    run_.reset(); // cancels and waits; findings not yet taken go with it
}

void TF_CheckData::cancel() {
    if (run_)
        run_->cancel();
}

void TF_CheckData::scheduleRestart() {
    if (restartPending_)
        return;
    restartPending_ = true;
    QTimer::singleShot(0, this, [this] {
        restartPending_ = false;
        if (active_)
            start();
    });
}

void TF_CheckData::takeFindings() {
    if (!run_)
        return;
    bool ended = false;
    QString failure;
    for (std::unique_ptr<check::SchemeFindings>& findings : run_->take(ended, failure))
        receive(*findings);
    if (ended)
        finish(failure);
}

void TF_CheckData::receive(check::SchemeFindings& findings) {
    for (const check::Code& code : findings.newCodes) {
        int at = 1;
        while (at < CodeFilter->count() && CodeFilter->itemText(at) < code.code)
            ++at;
        CodeFilter->blockSignals(true);
        CodeFilter->insertItem(at, code.code);
        CodeFilter->blockSignals(false);
    }
    model_->add(std::move(findings));
    ++checked_;
    Progress->setValue(checked_);
    showCounts();
}

void TF_CheckData::finish(const QString& failure) {
    stop();
    CancelButton->setEnabled(false);
    Progress->setValue(checked_);
    showCounts();
    if (!failure.isEmpty())
        Summary->setText(failure);
    emit checkFinished();
}

void TF_CheckData::showCounts() {
    const bool ended = !run_;
    if (!ended || checked_ == schemes_)
        ProgressLine->setText(QString("Проверено схем: %1 из %2").arg(checked_).arg(schemes_));
    else
        ProgressLine->setText(QString("Проверка прервана: проверено %1 из %2").arg(checked_).arg(schemes_));
    const long problems = model_->problemCount();
    Summary->setText(problems == 0 && ended && checked_ == schemes_ ? QString("Замечаний нет.")
                                                                    : QString("Замечаний: %1.").arg(problems));
}

void TF_CheckData::applyFilter() {
    std::optional<k10::calc::ProblemKind> kind;
    if (KindFilter->currentIndex() == 1)
        kind = k10::calc::ProblemKind::Error;
    else if (KindFilter->currentIndex() == 2)
        kind = k10::calc::ProblemKind::Warning;
    model_->setFilter(kind, CodeFilter->currentIndex() > 0 ? CodeFilter->currentText() : QString());
}

const check::RecalculatedScheme& TF_CheckData::recalculated(int source, int mode) {
    // The last two schemes are kept: a view shows the problems of a source, found in its first scheme,
    // beside those of another scheme.
    if (recalculated_.source == source && recalculated_.mode == mode)
        return recalculated_.scheme;
    std::swap(recalculated_, previous_);
    if (recalculated_.source == source && recalculated_.mode == mode)
        return recalculated_.scheme;
    recalculated_ = {source, mode, {}};
    recalculated_.scheme.serial = ++recalculations_;
    const TProect& project = data_->project();
    if (source <= project.SourceCount() && mode <= project.Sources[source].ModeWorkCount()) {
        k10::calc::SchemeResult scheme =
            k10::calc::calculateScheme(project, source, mode, data_->inputs(), settings_);
        for (const k10::calc::Problem& problem : scheme.problems)
            recalculated_.scheme.places.push_back(results::placeOf(scheme, problem));
        recalculated_.scheme.problems = std::move(scheme.problems);
    }
    return recalculated_.scheme;
}

void TF_CheckData::closeEvent(QCloseEvent* event) {
    active_ = false;
    stop();
    model_->clear();
    recalculated_ = previous_ = {};
    giveMemoryBack();
    QWidget::closeEvent(event);
}
