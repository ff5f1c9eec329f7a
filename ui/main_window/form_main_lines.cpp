// The commands of the lines list and of the sections table. Each checks the selection in its fixed order
// and ends with a message at the first check that fails; the project changes only after OK in the
// dialog, and no list grows past its capacity.

#include "ui/main_window/form_main.h"

#include "document/project_commands.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/fields.h"
#include "ui/desktop/interaction.h"
#include "ui/models/project_table_models.h"
#include "ui/records/tf_line.h"
#include "ui/records/tf_newline.h"
#include "ui/main_window/workbench.h"

#include <utility>

namespace {

const char* const kNothingToDelete = "Удалять нечего";

} // namespace

void TFormMain::N5Click() {
    std::optional<ProjectPlace> place =
        target(selection().source("Необходимо ввести источник питания").roomForLine());
    if (!place)
        return;

    TF_NewLine& dialog = *forms_->F_NewLine;
    dialog.prefill();
    if (!user_.runDialog(dialog))
        return;

    TLines line;
    dialog.storeInto(line, place->source);
    document_.apply(newLine(document_, place->source, std::move(line)));
}

void TFormMain::N10Click() {
    std::optional<ProjectPlace> place =
        target(selection().source(kNothingToDelete).line("Необходимо сначала создать линию"));
    if (!place)
        return;

    document_.apply(deleteLine(document_, *place));
}

void TFormMain::Line_AddClick() {
    std::optional<ProjectPlace> place = target(selection()
                                                   .source("Необходимо ввести источник питания")
                                                   .line("Необходимо ввести линию для данного источника")
                                                   .roomForSection());
    if (!place)
        return;

    TF_Line& dialog = *forms_->F_Line;
    dialog.prefill(TLine{});
    // The first section begins at the line's head node, which bears the line's name.
    const TLines& line = lineAt(Proect, *place);
    if (line.SectionCount() == 0) {
        dialog.L_Begin->setText(fromCp1251(line.Name.view()));
        dialog.L_Begin->setEnabled(false);
    }
    if (!user_.runDialog(dialog))
        return;

    TLine section;
    dialog.storeInto(section);
    // The new row shows the texts as typed.
    place_.sections().keepTyped(dialog.rowTexts());
    document_.apply(addSection(document_, *place, std::move(section)));
}

void TFormMain::N15Click() {
    // Nothing may stand before the first section; this holds whatever the project holds.
    std::optional<ProjectPlace> place =
        target(selection()
                   .require(place_.section() != 0, "Перед первым описанием линии ничего вставить нельзя")
                   .source("Необходимо создать источники питания")
                   .line("Необходимо создать линию")
                   .sections(joinLines("Вставка возможна при наличии 2-х и более описаний линии",
                                       "Воспользуйтесь пунком меню \"Добавить\""),
                             2)
                   .section()
                   .roomForSection());
    if (!place)
        return;

    TF_Line& dialog = *forms_->F_Line;
    dialog.prefill(TLine{});
    if (!user_.runDialog(dialog))
        return;

    // The new section takes the current one's place; it and the later ones move back by one.
    TLine section;
    dialog.storeInto(section);
    document_.apply(insertSection(document_, *place, std::move(section)));
}

void TFormMain::Line_EditClick() {
    std::optional<ProjectPlace> place = target(selection()
                                                   .source("Необходимо сначала создать источник питания")
                                                   .line("Необходимо сначала создать линию")
                                                   .sections("Необходимо сначала создать описание линии")
                                                   .section());
    if (!place)
        return;

    TF_Line& dialog = *forms_->F_Line;
    dialog.prefill(sectionAt(Proect, *place));
    // The begin node of a line's first section is the line's head node and stays fixed.
    dialog.L_Begin->setEnabled(place->section != 1);
    if (!user_.runDialog(dialog))
        return;

    TLine section;
    dialog.storeInto(section);
    place_.sections().keepTyped(dialog.rowTexts());
    document_.apply(changeSection(document_, *place, std::move(section)));
}

void TFormMain::Line_DelClick() {
    std::optional<ProjectPlace> place = target(
        selection().source(kNothingToDelete).line(kNothingToDelete).sections(kNothingToDelete).section());
    if (!place)
        return;

    document_.apply(deleteSection(document_, *place));
}
