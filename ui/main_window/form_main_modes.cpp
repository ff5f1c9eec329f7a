// The operating modes of the selected source: Add, Change, Delete, and the Calculate check.

#include "document/project_commands.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/desktop/interaction.h"
#include "ui/models/project_table_models.h"
#include "ui/records/tf_modework.h"
#include "ui/main_window/workbench.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <utility>

namespace {

const char* const kNoSource = "Необходимо сначала создать источник питания";
const char* const kNoMode = "Необходимо сначала создать режим работы";

} // namespace

void TFormMain::ModeWork_AddClick() {
    // A source or line row beyond its list counts as no source or line.
    const QString noSource = "Необходимо ввести источник питания";
    const QString noLine = "Необходимо ввести линию для данного источника";
    std::optional<ProjectPlace> place =
        target(selection()
                   .source(noSource, noSource)
                   .line(noLine, noLine)
                   .sections("Необходимо ввести описание линии для данного источника")
                   .roomForMode());
    if (!place)
        return;

    TF_ModeWork& dialog = *forms_->F_ModeWork;
    dialog.rebuildLineList(Proect);
    dialog.prefill(TModeWork{});
    // The jumper starts from the selected line, its name shown whole.
    dialog.L_begin->setText(fromCp1251(lineAt(Proect, *place).Name.view()));
    if (!user_.runDialog(dialog))
        return;

    TModeWork mode;
    dialog.storeInto(mode);
    // The new row shows the texts as typed.
    place_.modes().keepTyped(dialog.shownRow());
    document_.apply(addMode(document_, place->source, std::move(mode)));
}

void TFormMain::ModeWork_EditClick() {
    // Without a section on the selected line the modes table shows nothing to change: the command ends
    // silently.
    std::optional<ProjectPlace> place =
        target(selection().source(kNoSource, kNoSource).modes(kNoMode).line({}, {}).sections({}).mode());
    if (!place)
        return;

    TF_ModeWork& dialog = *forms_->F_ModeWork;
    dialog.rebuildLineList(Proect);
    dialog.prefill(modeAt(Proect, *place));
    if (!user_.runDialog(dialog))
        return;

    TModeWork mode;
    dialog.storeInto(mode);
    place_.modes().keepTyped(dialog.shownRow());
    document_.apply(changeMode(document_, *place, std::move(mode)));
}

void TFormMain::ModeWork_DelClick() {
    std::optional<ProjectPlace> place =
        target(selection().source(kNoSource, kNoSource).modes(kNoMode).mode());
    if (!place)
        return;

    // No question: the later modes move forward by one and keep their order.
    document_.apply(deleteMode(document_, *place));
}

void TFormMain::CalculateClick() {
    auto missing = [](const char* what) { return joinLines("Недостаточно данных для расчета", what); };
    // Only the selected source and its selected line are examined; the calculation itself is not part of
    // the workbench, so a complete selection ends the command quietly.
    // A row beyond its list counts as what it would have named missing.
    const QString noSection = missing("Необходимо сначала создать описание линии");
    target(selection()
               .source(missing(kNoSource), missing(kNoSource))
               .modes(missing(kNoMode))
               .line(missing("Необходимо сначала создать линию"), noSection)
               .sections(noSection));
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
