// Start-up reads both catalogs from the working folder and fills every list that offers their names.

#include "support/grid_text.h"
#include "support/scripted_interaction.h"
#include "text/errors.h"
#include "text/file_io.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/records/tf_line.h"
#include "ui/records/tf_modework.h"
#include "ui/reference/tf_spravprovod.h"
#include "ui/reference/tf_spravtrans.h"
#include "ui/main_window/workbench.h"

#include <QFile>
#include <QtTest>

namespace {

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestStartupCatalogs : public QObject {
    Q_OBJECT

private slots:
    void bothCatalogsFillTheirLists() {
        Workspace workspace(false);
        writeFile(workspace.path("spravp.dat"), "34\r\n:\r\n:------:\r\nAC-50    : 0.6  : 0.4  : 0.21 : 1    : 2    : \r\n"
                                               "\r\nAC-70    : 0.43 : 0.39 : 0.27 : 0    : 0    : \r\n");
        writeFile(workspace.path("spravt.dat"), "TM-250   : 250 : 4.5 : 3.7 : \r\n");
        ScriptedInteraction user;
        Workbench forms(user);
        forms.show();
        QVERIFY(user.errors.isEmpty());
        QCOMPARE(forms.Document->reference<k10::WireCatalog>().data().count(), 2);
        QCOMPARE(forms.Document->reference<k10::TransCatalog>().data().count(), 1);
        QCOMPARE(forms.Document->reference<k10::WireCatalog>().data()[2].R, 0.43);
        QCOMPARE(gridRows(forms.F_SpravProvod->Grid), QStringList({"AC-50    ", "AC-70    "}));
        QCOMPARE(gridRows(forms.F_SpravTrans->Grid), QStringList({"TM-250   "}));
        QCOMPARE(items(forms.F_Line->Provod_Box), QStringList({"AC-50    ", "AC-70    "}));
        QCOMPARE(items(forms.F_ModeWork->Provod_Box), QStringList({"AC-50    ", "AC-70    "}));
        QCOMPARE(items(forms.F_Line->Trans_Box), QStringList({"TM-250   "}));
    }

    void theDefaultCatalogsStartWithoutAnError() {
        Workspace workspace;
        ScriptedInteraction user;
        Workbench forms(user);
        forms.show();
        QVERIFY(user.errors.isEmpty());
        QVERIFY(forms.Document->reference<k10::WireCatalog>().data().count() > 10);
        QVERIFY(forms.Document->reference<k10::TransCatalog>().data().count() > 5);
        QCOMPARE(forms.F_Line->Provod_Box->count(), forms.Document->reference<k10::WireCatalog>().data().count());
    }

    // A wire catalog that cannot be read ends the start-up there: the error is shown, the window comes up,
    // and the transformer catalog is not read.
    void missingWireCatalogStopsTheReading() {
        Workspace workspace(false);
        writeFile(workspace.path("spravt.dat"), "TM-250   : 250 : 4.5 : 3.7 : \r\n");
        ScriptedInteraction user;
        Workbench forms(user);
        forms.show();
        QCOMPARE(user.errors, QStringList({"File not found"}));
        QVERIFY(forms.FormMain->isVisible());
        QCOMPARE(forms.Document->reference<k10::WireCatalog>().data().count(), 0);
        QCOMPARE(forms.Document->reference<k10::TransCatalog>().data().count(), 0);
        QVERIFY(!forms.Document->reference<k10::WireCatalog>().wasRead());
        QCOMPARE(forms.F_Line->Trans_Box->count(), 0);
        QCOMPARE(gridRows(forms.F_SpravProvod->Grid), QStringList({""}));
    }

    void malformedTransformerLineLeavesThatCatalogEmpty() {
        Workspace workspace;
        writeFile(workspace.path("spravt.dat"), "TM-250   : 250 : 4,5 : 3.7 : \r\n");
        ScriptedInteraction user;
        Workbench forms(user);
        forms.show();
        QCOMPARE(user.errors, QStringList({"' 4,5 ' is not a valid floating point value"}));
        QVERIFY(forms.Document->reference<k10::WireCatalog>().data().count() > 0);
        QCOMPARE(forms.Document->reference<k10::TransCatalog>().data().count(), 0);
        QVERIFY(!forms.Document->reference<k10::TransCatalog>().wasRead());
    }

    // While a catalog's file could not be read, nothing may replace that file with the empty catalog.
    void unreadCatalogIsNeverWritten() {
        Workspace workspace;
        QByteArray broken = "TM-250   : x : 4.5 : 3.7 : \r\n";
        writeFile(workspace.path("spravt.dat"), broken);
        ScriptedInteraction user;
        Workbench forms(user);
        forms.show();
        QVERIFY_THROWS_EXCEPTION(k10::Error, forms.Document->write<k10::TransCatalog>());
        QCOMPARE(QByteArray::fromStdString(k10::readWholeFile("spravt.dat")), broken);
    }
};

QTEST_MAIN(TestStartupCatalogs)
#include "test_startup_catalogs.moc"
