// The sources table's commands: add, change and delete a power source through TF_Source.

#include "ui/form_main.h"

#include "ui/interaction.h"
#include "ui/row_formats.h"
#include "ui/string_grid.h"
#include "ui/tf_source.h"
#include "ui/workbench.h"

#include <utility>

namespace {

bool isSourceRow(const TProect& project, int row) {
    return row >= 0 && row < project.SourceCount();
}

} // namespace

void TFormMain::Source_AddClick() {
    if (Proect.Sources.full()) {
        interaction().showMessage(this, "Нельзя создать больше 100 источников питания");
        return;
    }

    TF_Source& dialog = *forms_->F_Source;
    TSource blank;
    blank.Code = Proect.SourceCount() + 1;
    dialog.prefill(blank);
    if (!interaction().runDialog(dialog))
        return;

    TSource source;
    dialog.storeInto(source);
    Proect.Sources.append(std::move(source));

    // The new source is not selected: the current row and the lower tables stay as they were.
    const int count = Proect.SourceCount();
    SourceGrid->setRows(count);
    SourceGrid->setRowTexts(count - 1, sourceRow(Proect.Sources[count]));
}

void TFormMain::Source_EditClick() {
    if (Proect.SourceCount() < 1) {
        interaction().showMessage(this, "Необходимо сначала создать источник питания");
        return;
    }
    if (!isSourceRow(Proect, CurSource))
        return;

    TF_Source& dialog = *forms_->F_Source;
    dialog.prefill(Proect.Sources[CurSource + 1]);
    if (!interaction().runDialog(dialog))
        return;

    TSource& source = Proect.Sources[CurSource + 1];
    dialog.storeInto(source);
    SourceGrid->setRowTexts(CurSource, sourceRow(source));
}

void TFormMain::Source_DelClick() {
    if (Proect.SourceCount() < 1) {
        interaction().showMessage(this, "Удалять нечего");
        return;
    }
    if (!isSourceRow(Proect, CurSource))
        return;

    // The source goes with its lines, sections and modes; the later sources move forward whole.
    Proect.Sources.remove(CurSource + 1);
    // Rewrites every row and makes row 0 current, whose selection refreshes the lower tables for the
    // first source (or empties them when none is left).
    showSources();
}
