#include "ui/form_main.h"

#include "ui/cp1251_text.h"
#include "ui/fields.h"
#include "ui/interaction.h"
#include "ui/row_formats.h"
#include "ui/string_grid.h"
#include "ui/tf_line.h"
#include "ui/tf_newline.h"
#include "ui/workbench.h"

// The commands of the lines list and of the sections table. Each checks its preconditions in a fixed
// order and ends with a message at the first that fails; the project changes only after OK in the
// dialog. Beyond those checks, the current rows are tested against the counts before a record is read,
// so no command touches a line or section that does not exist, and no list grows past its 100 entries.

namespace {

void tell(QWidget* window, const char* text) {
    interaction().showMessage(window, QString::fromUtf8(text));
}

bool within(int row, int count) {
    return row >= 0 && row < count;
}

const char* const kPickSource = "Выберите источник питания в таблице источников";
const char* const kPickLine = "Выберите линию в списке линий";
const char* const kPickSection = "Выберите участок в описании линии";
const char* const kTooManyLines = "У источника питания уже 100 линий, больше добавить нельзя";
const char* const kTooManySections = "В линии уже 100 участков, больше добавить нельзя";

} // namespace

void TFormMain::N5Click() {
    if (Proect.SourceCount() < 1)
        return tell(this, "Необходимо ввести источник питания");
    if (!within(CurSource, Proect.SourceCount()))
        return tell(this, kPickSource);
    TSource& source = Proect.Sources[CurSource + 1];
    if (source.Lines.full())
        return tell(this, kTooManyLines);

    TF_NewLine& dialog = *forms_->F_NewLine;
    dialog.LineName->clearValue();
    if (!interaction().runDialog(dialog))
        return;

    // The name is the source's position in the list, a "0" before a one-digit number, and the number.
    QString name = QString::number(CurSource + 1);
    if (dialog.LineName->value() < 10)
        name += '0';
    name += dialog.shownNumber();
    TLines& line = source.Lines.append();
    line.Name = toCp1251(name);

    LinesGrid->setRows(source.LineCount());
    LinesGrid->setCell(source.LineCount() - 1, 0, fromCp1251(line.Name.view()));
}

void TFormMain::N10Click() {
    if (Proect.SourceCount() < 1)
        return tell(this, "Удалять нечего");
    if (!within(CurSource, Proect.SourceCount()))
        return tell(this, kPickSource);
    TSource& source = Proect.Sources[CurSource + 1];
    if (source.LineCount() < 1)
        return tell(this, "Необходимо сначала создать линию");
    if (!within(CurLine, source.LineCount()))
        return tell(this, kPickLine);

    source.Lines.remove(CurLine + 1);
    SelectSourceGrid(CurSource, 0);
}

void TFormMain::Line_AddClick() {
    if (Proect.SourceCount() < 1)
        return tell(this, "Необходимо ввести источник питания");
    if (!within(CurSource, Proect.SourceCount()))
        return tell(this, kPickSource);
    TSource& source = Proect.Sources[CurSource + 1];
    if (source.LineCount() < 1)
        return tell(this, "Необходимо ввести линию для данного источника");
    if (!within(CurLine, source.LineCount()))
        return tell(this, kPickLine);
    TLines& line = source.Lines[CurLine + 1];
    if (line.Sections.full())
        return tell(this, kTooManySections);

    TF_Line& dialog = *forms_->F_Line;
    dialog.clearFields();
    // The first section begins at the line's head node, which bears the line's name.
    if (line.SectionCount() == 0) {
        dialog.L_Begin->setText(fromCp1251(line.Name.view()));
        dialog.L_Begin->setEnabled(false);
    }
    if (!interaction().runDialog(dialog))
        return;

    dialog.readSection(line.Sections.append());
    const int n = line.SectionCount();
    LineGrid->setRows(n);
    LineGrid->setRowTexts(n - 1, dialog.rowTexts());
}

void TFormMain::N15Click() {
    // Nothing may stand before the first section; this holds whatever the project holds.
    if (CurSection == 0)
        return tell(this, "Перед первым описанием линии ничего вставить нельзя");
    if (Proect.SourceCount() < 1)
        return tell(this, "Необходимо создать источники питания");
    if (!within(CurSource, Proect.SourceCount()))
        return tell(this, kPickSource);
    TSource& source = Proect.Sources[CurSource + 1];
    if (source.LineCount() < 1)
        return tell(this, "Необходимо создать линию");
    if (!within(CurLine, source.LineCount()))
        return tell(this, kPickLine);
    TLines& line = source.Lines[CurLine + 1];
    if (line.SectionCount() < 2) {
        interaction().showMessage(this, joinLines("Вставка возможна при наличии 2-х и более описаний линии",
                                                  "Воспользуйтесь пунком меню \"Добавить\""));
        return;
    }
    if (!within(CurSection, line.SectionCount()))
        return tell(this, kPickSection);
    if (line.Sections.full())
        return tell(this, kTooManySections);

    TF_Line& dialog = *forms_->F_Line;
    dialog.clearFields();
    if (!interaction().runDialog(dialog))
        return;

    // The new section takes the current one's place; it and the later ones move back by one.
    dialog.readSection(line.Sections.insert(CurSection + 1));
    SelectSourceGrid(CurSource, CurLine);
}

void TFormMain::Line_EditClick() {
    if (Proect.SourceCount() < 1)
        return tell(this, "Необходимо сначала создать источник питания");
    if (!within(CurSource, Proect.SourceCount()))
        return tell(this, kPickSource);
    TSource& source = Proect.Sources[CurSource + 1];
    if (source.LineCount() < 1)
        return tell(this, "Необходимо сначала создать линию");
    if (!within(CurLine, source.LineCount()))
        return tell(this, kPickLine);
    TLines& line = source.Lines[CurLine + 1];
    if (line.SectionCount() < 1)
        return tell(this, "Необходимо сначала создать описание линии");
    if (!within(CurSection, line.SectionCount()))
        return tell(this, kPickSection);

    TF_Line& dialog = *forms_->F_Line;
    TLine& section = line.Sections[CurSection + 1];
    // The begin node of a line's first section is the line's head node and stays fixed.
    dialog.L_Begin->setEnabled(CurSection != 0);
    dialog.showSection(section);
    if (!interaction().runDialog(dialog))
        return;

    dialog.readSection(section);
    LineGrid->setRowTexts(CurSection, dialog.rowTexts());
}

void TFormMain::Line_DelClick() {
    const char* const nothing = "Удалять нечего";
    if (Proect.SourceCount() < 1)
        return tell(this, nothing);
    if (!within(CurSource, Proect.SourceCount()))
        return tell(this, kPickSource);
    TSource& source = Proect.Sources[CurSource + 1];
    if (source.LineCount() < 1)
        return tell(this, nothing);
    if (!within(CurLine, source.LineCount()))
        return tell(this, kPickLine);
    TLines& line = source.Lines[CurLine + 1];
    if (line.SectionCount() < 1)
        return tell(this, nothing);
    if (!within(CurSection, line.SectionCount()))
        return tell(this, kPickSection);

    line.Sections.remove(CurSection + 1);
    SelectSourceGrid(CurSource, CurLine);
}
