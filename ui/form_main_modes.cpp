// The operating modes of the selected source: Add, Change, Delete, and the Calculate check.

#include "ui/cp1251_text.h"
#include "ui/fields.h"
#include "ui/form_main.h"
#include "ui/interaction.h"
#include "ui/string_grid.h"
#include "ui/tf_modework.h"
#include "ui/workbench.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

// The selected source, or nullptr when the index names none.
TSource* sourceAt(TProect& project, int index) {
    return index >= 0 && index < project.SourceCount() ? &project.Sources[index + 1] : nullptr;
}

// The selected line of a source, or nullptr when the index names none.
TLines* lineAt(TSource& source, int index) {
    return index >= 0 && index < source.LineCount() ? &source.Lines[index + 1] : nullptr;
}

bool hasSections(TSource& source, int lineIndex) {
    const TLines* line = lineAt(source, lineIndex);
    return line && line->SectionCount() > 0;
}

} // namespace

void TFormMain::ModeWork_AddClick() {
    TSource* source = sourceAt(Proect, CurSource);
    if (!source) {
        interaction().showMessage(this, "Необходимо ввести источник питания");
        return;
    }
    TLines* line = lineAt(*source, CurLine);
    if (!line) {
        interaction().showMessage(this, "Необходимо ввести линию для данного источника");
        return;
    }
    if (line->SectionCount() == 0) {
        interaction().showMessage(this, "Необходимо ввести описание линии для данного источника");
        return;
    }
    if (source->ModeWorks.full()) {
        interaction().showMessage(this, QString("Для данного источника уже введено %1 режимов работы. "
                                                "Новый режим добавить нельзя")
                                            .arg(source->ModeWorks.capacity));
        return;
    }

    TF_ModeWork& dialog = *forms_->F_ModeWork;
    dialog.L_begin->setText(fromCp1251(line->Name.view()));
    dialog.rebuildLineList(Proect);
    dialog.L_End->setEditText(QString());
    dialog.Uzel_Begin->clear();
    dialog.Uzel_End->clear();
    dialog.Provod_Box->setEditText(QString());
    dialog.Uzel_Off->clear();
    dialog.Dlina->setValue(0);
    dialog.Izm_Nagr->setValue(0);
    if (!interaction().runDialog(dialog))
        return;

    dialog.storeInto(source->ModeWorks.append());
    const int n = source->ModeWorkCount();
    ModeWorkGrid->setRows(n);
    ModeWorkGrid->setRowTexts(n - 1, dialog.shownRow());
}

void TFormMain::ModeWork_EditClick() {
    TSource* source = sourceAt(Proect, CurSource);
    if (!source) {
        interaction().showMessage(this, "Необходимо сначала создать источник питания");
        return;
    }
    if (source->ModeWorkCount() == 0) {
        interaction().showMessage(this, "Необходимо сначала создать режим работы");
        return;
    }
    // Without a section on the selected line the modes table shows nothing to change: the command ends
    // silently. A row outside the modes names no record.
    if (!hasSections(*source, CurLine) || CurModeWork < 0 || CurModeWork >= source->ModeWorkCount())
        return;

    TModeWork& mode = source->ModeWorks[CurModeWork + 1];
    TF_ModeWork& dialog = *forms_->F_ModeWork;
    dialog.L_begin->setText(fromCp1251(mode.L_Begin.view()));
    dialog.rebuildLineList(Proect);
    dialog.L_End->setEditText(fromCp1251(mode.L_End.view()));
    dialog.Uzel_Begin->setText(fromCp1251(mode.Uzel_Begin));
    dialog.Uzel_End->setText(fromCp1251(mode.Uzel_End));
    dialog.Provod_Box->setEditText(fromCp1251(mode.Provod));
    dialog.Uzel_Off->setText(fromCp1251(mode.Uzel_Off));
    dialog.Dlina->setValue(mode.Dlina);
    dialog.Izm_Nagr->setValue(mode.Izm_Nagr);
    if (!interaction().runDialog(dialog))
        return;

    dialog.storeInto(mode);
    ModeWorkGrid->setRowTexts(CurModeWork, dialog.shownRow());
}

void TFormMain::ModeWork_DelClick() {
    TSource* source = sourceAt(Proect, CurSource);
    if (!source) {
        interaction().showMessage(this, "Необходимо сначала создать источник питания");
        return;
    }
    if (source->ModeWorkCount() == 0) {
        interaction().showMessage(this, "Необходимо сначала создать режим работы");
        return;
    }
    if (CurModeWork < 0 || CurModeWork >= source->ModeWorkCount())
        return;

    // No question: the later modes move forward by one and keep their order.
    source->ModeWorks.remove(CurModeWork + 1);
    SelectSourceGrid(CurSource, CurLine);
}

void TFormMain::CalculateClick() {
    auto refuse = [this](const char* missing) {
        interaction().showMessage(this, joinLines("Недостаточно данных для расчета", missing));
    };
    // Only the selected source and its selected line are examined; the calculation itself is not part of
    // the workbench, so a complete selection ends the command quietly.
    TSource* source = sourceAt(Proect, CurSource);
    if (!source)
        return refuse("Необходимо сначала создать источник питания");
    if (source->ModeWorkCount() == 0)
        return refuse("Необходимо сначала создать режим работы");
    if (source->LineCount() == 0)
        return refuse("Необходимо сначала создать линию");
    if (!hasSections(*source, CurLine))
        return refuse("Необходимо сначала создать описание линии");
}

// A tiny calculator: a grey case, a green display and three rows of keys.
QIcon TFormMain::calculateIcon() {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.setBrush(QColor(0xa0, 0xa0, 0xa8));
    painter.drawRect(2, 0, 11, 15);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x90, 0xd0, 0x90));
    painter.drawRect(4, 2, 8, 3);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const bool equals = row == 2 && column == 2;
            painter.setBrush(equals ? QColor(0xc0, 0x30, 0x30) : QColor(Qt::white));
            painter.drawRect(4 + 3 * column, 7 + 3 * row, 2, 2);
        }
    painter.end();
    return QIcon(picture);
}
