// The variable-length text field of the records: short texts in place, long ones on the heap, both
// behaving as one value.

#include "model/project.h"
#include "text/text_field.h"

#include <QtTest>

#include <string>
#include <utility>

using k10::Text;

class TestTextField : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryLength_data() {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 14, 15, 16, 17, 100, 70000})
            QTest::addRow("%d", length) << length;
    }
    void keepsEveryLength() {
        QFETCH(int, length);
        std::string bytes;
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(i % 255 + 1);
        Text text = bytes;
        QCOMPARE(text.size(), bytes.size());
        QCOMPARE(text.empty(), bytes.empty());
        QCOMPARE(text.str(), bytes);

        Text copy = text;
        Text moved = std::move(text);
        QCOMPARE(copy.str(), bytes);
        QCOMPARE(moved.str(), bytes);
        QVERIFY(text.empty());
        QVERIFY(copy == moved);
    }

    void holdsEveryByte() {
        std::string bytes;
        for (int c = 0; c < 256; ++c)
            bytes += static_cast<char>(c);
        for (std::size_t length : {std::size_t{3}, std::size_t{15}, bytes.size()}) {
            Text text = bytes.substr(0, length);
            QCOMPARE(text.str(), bytes.substr(0, length));
        }
    }

    void assignsOverEveryKind() {
        const std::string longText(40, 'L');
        for (const std::string& before : {std::string(), std::string("short"), longText}) {
            for (const std::string& after : {std::string(), std::string("short"), longText}) {
                Text text = before;
                text = after;
                QCOMPARE(text.str(), after);
                Text other = before;
                other = Text(after);
                QCOMPARE(other.str(), after);
            }
        }
    }

    void assignsAPartOfItself() {
        Text inPlace = "0123456789";
        inPlace = inPlace.view().substr(2);
        QCOMPARE(inPlace.str(), std::string("23456789"));
        Text onHeap = std::string(30, 'x') + "tail";
        onHeap = onHeap.view().substr(20);
        QCOMPARE(onHeap.str(), std::string(10, 'x') + "tail");
        onHeap = std::string(40, 'y');
        onHeap = onHeap.view().substr(1);
        QCOMPARE(onHeap.str(), std::string(39, 'y'));
        Text self = std::string(20, 'z');
        Text& same = self;
        self = same;
        QCOMPARE(self.str(), std::string(20, 'z'));
    }

    void comparesWithEveryKindOfText() {
        Text text = "АС-50";
        QVERIFY(text == std::string("АС-50"));
        QVERIFY(text == std::string_view("АС-50"));
        QVERIFY(text == "АС-50");
        QVERIFY(!(text == "АС-5"));
        QCOMPARE(std::string_view(text), std::string_view("АС-50"));
    }

    // A million sections must fit in memory beside each other.
    void sectionIsSmall() { QVERIFY(sizeof(TLine) <= 96); }
};

QTEST_APPLESS_MAIN(TestTextField)
#include "test_text_field.moc"
