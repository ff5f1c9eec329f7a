// «Помощь → Помощь»: which form of the guide opens, on what the program's folder holds and what the
// desktop names for each type; and how the desktop is asked.

#include "support/scripted_interaction.h"
#include "ui/desktop/help_opener.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kCompiled = "application/vnd.ms-htmlhelp";
const QString kCompiledAlias = "application/x-chm";
const QString kHtml = "text/html";

using Applications = QMap<QString, QString>; // what the desktop names, by MIME type

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// A script of the folder `dir` that stands in for the desktop's command.
void writeScript(const QString& dir, const QString& name, const QString& body) {
    QFile script(QDir(dir).filePath(name));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void opensTheFirstFormTheDesktopCanShow_data() {
        QTest::addColumn<bool>("compiled");               // KORVANE10.chm lies beside the program
        QTest::addColumn<bool>("pages");                  // and help/index.html
        QTest::addColumn<Applications>("apps");
        QTest::addColumn<QString>("opened");              // relative to the program's folder; empty: none
        const Applications both = {{kCompiled, "xchm.desktop"}, {kHtml, "firefox-esr.desktop"}};
        const Applications compiledOnly = {{kCompiled, "xchm.desktop"}};
        const Applications htmlOnly = {{kHtml, "firefox-esr.desktop"}};
        QTest::newRow("compiled file, its viewer") << true << true << both << "KORVANE10.chm";
        QTest::newRow("compiled file, a viewer of its alias")
            << true << false << Applications{{kCompiledAlias, "kchmviewer.desktop"}} << "KORVANE10.chm";
        QTest::newRow("compiled file without a viewer") << true << true << htmlOnly << "help/index.html";
        QTest::newRow("no compiled file") << false << true << both << "help/index.html";
        QTest::newRow("no viewer at all") << true << true << Applications{} << "";
        QTest::newRow("viewer of a missing compiled file only") << false << true << compiledOnly << "";
        QTest::newRow("browser, no pages") << false << false << htmlOnly << "";
    }
    void opensTheFirstFormTheDesktopCanShow() {
        QFETCH(bool, compiled);
        QFETCH(bool, pages);
        QFETCH(QString, opened);
        QTemporaryDir program;
        const QDir folder(program.path());
        if (compiled)
            touch(folder.filePath("KORVANE10.chm"));
        if (pages) {
            QVERIFY(folder.mkdir("help"));
            touch(folder.filePath("help/index.html"));
        }
        ScriptedInteraction user;
        QFETCH(Applications, apps);
        user.applications = apps;

        openHelp(user, nullptr, program.path());

        if (opened.isEmpty()) {
            QVERIFY(user.documents.isEmpty());
            QCOMPARE(user.messages, QStringList{"Справка не открылась. Руководство находится в папке: " +
                                                QDir::toNativeSeparators(folder.filePath("help"))});
        } else {
            QCOMPARE(user.documents, QStringList{folder.filePath(opened)});
            QVERIFY(user.messages.isEmpty());
        }
    }

    // The desktop's own answer comes from `xdg-mime query default TYPE`, here a script in its place.
    void asksTheDesktopWithXdgMime_data() {
        QTest::addColumn<QString>("script"); // empty: there is no such command
        QTest::addColumn<QString>("answer");
        QTest::newRow("names an application")
            << "[ \"$*\" = \"query default text/html\" ] && printf 'firefox-esr.desktop\\n'"
            << "firefox-esr.desktop";
        QTest::newRow("names none") << "exit 0"
                                    << "";
        QTest::newRow("fails") << "echo broken; exit 4"
                               << "";
        QTest::newRow("not installed") << ""
                                       << "";
    }
    void asksTheDesktopWithXdgMime() {
        QFETCH(QString, script);
        QFETCH(QString, answer);
        QTemporaryDir bin;
        if (!script.isEmpty())
            writeScript(bin.path(), "xdg-mime", script);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        const QString named = DesktopInteraction().defaultApplication(kHtml);
        qputenv("PATH", path);
        QCOMPARE(named, answer);
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
