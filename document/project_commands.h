#pragma once

#include "document/project_document.h"

#include <memory>
#include <vector>

// Every kind of edit of the project, as a command for ProjectDocument::apply. Each keeps what it needs to
// undo itself exactly and carries the text that «Отменить» and «Повторить» name. A place gives the slots
// of the records the edit works on; the deepest slot given is the one added, changed or deleted. The
// caller has checked that the place exists and that a list to be added to has room.

std::unique_ptr<ProjectCommand> addSource(ProjectDocument& document, TSource source);
// Takes only the source's own fields (name, code, voltage, resistances); its lines and modes stay.
std::unique_ptr<ProjectCommand> changeSource(ProjectDocument& document, int slot, const TSource& source);
std::unique_ptr<ProjectCommand> deleteSource(ProjectDocument& document, int slot);

std::unique_ptr<ProjectCommand> newLine(ProjectDocument& document, int source, TLines line);
std::unique_ptr<ProjectCommand> deleteLine(ProjectDocument& document, ProjectPlace line);

// Appends after the last section of the line.
std::unique_ptr<ProjectCommand> addSection(ProjectDocument& document, ProjectPlace line, TLine section);
// Puts the section in place of the section at the place's slot, which moves back with the later ones.
std::unique_ptr<ProjectCommand> insertSection(ProjectDocument& document, ProjectPlace section, TLine record);
std::unique_ptr<ProjectCommand> changeSection(ProjectDocument& document, ProjectPlace section, TLine record);
std::unique_ptr<ProjectCommand> deleteSection(ProjectDocument& document, ProjectPlace section);

std::unique_ptr<ProjectCommand> addMode(ProjectDocument& document, int source, TModeWork mode);
std::unique_ptr<ProjectCommand> changeMode(ProjectDocument& document, ProjectPlace mode, TModeWork record);
std::unique_ptr<ProjectCommand> deleteMode(ProjectDocument& document, ProjectPlace mode);

// Appends the sources read from a DOS file set.
std::unique_ptr<ProjectCommand> importSources(ProjectDocument& document, std::vector<TSource> sources);
