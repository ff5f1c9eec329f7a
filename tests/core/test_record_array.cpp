#include "model/project.h"

#include <QtTest>

class TestRecordArray : public QObject {
    Q_OBJECT

private slots:
    void newRecordsAreEmpty() {
        TSource source;
        QCOMPARE(source.LineCount(), 0);
        QCOMPARE(source.ModeWorkCount(), 0);
        QVERIFY(TLine{}.Provod.empty());
        QCOMPARE(TModeWork{}.Izm_Nagr, 0.0);
    }

    void removingMovesLaterEntriesForward() {
        TSource source;
        for (const char* name : {"1", "2", "3"})
            source.Lines.append().Name = name;
        source.Lines.remove(1);
        QCOMPARE(source.LineCount(), 2);
        QCOMPARE(source.Lines[1].Name.str(), std::string("2"));
        QCOMPARE(source.Lines[2].Name.str(), std::string("3"));
    }

    void insertMovesLaterEntriesBack() {
        TLines line;
        for (const char* node : {"a", "b", "c"})
            line.Sections.append().L_Begin = node;
        line.Sections.insert(2).L_Begin = "new";
        QStringList order;
        for (const TLine& s : line.Sections)
            order << QString::fromStdString(s.L_Begin.str());
        QCOMPARE(order, QStringList({"a", "new", "b", "c"}));
    }

    void noHundredAndFirstEntry() {
        TProect project;
        for (int i = 0; i < 100; ++i)
            project.Sources.append();
        QVERIFY(project.Sources.full());
        QVERIFY_THROWS_EXCEPTION(std::length_error, project.Sources.append());
        QVERIFY_THROWS_EXCEPTION(std::length_error, project.Sources.insert(1));
        QCOMPARE(project.SourceCount(), 100);
    }

    void slotsOutsideTheCountAreRefused() {
        TProect project;
        project.Sources.append();
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, project.Sources[0]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, project.Sources[2]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, project.Sources.remove(2));
    }

    void nodeNamesKeepEightCharacters() {
        TModeWork mode;
        mode.L_Begin = "1234567890";
        QCOMPARE(mode.L_Begin.str(), std::string("12345678"));
    }
};

QTEST_APPLESS_MAIN(TestRecordArray)
#include "test_record_array.moc"
