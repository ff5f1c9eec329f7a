#include "ui/interaction.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QUrl>

namespace {

// The caption of every message box: the application's title.
QString boxTitle() { return QStringLiteral("Korvane10 DEMO"); }

// Message boxes break lines at '\n'; the system's messages join their lines with '\r'.
QString shown(QString text) { return text.replace('\r', '\n'); }

class DesktopInteraction : public Interaction {
public:
    void showMessage(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, boxTitle(), shown(text), QMessageBox::Ok, parent);
        box.exec();
    }
    void showError(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Critical, boxTitle(), shown(text), QMessageBox::Ok, parent);
        box.exec();
    }
    bool askYesNo(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Warning, boxTitle(), shown(text), QMessageBox::Yes | QMessageBox::No, parent);
        return box.exec() == QMessageBox::Yes;
    }
    QString chooseFile(QFileDialog& dialog) override {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
    bool runDialog(QDialog& dialog) override { return dialog.exec() == QDialog::Accepted; }
    void openDocument(const QString& path) override { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }
    bool print(QWidget* parent, QTextDocument& document) override {
        QPrinter printer;
        QPrintDialog dialog(&printer, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        document.print(&printer);
        return true;
    }
};

DesktopInteraction desktop;
Interaction* current = &desktop;

} // namespace

Interaction& interaction() { return *current; }

void setInteraction(Interaction* replacement) { current = replacement ? replacement : &desktop; }

QString joinLines(const QString& first, const QString& second) { return first + '\r' + second; }
