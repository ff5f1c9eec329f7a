#include "ui/main_window/form_main.h"

#include "ui/app_info.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/growing_box.h"
#include "ui/desktop/help_opener.h"
#include "ui/desktop/interaction.h"
#include "ui/models/project_table_models.h"
#include "ui/desktop/window_place.h"
#include "ui/models/row_formats.h"
#include "ui/widgets/string_grid.h"
#include "ui/main_window/tformabout.h"
#include "ui/main_window/workbench.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <vector>

namespace {

// One header cell above a data table: a sunken, bold, centred caption that wraps within the cell. A cell
// with a column index stands directly above that column and fixes its width.
struct HeaderCell {
    const char* caption; // lines joined by one carriage return
    int left;
    int top;
    int width;
    int height;
    int column = -1;
};

const QColor kHeaderColour(0xd4, 0xd0, 0xc8);

// The window's size at start-up, for which the boxes are laid out.
constexpr QSize kDefaultSize(645, 661);

QLabel* makeHeaderCell(QWidget* box, const HeaderCell& cell) {
    auto* label = new QLabel(QString::fromUtf8(cell.caption).replace('\r', '\n'), box);
    label->setObjectName(QString("Header_%1_%2").arg(cell.left).arg(cell.top));
    label->setProperty("caption", QString::fromUtf8(cell.caption));
    label->setGeometry(cell.left, cell.top, cell.width, cell.height);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, box->palette().color(QPalette::Button));
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    return label;
}

// Builds the header of one table; returns the cells that stand above the columns, in column order.
std::vector<QLabel*> makeHeader(QWidget* box, const std::vector<HeaderCell>& cells, int columns) {
    std::vector<QLabel*> byColumn(static_cast<std::size_t>(columns), nullptr);
    for (const HeaderCell& cell : cells) {
        QLabel* label = makeHeaderCell(box, cell);
        if (cell.column >= 0)
            byColumn[static_cast<std::size_t>(cell.column)] = label;
    }
    return byColumn;
}

QGroupBox* makeBox(QWidget* client, const char* name, const QString& caption, QRect geometry) {
    auto* box = new QGroupBox(caption, client);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setStyleSheet("QGroupBox { font-weight: bold; }");
    return box;
}

StringGrid* makeGrid(QWidget* box, const char* name, int columns, int rowHeight, QRect geometry) {
    auto* grid = new StringGrid(columns, rowHeight, box);
    grid->setObjectName(name);
    grid->setGeometry(geometry);
    grid->setStyleSheet("font-weight: normal;");
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Tab leaves the table for the next one instead of walking its cells.
    grid->setTabKeyNavigation(false);
    return grid;
}

// Opens a context menu on a control and on everything that should share it.
void attachMenu(QMenu* menu, std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(widget, &QWidget::customContextMenuRequested, menu,
                         [menu, widget](const QPoint& at) { menu->popup(widget->mapToGlobal(at)); });
    }
}

// Each column is as wide as the header cell above it less 2 pixels (less 3 for the first column); the
// table is as wide as its columns plus one pixel per column plus 2.
void sizeFromHeader(StringGrid* grid, const std::vector<QLabel*>& header) {
    int total = 0;
    for (int column = 0; column < grid->columnCount(); ++column) {
        int width = header[static_cast<std::size_t>(column)]->width() - (column == 0 ? 3 : 2);
        grid->setColumnWidth(column, width);
        total += width;
    }
    grid->setFixedWidth(total + grid->columnCount() + 2);
}

} // namespace

TFormMain::TFormMain(ProjectDocument& document, CurrentPlace& place, Interaction& user, QWidget* parent)
    : QMainWindow(parent), Proect(document.project()),
      WireCatalog(document.reference<k10::WireCatalog>().data()),
      TransCatalog(document.reference<k10::TransCatalog>().data()), document_(document), place_(place),
      user_(user) {
    setObjectName("FormMain");
    setWindowTitle(k10app::Title);

    auto* client = new QWidget(this);
    client->setObjectName("Client");
    setCentralWidget(client);
    buildMenus();
    buildSourcesBox(client);
    buildLinesBox(client);
    buildSectionsBox(client);
    buildModesBox(client);
    sourcesBox_ = std::make_unique<GrowingBox>(RzGroupBox1, SourceGrid);
    linesBox_ = std::make_unique<GrowingBox>(RzGroupBox4, LinesGrid);
    sectionsBox_ = std::make_unique<GrowingBox>(RzGroupBox2, LineGrid);
    modesBox_ = std::make_unique<GrowingBox>(RzGroupBox3, ModeWorkGrid);
    resize(kDefaultSize);
    // Its boxes are laid out for the default size and only grow: it is never made smaller to fit a screen.
    keepWindowPlace(*this, "main", kDefaultSize);
    // Tab and Shift+Tab go round the four tables in this order.
    setTabOrder(SourceGrid, LinesGrid);
    setTabOrder(LinesGrid, LineGrid);
    setTabOrder(LineGrid, ModeWorkGrid);
    buildStatusBar();
    buildFileDialogs();
    // The tables show the current place's models and its rows; a row the user makes current goes to the
    // place first.
    const std::pair<StringGrid*, ProjectTableModel*> views[] = {{SourceGrid, &place_.sources()},
                                                                 {LinesGrid, &place_.lines()},
                                                                 {LineGrid, &place_.sections()},
                                                                 {ModeWorkGrid, &place_.modes()}};
    for (auto [grid, model] : views) {
        grid->setModel(model);
        connect(model, &ProjectTableModel::rowToShow, grid, &StringGrid::showRow);
    }
    connect(&place_, &CurrentPlace::changed, this, &TFormMain::showCurrentRows);
    showCurrentRows();
}

TFormMain::~TFormMain() = default;

void TFormMain::attach(Workbench* forms) {
    forms_ = forms;
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        run([this] { FormShow(); });
        // The coefficient table is read even when a catalog was not: a refused file has its own error box.
        run([this] { document_.read<k10::LoadCoefficientTable>(); });
    }
}

void TFormMain::FormShow() {
    // Every conversion between reals and text in the system uses '.' whatever the locale: the number
    // helpers of the core never consult it, so there is no separator to set.
    // A catalog that cannot be read ends the start-up here with the error box; the window is shown all
    // the same.
    document_.read<k10::WireCatalog>();
    fillWireLists();
    document_.read<k10::TransCatalog>();
    fillTransLists();
    sizeTables();
}

void TFormMain::sizeTables() {
    tablesSized_ = true;
    sizeFromHeader(SourceGrid, sourceHeader_);
    sizeFromHeader(LineGrid, sectionHeader_);
    sizeFromHeader(ModeWorkGrid, modeHeader_);
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeBoxes();
}

void TFormMain::placeBoxes() {
    const QSize grown = (size() - kDefaultSize).expandedTo(QSize(0, 0));
    // The sections and the modes take two fifths of the height gained each, the sources the rest; the
    // lines list grows as tall as the sections beside it and keeps its width.
    const int sections = grown.height() * 2 / 5;
    const int modes = grown.height() * 2 / 5;
    const int sources = grown.height() - sections - modes;
    sourcesBox_->place(0, {grown.width(), sources});
    linesBox_->place(sources, {0, sections});
    sectionsBox_->place(sources, {grown.width(), sections});
    modesBox_->place(sources + sections, {grown.width(), modes});
    // The columns follow their header cells, as they did when the tables were first sized.
    if (tablesSized_)
        sizeTables();
}

void TFormMain::run(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        user_.showError(this, QString::fromUtf8(error.what()));
    }
}

QAction* TFormMain::addCommand(QMenu* menu, const char* name, const QString& caption, Handler handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (handler)
        connect(action, &QAction::triggered, this,
                [this, handler] { run([this, handler] { (this->*handler)(); }); });
    return action;
}

void TFormMain::buildMenus() {
    auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(name);
        return action;
    };

    N1 = menuBar()->addMenu("&Файл");
    N1->setObjectName("N1");
    N6 = addCommand(N1, "N6", "Открыть", &TFormMain::N6Click);
    N6->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    N7 = addCommand(N1, "N7", "Сохранить", &TFormMain::N7Click);
    N7->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    N11 = separator(N1, "N11");
    DOS1 = addCommand(N1, "DOS1", "Импорт из DOS", &TFormMain::DOS1Click);
    N8 = separator(N1, "N8");
    N9 = addCommand(N1, "N9", "Выйти", &TFormMain::N9Click);

    buildEditMenu();

    N13 = menuBar()->addMenu("&Справочники");
    N13->setObjectName("N13");
    N14 = addCommand(N13, "N14", "Провода, кабели", &TFormMain::N14Click);
    N16 = addCommand(N13, "N16", "Трансформаторы", &TFormMain::N16Click);
    N20 = addCommand(N13, "N20", "Коэффициенты графиков нагрузки", &TFormMain::N20Click);

    buildCalculationMenu();

    N2 = menuBar()->addMenu("Помо&щь");
    N2->setObjectName("N2");
    N3 = addCommand(N2, "N3", "О программе", &TFormMain::N3Click);
    N12 = addCommand(N2, "N12", "Помощь", &TFormMain::N12Click);
    N12->setShortcut(QKeySequence(Qt::Key_F1));

    Source_PopupMenu = new QMenu(this);
    Source_PopupMenu->setObjectName("Source_PopupMenu");
    Source_Add = addCommand(Source_PopupMenu, "Source_Add", "Добавить", &TFormMain::Source_AddClick);
    Source_Edit = addCommand(Source_PopupMenu, "Source_Edit", "Изменить", &TFormMain::Source_EditClick);
    Source_Del = addCommand(Source_PopupMenu, "Source_Del", "Удалить", &TFormMain::Source_DelClick);

    LinesPopupMenu = new QMenu(this);
    LinesPopupMenu->setObjectName("LinesPopupMenu");
    N5 = addCommand(LinesPopupMenu, "N5", "Новая линия", &TFormMain::N5Click);
    N10 = addCommand(LinesPopupMenu, "N10", "Удалить линию", &TFormMain::N10Click);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    Line_Add = addCommand(PopupMenu2, "Line_Add", "Добавить", &TFormMain::Line_AddClick);
    N15 = addCommand(PopupMenu2, "N15", "Вставить", &TFormMain::N15Click);
    Line_Edit = addCommand(PopupMenu2, "Line_Edit", "Изменить", &TFormMain::Line_EditClick);
    Line_Del = addCommand(PopupMenu2, "Line_Del", "Удалить", &TFormMain::Line_DelClick);

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    ModeWork_Add = addCommand(PopupMenu3, "ModeWork_Add", "Добавить", &TFormMain::ModeWork_AddClick);
    ModeWork_Edit = addCommand(PopupMenu3, "ModeWork_Edit", "Изменить", &TFormMain::ModeWork_EditClick);
    ModeWork_Del = addCommand(PopupMenu3, "ModeWork_Del", "Удалить", &TFormMain::ModeWork_DelClick);
    N4 = separator(PopupMenu3, "N4");
    // The caption's fourth letter is a Latin c.
    Calculate = addCommand(PopupMenu3, "Calculate", "Рас\u0063читать", &TFormMain::CalculateClick);
    Calculate->setIcon(calculateIcon());
}

void TFormMain::buildSourcesBox(QWidget* client) {
    RzGroupBox1 = makeBox(client, "RzGroupBox1", "Источники питания", QRect(8, 0, 625, 151));
    const int top = 18, row = 18;
    sourceHeader_ = makeHeader(RzGroupBox1,
                               {{"Наименование источника питания", 8, top, 233, 3 * row, 0},
                                {"Код ист. пит.", 241, top, 57, 3 * row, 1},
                                {"Ном. напр. (кВ)", 298, top, 57, 3 * row, 2},
                                {"Сопротивление системы (Ом)", 355, top, 257, row},
                                {"Макс. режим", 355, top + row, 129, row},
                                {"Мин. режим", 484, top + row, 129, row},
                                {"R", 355, top + 2 * row, 65, row, 3},
                                {"X", 420, top + 2 * row, 65, row, 4},
                                {"R", 485, top + 2 * row, 65, row, 5},
                                {"X", 550, top + 2 * row, 65, row, 6}},
                               7);
    SourceGrid =
        makeGrid(RzGroupBox1, "SourceGrid", 7, 24, QRect(8, top + 3 * row, 601, 151 - top - 3 * row - 5));
    attachMenu(Source_PopupMenu, {RzGroupBox1, SourceGrid});
    SourceGrid->setCommands({Source_PopupMenu, Source_Add, Source_Edit, Source_Del});
    for (QLabel* cell : RzGroupBox1->findChildren<QLabel*>())
        attachMenu(Source_PopupMenu, {cell});
    connect(SourceGrid, &StringGrid::selectCell, this,
            [this](int column, int row) { SourceGridSelectCell(column, row); });
}

void TFormMain::buildLinesBox(QWidget* client) {
    RzGroupBox4 = makeBox(client, "RzGroupBox4", "Линии", QRect(8, 152, 81, 258));
    LinesGrid = makeGrid(RzGroupBox4, "LinesGrid", 1, 24, QRect(4, 18, 73, 258 - 18 - 4));
    LinesGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LinesGrid->setColumnWidth(0, 69);
    attachMenu(LinesPopupMenu, {LinesGrid});
    // A line has nothing to change but its sections.
    LinesGrid->setCommands({LinesPopupMenu, N5, nullptr, N10});
    connect(LinesGrid, &StringGrid::selectCell, this,
            [this](int column, int row) { LinesGridSelectCell(column, row); });
}

void TFormMain::buildSectionsBox(QWidget* client) {
    RzGroupBox2 = makeBox(client, "RzGroupBox2", "Описание линий", QRect(96, 152, 537, 257));
    const int top = 18, row = 22;
    sectionHeader_ = makeHeader(RzGroupBox2,
                                {{"Участок", 8, top, 155, row},
                                 {"Начало", 8, top + row, 78, row, 0},
                                 {"Конец", 86, top + row, 78, row, 1},
                                 {"Длина участка (км)", 164, top, 73, 2 * row, 2},
                                 {"Провод, кабель", 237, top, 81, 2 * row, 3},
                                 {"Шифр графика нагрузок", 318, top, 73, 2 * row, 4},
                                 {"Макс. нагр. (кВА)", 391, top, 57, 2 * row, 5},
                                 {"Марка трасф.", 448, top, 84, 2 * row, 6}},
                                7);
    LineGrid =
        makeGrid(RzGroupBox2, "LineGrid", 7, 15, QRect(8, top + 2 * row, 518, 257 - top - 2 * row - 5));
    attachMenu(PopupMenu2, {RzGroupBox2, LineGrid});
    // Insert appends, as «Добавить» does; «Вставить» stays with the menu.
    LineGrid->setCommands({PopupMenu2, Line_Add, Line_Edit, Line_Del});
    connect(LineGrid, &StringGrid::selectCell, this,
            [this](int column, int row) { LineGridSelectCell(column, row); });
}

void TFormMain::buildModesBox(QWidget* client) {
    RzGroupBox3 = makeBox(client, "RzGroupBox3", "Режимы работы", QRect(8, 411, 625, 174));
    const int top = 18, upper = 22, lower = 32;
    modeHeader_ = makeHeader(RzGroupBox3,
                             {{"Источники,\rлинии", 8, top, 137, upper},
                              {"От", 8, top + upper, 73, lower, 0},
                              {"До", 81, top + upper, 65, lower, 1},
                              {"Перемычка", 146, top, 321, upper},
                              {"Узел нач.", 146, top + upper, 81, lower, 2},
                              {"Узел кон.", 227, top + upper, 81, lower, 3},
                              {"Длина \r(км)", 308, top + upper, 81, lower, 4},
                              {"Провод,\rкабель", 389, top + upper, 81, lower, 5},
                              {"Узел\rоткл.", 470, top, 73, upper + lower, 6},
                              {"Измен.\rнагрузки\r%", 543, top, 73, upper + lower, 7}},
                             8);
    ModeWorkGrid = makeGrid(RzGroupBox3, "ModeWorkGrid", 8, 24,
                            QRect(8, top + upper + lower, 601, 174 - top - upper - lower - 5));
    attachMenu(PopupMenu3, {RzGroupBox3, ModeWorkGrid});
    ModeWorkGrid->setCommands({PopupMenu3, ModeWork_Add, ModeWork_Edit, ModeWork_Del});
    connect(ModeWorkGrid, &StringGrid::selectCell, this,
            [this](int column, int row) { ModeWorkGridSelectCell(column, row); });
}

void TFormMain::buildStatusBar() {
    DatePane = new QLabel(this);
    DatePane->setObjectName("DatePane");
    TimePane = new QLabel(this);
    TimePane->setObjectName("TimePane");
    statusBar()->addWidget(DatePane, 1);
    statusBar()->addPermanentWidget(TimePane);
    auto tick = [this] {
        QDateTime now = QDateTime::currentDateTime();
        DatePane->setText(QLocale().toString(now.date(), QLocale::LongFormat));
        TimePane->setText(now.time().toString("H:mm:ss"));
    };
    tick();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, tick);
    clock->start(1000);
}

void TFormMain::buildFileDialogs() {
    auto make = [this](const char* name, QFileDialog::AcceptMode mode, const QString& filter,
                       const QString& suffix) {
        auto* dialog = new QFileDialog(this);
        dialog->setObjectName(name);
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setAcceptMode(mode);
        dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                            : QFileDialog::AnyFile);
        dialog->setNameFilter(filter);
        dialog->setDefaultSuffix(suffix);
        dialog->setFilter(dialog->filter() | QDir::Hidden);
        return dialog;
    };
    OpenProjectDialog1 = make("OpenProjectDialog1", QFileDialog::AcceptOpen, "Korvane(*.k10)", "k10");
    SaveProjectDialog1 = make("SaveProjectDialog1", QFileDialog::AcceptSave, "Korvane(*.k10)", "k10");
    SaveProjectDialog1->setOption(QFileDialog::DontConfirmOverwrite);
    // The dialog shows the filter as "Dos Korvane(*.ip;*.lin;*.reg)" and matches the patterns in the last
    // parentheses, which also find a set stored with upper-case names.
    I_forDos = make("I_forDos", QFileDialog::AcceptOpen,
                    "Dos Korvane(*.ip;*.lin;*.reg) (*.ip *.lin *.reg *.IP *.LIN *.REG)", QString());
    I_forDos->setOption(QFileDialog::HideNameFilterDetails);
}

void TFormMain::showCurrentRows() {
    SourceGrid->showCurrent(place_.source());
    LinesGrid->showCurrent(place_.line());
    LineGrid->showCurrent(place_.section());
    ModeWorkGrid->showCurrent(place_.mode());
}

SelectionCheck TFormMain::selection() const {
    return place_.check();
}

std::optional<ProjectPlace> TFormMain::target(const SelectionCheck& check) {
    if (check.passed())
        return check.place();
    if (!check.refusal().isEmpty())
        user_.showMessage(this, check.refusal());
    return std::nullopt;
}

void TFormMain::SourceGridSelectCell(int, int ARow) {
    place_.chooseSource(ARow);
}

void TFormMain::LinesGridSelectCell(int, int ARow) {
    place_.chooseLine(ARow);
}

void TFormMain::LineGridSelectCell(int, int ARow) {
    place_.chooseSection(ARow);
}

void TFormMain::ModeWorkGridSelectCell(int, int ARow) {
    place_.chooseMode(ARow);
}

void TFormMain::N9Click() {
    close();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    run([&] { mayClose = mayDropProject(); });
    event->setAccepted(mayClose);
}

void TFormMain::N12Click() {
    openHelp(user_, this);
}

void TFormMain::N3Click() {
    user_.runDialog(*forms_->FormAbout);
}
