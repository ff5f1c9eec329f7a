#include "ui/models/row_formats.h"

#include "text/real_format.h"
#include "ui/desktop/cp1251_text.h"

QString realText(double value) { return QString::fromStdString(k10::formatReal(value)); }

QStringList sourceRow(const TSource& source) {
    return {fromCp1251(source.Name.view()), QString::number(source.Code), realText(source.Napr),
            realText(source.R_Max),         realText(source.X_Max),       realText(source.R_Min),
            realText(source.X_Min)};
}

QStringList sectionRow(const TLine& section) {
    return {fromCp1251(section.L_Begin.view()), fromCp1251(section.L_End.view()), realText(section.Dlina),
            fromCp1251(section.Provod),         fromCp1251(section.Gr_Nagr),      fromCp1251(section.Max_Nagr),
            fromCp1251(section.Trans)};
}

QStringList modeRow(const TModeWork& mode) {
    return {fromCp1251(mode.L_Begin.view()), fromCp1251(mode.L_End.view()), fromCp1251(mode.Uzel_Begin),
            fromCp1251(mode.Uzel_End),       realText(mode.Dlina),           fromCp1251(mode.Provod),
            fromCp1251(mode.Uzel_Off),       realText(mode.Izm_Nagr)};
}
