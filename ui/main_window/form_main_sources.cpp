// The sources table's commands: add, change and delete a power source through TF_Source.

#include "ui/main_window/form_main.h"

#include "document/project_commands.h"
#include "ui/desktop/interaction.h"
#include "ui/models/row_formats.h"
#include "ui/widgets/string_grid.h"
#include "ui/records/tf_source.h"
#include "ui/main_window/workbench.h"

#include <utility>

void TFormMain::Source_AddClick() {
    if (!target(selection().roomForSource()))
        return;

    TF_Source& dialog = *forms_->F_Source;
    TSource blank;
    blank.Code = Proect.SourceCount() + 1;
    dialog.prefill(blank);
    if (!user_.runDialog(dialog))
        return;

    TSource source;
    dialog.storeInto(source);
    document_.apply(addSource(document_, std::move(source)));

    // The new source is not selected: the current row and the lower tables stay as they were.
    const int count = Proect.SourceCount();
    SourceGrid->setRows(count);
    SourceGrid->setRowTexts(count - 1, sourceRow(Proect.Sources[count]));
    SourceGrid->showRow(count - 1);
}

void TFormMain::Source_EditClick() {
    std::optional<ProjectPlace> place =
        target(selection().source("Необходимо сначала создать источник питания", QString()));
    if (!place)
        return;

    TF_Source& dialog = *forms_->F_Source;
    dialog.prefill(sourceAt(Proect, *place));
    if (!user_.runDialog(dialog))
        return;

    // Only the source's own fields change; its lines and modes stay.
    TSource header;
    dialog.storeInto(header);
    document_.apply(changeSource(document_, place->source, header));
    SourceGrid->setRowTexts(CurSource, sourceRow(sourceAt(Proect, *place)));
}

void TFormMain::Source_DelClick() {
    std::optional<ProjectPlace> place = target(selection().source("Удалять нечего", QString()));
    if (!place)
        return;

    // The source goes with its lines, sections and modes; the later sources move forward whole.
    document_.apply(deleteSource(document_, place->source));
    // Rewrites every row and makes row 0 current, whose selection refreshes the lower tables for the
    // first source (or empties them when none is left).
    showSources();
}
