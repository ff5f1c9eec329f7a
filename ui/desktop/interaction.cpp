#include "ui/desktop/interaction.h"

#include "ui/app_info.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QPageLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTextDocument>
#include <QUrl>

namespace {

// How long a question to the desktop may take before it counts as unanswered.
constexpr int kDesktopQueryMs = 3000;

// Message boxes break lines at '\n'; the system's messages join their lines with '\r'.
QString shown(QString text) {
    return text.replace('\r', '\n');
}

int runBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
           QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, k10app::Title, shown(text), buttons, parent);
    return box.exec();
}

} // namespace

void DesktopInteraction::showMessage(QWidget* parent, const QString& text) {
    runBox(parent, QMessageBox::NoIcon, text, QMessageBox::Ok);
}

void DesktopInteraction::showError(QWidget* parent, const QString& text) {
    runBox(parent, QMessageBox::Critical, text, QMessageBox::Ok);
}

bool DesktopInteraction::askYesNo(QWidget* parent, const QString& text) {
    return runBox(parent, QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

Interaction::Answer DesktopInteraction::askYesNoCancel(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, k10app::Title, shown(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setObjectName("SaveChangesBox");
    box.button(QMessageBox::Yes)->setText("Да");
    box.button(QMessageBox::No)->setText("Нет");
    box.button(QMessageBox::Cancel)->setText("Отмена");
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString DesktopInteraction::chooseFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

int DesktopInteraction::chooseItem(QWidget* parent, const QString& question, const QStringList& items) {
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, k10app::Title, question, items, 0, false, &ok);
    return ok ? int(items.indexOf(chosen)) : -1;
}

bool DesktopInteraction::runDialog(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

void DesktopInteraction::openDocument(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString DesktopInteraction::defaultApplication(const QString& mimeType) {
    QProcess query;
    query.start("xdg-mime", {"query", "default", mimeType});
    if (!query.waitForFinished(kDesktopQueryMs)) {
        query.kill(); // not started, or hanging: the desktop has no answer
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

bool DesktopInteraction::print(QWidget* parent, QTextDocument& document) {
    QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    fitPicturesToPage(document, printer.pageLayout());
    document.print(&printer);
    return true;
}

bool DesktopInteraction::choosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QString joinLines(const QString& first, const QString& second) {
    return first + '\r' + second;
}

void fitPicturesToPage(QTextDocument& document, const QPageLayout& layout) {
    // QTextDocument::print lays a document without a page size out in pixels of 96 per inch, inside
    // margins of 2 cm; a picture is as wide as its format says.
    constexpr double kPrintMarginMm = 20;
    const double width = (layout.paintRect(QPageLayout::Millimeter).width() - 2 * kPrintMarginMm) / 25.4 * 96;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat picture = fragment.charFormat().toImageFormat();
            if (!picture.isValid() || picture.width() <= width)
                continue;
            picture.setHeight(picture.height() * width / picture.width());
            picture.setWidth(width);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
}
