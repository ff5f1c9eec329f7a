#include "text/codepage.h"
#include "text/errors.h"
#include "text/number_parse.h"
#include "text/real_format.h"
#include "text/short_string.h"

#include <QtTest>

#include <cerrno>
#include <cmath>
#include <iconv.h>
#include <limits>

using namespace k10;

namespace {

// What glibc's iconv makes of one byte; empty when it cannot convert it.
std::string iconvByte(const char* from, const char* to, unsigned char byte) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1))
        return {};
    return std::string(out, static_cast<size_t>(outPtr - out));
}

} // namespace

class TestTextHelpers : public QObject {
    Q_OBJECT

private slots:
    // The messages of a failed file operation: a quota counts as a full disk, and an error the file layer
    // has no name for gives its code.
    void ioErrorMessages_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("quota exceeded") << int(EDQUOT) << "Disk full";
        QTest::newRow("unmapped") << int(EIO) << QString("I/O error %1").arg(EIO);
    }
    void ioErrorMessages() {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(QString::fromUtf8(k10::ioError(code).what()), message);
    }

    void shortStringCutsOnAssignment() {
        ShortString<8> node;
        node = "123456789012";
        QCOMPARE(node.str(), std::string("12345678"));
        ShortString<50> name(std::string(60, 'x'));
        QCOMPARE(name.size(), 50u);
        node = "";
        QVERIFY(node.empty());
        QVERIFY(ShortString<10>("abc") == std::string_view("abc"));
    }

    void realFormat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("ten") << 10.0 << "10";
        QTest::newRow("quarter") << 0.25 << "0.25";
        QTest::newRow("lowest fixed") << 0.0001 << "0.0001";
        QTest::newRow("first scientific") << 0.00001 << "1E-5";
        QTest::newRow("large") << 1.5e20 << "1.5E20";
        QTest::newRow("negative small") << -2.5e-7 << "-2.5E-7";
        QTest::newRow("negative tenth") << -0.1 << "-0.1";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("fifteen digits") << 123456789.012345 << "123456789.012345";
        QTest::newRow("rounded to fifteen") << 0.1234567890123456789 << "0.123456789012346";
        QTest::newRow("below 1E15") << 999999999999999.0 << "999999999999999";
        QTest::newRow("1E15") << 1e15 << "1E15";
        QTest::newRow("rounds up to 1E15") << 999999999999999.9 << "1E15";
        QTest::newRow("rounds up to 0.0001") << 0.0000999999999999999999 << "0.0001";
        // Rounded up it would pass the largest double and never read back: its digits are cut instead.
        QTest::newRow("largest double") << std::numeric_limits<double>::max() << "1.79769313486231E308";
        QTest::newRow("subnormal") << 4.9406564584124654e-324 << "4.94065645841247E-324";
        QTest::newRow("whole with zeros") << 1200.0 << "1200";
    }
    void realFormat() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(formatReal(value)), text);
    }

    void realFormat9_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("half") << 0.5 << "0.5";
        QTest::newRow("nine digits") << 1.23456789123 << "1.23456789";
        QTest::newRow("small") << 0.00001 << "1E-05";
        QTest::newRow("large") << 1.5e20 << "1.5E20";
        QTest::newRow("1E9") << 1e9 << "1E09";
        QTest::newRow("below 1E9") << 123456789.0 << "123456789";
    }
    void realFormat9() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(formatReal9(value)), text);
    }

    void integerParsing_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << true << 42;
        QTest::newRow("negative") << "-7" << true << -7;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("smallest") << "-2147483648" << true << std::numeric_limits<int>::min();
        QTest::newRow("largest") << "2147483647" << true << std::numeric_limits<int>::max();
        QTest::newRow("overflow") << "2147483648" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("letters") << "12a" << false << 0;
        QTest::newRow("real") << "1.5" << false << 0;
    }
    void integerParsing() {
        QFETCH(QString, token);
        QFETCH(bool, valid);
        QFETCH(int, value);
        auto parsed = parseInteger(token.toStdString());
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void realParsing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "1.5" << true << 1.5;
        QTest::newRow("blanks around") << "  2.25 " << true << 2.25;
        QTest::newRow("exponent") << "1E-5" << true << 1e-5;
        QTest::newRow("lower exponent") << "1.5e20" << true << 1.5e20;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("trailing point") << "5." << true << 5.0;
        QTest::newRow("signs") << "-2.5E+3" << true << -2500.0;
        QTest::newRow("underflow reads as zero") << "1E-400" << true << 0.0;
        QTest::newRow("overflow") << "1E400" << false << 0.0;
        QTest::newRow("comma") << "1,5" << false << 0.0;
        QTest::newRow("unit") << "10 kV" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("exponent without digits") << "1E" << false << 0.0;
        QTest::newRow("infinity") << "inf" << false << 0.0;
    }
    void realParsing() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        auto parsed = parseRealTrimmed(text.toStdString());
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void everyFormattedRealReadsBack() {
        const double values[] = {0.1, 10, 0.0001, 0.00001, 1.5e20, -2.5e-7, 123.456, 1e15, 9.87654321e-100};
        for (double v : values) {
            auto back = parseRealToken(formatReal(v));
            QVERIFY(back.has_value());
            QCOMPARE(formatReal(*back), formatReal(v));
        }
    }

    // Every byte of both code pages agrees with glibc's iconv wherever iconv knows the character.
    void codePagesAgreeWithIconv() {
        for (int b = 0; b < 256; ++b) {
            auto byte = static_cast<unsigned char>(b);
            std::string viaIconv = iconvByte("CP866", "CP1251", byte);
            std::string ours = cp866ToCp1251(std::string(1, static_cast<char>(byte)));
            if (!viaIconv.empty())
                QCOMPARE(ours, viaIconv);
            else
                QCOMPARE(ours.size(), 1u);

            std::string back = iconvByte("CP1251", "CP866", byte);
            std::string oursBack = cp1251ToCp866(std::string(1, static_cast<char>(byte)));
            if (!back.empty())
                QCOMPARE(oursBack, back);

            std::string utf8 = iconvByte("CP1251", "UTF-8", byte);
            if (!utf8.empty())
                QCOMPARE(cp1251ToUtf8(std::string(1, static_cast<char>(byte))), utf8);
        }
    }

    void cyrillicSurvivesBothWays() {
        auto cp1251 = utf8ToCp1251("Провод АС-50, ёЁ №");
        QVERIFY(cp1251.has_value());
        QCOMPARE(cp866ToCp1251(cp1251ToCp866(*cp1251)), *cp1251);
        QCOMPARE(cp1251ToUtf8(*cp1251), std::string("Провод АС-50, ёЁ №"));
    }

    void utf8WithoutWindows1251Fails() {
        QVERIFY(!utf8ToCp1251("中").has_value());
        QVERIFY(!utf8ToCp1251("\xff").has_value());
        QVERIFY(!utf8ToCp1251("\xd0").has_value());
    }

    void boxDrawingBecomesItsOutline() {
        // Box drawing of the DOS page has no Windows-1251 form; it is drawn with plain characters.
        QCOMPARE(cp866ToCp1251("\xb3\xc4\xda"), std::string("|-+"));
    }
};

QTEST_APPLESS_MAIN(TestTextHelpers)
#include "test_text_helpers.moc"
