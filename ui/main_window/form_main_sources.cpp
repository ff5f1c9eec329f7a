// The sources table's commands: add, change and delete a power source through TF_Source.

#include "ui/main_window/form_main.h"

#include "document/project_commands.h"
#include "ui/desktop/interaction.h"
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
    // The new source is not selected: the current row and the lower tables stay as they were.
    document_.apply(addSource(document_, std::move(source)));
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
}

void TFormMain::Source_DelClick() {
    std::optional<ProjectPlace> place = target(selection().source("Удалять нечего", QString()));
    if (!place)
        return;

    // The source goes with its lines, sections and modes; the later sources move forward whole.
    // The tables show row 0 current afterwards, and the first source's lines, sections and modes.
    document_.apply(deleteSource(document_, place->source));
}
