#include "ui/main_window/tformabout.h"

#include "ui/app_info.h"
#include "ui/desktop/interaction.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTextEdit>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    l->setWordWrap(true);
    // A text keeps its clicks, so that only the background closes the box.
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormAbout");
    setWindowTitle("FormAbout");
    setFixedSize(377, 326);

    ProductName = label(this, "ProductName", k10app::Title, QRect(8, 12, 361, 44));
    QFont title = ProductName->font();
    title.setPointSize(22);
    title.setBold(true);
    ProductName->setFont(title);
    ProductName->setStyleSheet("color: maroon;");

    Version = label(this, "Version", QString("version ") + k10app::Version, QRect(8, 60, 361, 20));

    // The description's two lines are kept joined by one carriage return, as every multi-line text of the
    // system; the label shows them as two lines.
    const QString description =
        joinLines("Расчет сетей 6, 10, 20 кВ на потери напряжения ", "и токи короткого замыкания");
    Comments = label(this, "Comments", QString(description).replace('\r', '\n'), QRect(8, 88, 361, 40));
    Comments->setProperty("storedText", description);

    auto* credits = new QTextEdit(this);
    credits->setObjectName("Credits");
    credits->setGeometry(150, 140, 215, 110);
    credits->setFrameStyle(QFrame::NoFrame);
    credits->setReadOnly(true);
    credits->viewport()->setAutoFillBackground(false);
    credits->setPlainText(
        "Программа подготовки исходных данных для расчета распределительных сетей: источники "
        "питания, линии, участки и режимы работы.\nСправочники проводов и трансформаторов "
        "хранятся рядом с проектами.");

    label(this, "Copyright", "Группа разработчиков Korvane10, 2026", QRect(8, 270, 361, 18));
    label(this, "Contacts", "Вопросы и предложения: через трекер задач проекта", QRect(8, 292, 361, 18));
}

void TFormAbout::mousePressEvent(QMouseEvent* event) {
    // Children (the texts) take their own clicks; what reaches the dialog is a click on its background.
    QDialog::mousePressEvent(event);
    accept();
}
