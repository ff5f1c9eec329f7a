// Random projects and catalogs from a seeded generator: written, read back and written again. What the
// files can carry comes back equal, reals rounded to 15 significant digits; what they cannot carry is
// refused, never written wrong. A project file cut short at any line is refused.

#include "catalogs/catalog_files.h"
#include "model/project_file.h"
#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"
#include "text/real_format.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

using namespace k10;

namespace {

const QString kIncomplete =
    "Файл проекта неполон: он кончается раньше, чем записи, которые объявлены в нём. Проект не открыт.";

// The largest double with 15 significant digits: what the writer puts for the doubles above it, whose
// rounding would go past the largest double.
constexpr double kLargest15 = 1.79769313486231e308;

// A deterministic source of choices: std::mt19937_64 gives the same numbers everywhere, and the choices
// are made from its raw output, not through a library distribution whose algorithm may differ.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t bits() { return engine_(); }
    // 0 to n-1.
    std::uint64_t below(std::uint64_t n) { return engine_() % n; }
    int between(int low, int high) {
        return low + static_cast<int>(below(static_cast<std::uint64_t>(high - low + 1)));
    }
    bool percent(int chance) { return below(100) < static_cast<std::uint64_t>(chance); }
    template <class T> const T& pick(const std::vector<T>& from) { return from[below(from.size())]; }

private:
    std::mt19937_64 engine_;
};

double parsed(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A decimal of exactly `digits` significant digits (the first not zero) at a power of ten.
double decimalWithDigits(Random& random, int digits, int exponent) {
    std::string text = std::to_string(random.between(1, 9)) + ".";
    for (int i = 1; i < digits; ++i)
        text += static_cast<char>('0' + random.below(10));
    text += "e" + std::to_string(exponent);
    return random.percent(50) ? parsed(text) : -parsed(text);
}

// The reals where the writing rules change: zero, the subnormals, the ends of fixed notation at 0.0001
// and 1E15 with their neighbours and the values that round onto them, the largest doubles.
std::vector<double> boundaryReals() {
    const double max = std::numeric_limits<double>::max();
    const double minNormal = std::numeric_limits<double>::min();
    const double denormMin = std::numeric_limits<double>::denorm_min();
    std::vector<double> values = {0.0,
                                  -0.0,
                                  denormMin,
                                  -denormMin,
                                  std::nextafter(minNormal, 0.0),
                                  minNormal,
                                  2.5e-320,
                                  0.0001,
                                  -0.0001,
                                  std::nextafter(0.0001, 0.0),
                                  std::nextafter(0.0001, 1.0),
                                  0.00009999999999999995,
                                  0.000099999999999999,
                                  1e15,
                                  -1e15,
                                  std::nextafter(1e15, 0.0),
                                  std::nextafter(1e15, 2e15),
                                  999999999999999.0,
                                  999999999999999.4,
                                  999999999999999.5,
                                  max,
                                  -max,
                                  std::nextafter(max, 0.0),
                                  1.797693134862315e308,
                                  1.79769313486231e308,
                                  1e308,
                                  0.1,
                                  10,
                                  1e-5,
                                  1.5e20};
    return values;
}

double randomReal(Random& random) {
    static const std::vector<double> boundaries = boundaryReals();
    switch (random.below(8)) {
    case 0:
        return random.pick(boundaries);
    case 1: {
        // A subnormal: exponent bits zero, any mantissa.
        std::uint64_t bits = random.bits() & ((std::uint64_t{1} << 52) - 1);
        if (random.percent(50))
            bits |= std::uint64_t{1} << 63;
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    case 2: {
        // Any finite double.
        for (;;) {
            std::uint64_t bits = random.bits();
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value))
                return value;
        }
    }
    case 3:
    case 4:
        return decimalWithDigits(random, random.between(15, 17), random.between(-30, 30));
    case 5:
        // Near the ends of fixed notation, with 15 to 17 digits.
        return decimalWithDigits(random, random.between(15, 17),
                                 random.percent(50) ? random.between(-6, -3) : random.between(13, 16));
    default:
        // The values an engineer types: a few digits around 1.
        return decimalWithDigits(random, random.between(1, 6), random.between(-3, 4));
    }
}

// The value the file gives back for a real: rounded to 15 significant digits, or, where that rounding
// would pass the largest double, the largest 15-digit value.
double roundedTo15(double value) {
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
    double rounded = 0;
    if (std::from_chars(buffer, end, rounded).ec == std::errc::result_out_of_range)
        return std::copysign(kLargest15, value);
    return rounded;
}

// Every real written must be in the general form: fixed for zero and magnitudes from 0.0001 up to but
// excluding 1E15, scientific otherwise, at most 15 significant digits, no trailing zeros, no '+'.
QString generalFormProblem(double value) {
    static const QRegularExpression fixed("^-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?$");
    static const QRegularExpression scientific("^-?[1-9](\\.[0-9]*[1-9])?E-?[1-9][0-9]*$");
    const std::string text = formatReal(value);
    const double rounded = roundedTo15(value);
    const double magnitude = std::fabs(rounded);
    const bool wantsFixed = rounded == 0 || (magnitude >= 0.0001 && magnitude < 1e15);
    const QString shown = QString::fromStdString(text);
    if (!(wantsFixed ? fixed : scientific).match(shown).hasMatch())
        return shown + (wantsFixed ? " is not in fixed notation" : " is not in scientific notation");
    QString digits = shown.section('E', 0, 0).remove('-').remove('.');
    while (digits.startsWith('0') && digits.size() > 1)
        digits.remove(0, 1);
    if (digits.size() > 15)
        return shown + " has more than 15 significant digits";
    if (parsed(text) != rounded)
        return shown + " does not read back as the value rounded to 15 digits";
    return {};
}

// The bytes a text may hold: every byte but the line breaks.
char textByte(Random& random) {
    for (;;) {
        char c = static_cast<char>(random.below(256));
        if (c != '\r' && c != '\n')
            return c;
    }
}

// A text for a field of the given capacity (0: no capacity): empty, short, at the capacity, one past it
// or far past it. Texts without a capacity are mostly short, now and then some thousands of bytes.
std::string randomText(Random& random, std::size_t capacity, const std::function<char(Random&)>& byte) {
    std::size_t length = 0;
    std::uint64_t kind = random.below(10);
    if (capacity > 0) {
        length = kind < 2   ? 0
                 : kind < 5 ? random.below(capacity)
                 : kind < 7 ? capacity
                 : kind < 8 ? capacity + 1
                            : capacity + random.below(60);
    } else {
        length = kind < 2 ? 0 : kind < 9 ? random.below(24) : random.percent(90) ? random.below(300) : 4000;
    }
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += byte(random);
    return text;
}

// The generator of projects. Counts are drawn against a budget of records, so that most projects are
// small while some hold 100 entries in a list.
class ProjectGenerator {
public:
    explicit ProjectGenerator(std::uint64_t seed) : random_(seed) {}

    TProect next(int budget) {
        budget_ = budget;
        TProect project;
        int sources = count();
        for (int i = 0; i < sources; ++i)
            fillSource(project.Sources.append());
        return project;
    }

    // One project with every list at 100 entries somewhere and every byte in its texts.
    TProect fullLists() {
        TProect project;
        for (int i = 0; i < 100; ++i)
            project.Sources.append().Name = "S" + std::to_string(i + 1);
        TSource& first = project.Sources[1];
        for (int i = 0; i < 100; ++i)
            first.ModeWorks.append().Izm_Nagr = i;
        for (int i = 0; i < 100; ++i)
            first.Lines.append().Name = std::to_string(i + 1);
        TLines& last = first.Lines[100];
        for (int i = 0; i < 100; ++i)
            last.Sections.append().Dlina = randomReal(random_);
        std::string everyByte;
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n')
                everyByte += static_cast<char>(b);
        last.Sections[100].Provod = everyByte;
        first.ModeWorks[100].Uzel_Off = everyByte;
        return project;
    }

private:
    int count() {
        std::uint64_t kind = random_.below(20);
        int wanted = kind == 0 ? 100 : kind == 1 ? random_.between(4, 100) : random_.between(0, 3);
        int n = std::min(wanted, budget_);
        budget_ -= n;
        return n;
    }

    std::string text(std::size_t capacity = 0) { return randomText(random_, capacity, textByte); }

    void fillSource(TSource& source) {
        source.Name = text(50);
        std::uint64_t code = random_.below(4);
        source.Code = code == 0   ? std::numeric_limits<std::int32_t>::min()
                      : code == 1 ? std::numeric_limits<std::int32_t>::max()
                                  : static_cast<std::int32_t>(random_.bits());
        source.Napr = randomReal(random_);
        source.R_Max = randomReal(random_);
        source.X_Max = randomReal(random_);
        source.R_Min = randomReal(random_);
        source.X_Min = randomReal(random_);
        int modes = count();
        for (int j = 0; j < modes; ++j) {
            TModeWork& mode = source.ModeWorks.append();
            mode.L_Begin = text(8);
            mode.L_End = text(8);
            mode.Uzel_Begin = text();
            mode.Uzel_End = text();
            mode.Dlina = randomReal(random_);
            mode.Provod = text();
            mode.Uzel_Off = text();
            mode.Izm_Nagr = randomReal(random_);
        }
        int lines = count();
        for (int j = 0; j < lines; ++j) {
            TLines& line = source.Lines.append();
            line.Name = text(10);
            int sections = count();
            for (int k = 0; k < sections; ++k) {
                TLine& section = line.Sections.append();
                section.L_Begin = text(8);
                section.L_End = text(8);
                section.Dlina = randomReal(random_);
                section.Provod = text();
                section.Max_Nagr = text();
                section.Gr_Nagr = text();
                section.Trans = text();
            }
        }
    }

    Random random_;
    int budget_ = 0;
};

// Calls f on every real of a project.
void forEachReal(TProect& project, const std::function<void(double&)>& f) {
    for (TSource& s : project.Sources) {
        for (double* v : {&s.Napr, &s.R_Max, &s.X_Max, &s.R_Min, &s.X_Min})
            f(*v);
        for (TModeWork& m : s.ModeWorks) {
            f(m.Dlina);
            f(m.Izm_Nagr);
        }
        for (TLines& l : s.Lines)
            for (TLine& section : l.Sections)
                f(section.Dlina);
    }
}

// Calls f on every text of a project.
void forEachText(const TProect& project, const std::function<void(std::string_view)>& f) {
    for (const TSource& s : project.Sources) {
        f(s.Name.view());
        for (const TModeWork& m : s.ModeWorks)
            for (std::string_view t :
                 {m.L_Begin.view(), m.L_End.view(), std::string_view(m.Uzel_Begin),
                  std::string_view(m.Uzel_End), std::string_view(m.Provod), std::string_view(m.Uzel_Off)})
                f(t);
        for (const TLines& l : s.Lines) {
            f(l.Name.view());
            for (const TLine& x : l.Sections)
                for (std::string_view t :
                     {x.L_Begin.view(), x.L_End.view(), std::string_view(x.Provod),
                      std::string_view(x.Max_Nagr), std::string_view(x.Gr_Nagr), std::string_view(x.Trans)})
                    f(t);
        }
    }
}

TProect withRoundedReals(TProect project) {
    forEachReal(project, [](double& v) { v = roundedTo15(v); });
    return project;
}

// Every field of a project on a line of its own, reals with all their digits: the first differing line of
// two dumps says where two projects part.
std::string dump(const TProect& project) {
    std::string out;
    auto real = [](double v) {
        char buffer[64];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
    };
    auto str = [](const auto& text) { return std::string(std::string_view(text)); };
    int i = 0;
    for (const TSource& s : project.Sources) {
        std::string at = "source " + std::to_string(++i);
        out += at + " name " + s.Name.str() + "\n" + at + " code " + std::to_string(s.Code) + "\n";
        for (double v : {s.Napr, s.R_Max, s.X_Max, s.R_Min, s.X_Min})
            out += at + " real " + real(v) + "\n";
        int j = 0;
        for (const TModeWork& m : s.ModeWorks)
            out += at + " mode " + std::to_string(++j) + " " + m.L_Begin.str() + "|" + m.L_End.str() + "|" +
                   str(m.Uzel_Begin) + "|" + str(m.Uzel_End) + "|" + real(m.Dlina) + "|" + str(m.Provod) +
                   "|" + str(m.Uzel_Off) + "|" + real(m.Izm_Nagr) + "\n";
        j = 0;
        for (const TLines& l : s.Lines) {
            std::string lat = at + " line " + std::to_string(++j);
            out += lat + " name " + l.Name.str() + "\n";
            int k = 0;
            for (const TLine& x : l.Sections)
                out += lat + " section " + std::to_string(++k) + " " + x.L_Begin.str() + "|" + x.L_End.str() +
                       "|" + real(x.Dlina) + "|" + str(x.Provod) + "|" + str(x.Max_Nagr) + "|" +
                       str(x.Gr_Nagr) + "|" + str(x.Trans) + "\n";
        }
    }
    return out;
}

QByteArray firstDifference(const std::string& a, const std::string& b) {
    QList<QByteArray> linesA = QByteArray::fromStdString(a).split('\n');
    QList<QByteArray> linesB = QByteArray::fromStdString(b).split('\n');
    for (qsizetype i = 0; i < std::max(linesA.size(), linesB.size()); ++i) {
        QByteArray x = i < linesA.size() ? linesA[i] : "(nothing)";
        QByteArray y = i < linesB.size() ? linesB[i] : "(nothing)";
        if (x != y)
            return "line " + QByteArray::number(i + 1) + ": " + x.left(200).toPercentEncoding(" |") + " vs " +
                   y.left(200).toPercentEncoding(" |");
    }
    return "no difference";
}

std::string withoutCarriageReturns(const std::string& bytes) {
    std::string out;
    for (char c : bytes)
        if (c != '\r')
            out += c;
    return out;
}

// The budget of records of project number i: most small, some hundreds, a few thousands.
int budgetOf(int i) {
    return i % 100 == 99 ? 2500 : i % 10 == 9 ? 300 : 12;
}

// The catalog names the files carry: code page 866 must hold every character, and ':' and the line
// breaks are the file's own separators.
bool carriedByCatalogFile(unsigned char byte) {
    return byte != ':' && byte != '\r' && byte != '\n' && unicodeToCp866(cp1251ToUnicode(byte)) >= 0;
}

std::vector<char> bytesWhere(bool wanted) {
    std::vector<char> bytes;
    for (int b = 0; b < 256; ++b)
        if (carriedByCatalogFile(static_cast<unsigned char>(b)) == wanted)
            bytes.push_back(static_cast<char>(b));
    return bytes;
}

std::string padded(std::string_view name) {
    std::string out(name);
    if (out.size() < 9)
        out.append(9 - out.size(), ' ');
    return out;
}

int catalogSize(Random& random) {
    std::uint64_t kind = random.below(20);
    return kind == 0 ? 100 : kind < 4 ? random.between(4, 99) : random.between(0, 3);
}

WireCatalog randomWires(Random& random) {
    static const std::vector<char> carried = bytesWhere(true);
    WireCatalog catalog;
    int n = catalogSize(random);
    for (int i = 0; i < n; ++i) {
        TProvoda& wire = catalog.append();
        wire.Name = randomText(random, 9, [](Random& r) { return r.pick(carried); });
        wire.R = randomReal(random);
        wire.X = randomReal(random);
        wire.Tok = randomReal(random);
        wire.R_V = static_cast<std::uint8_t>(random.below(256));
        wire.R_G = static_cast<std::uint8_t>(random.below(256));
    }
    return catalog;
}

TransCatalog randomTransformers(Random& random) {
    static const std::vector<char> carried = bytesWhere(true);
    TransCatalog catalog;
    int n = catalogSize(random);
    for (int i = 0; i < n; ++i) {
        TTrans& trans = catalog.append();
        trans.Name = randomText(random, 9, [](Random& r) { return r.pick(carried); });
        trans.S = static_cast<std::uint16_t>(random.below(65536));
        trans.U = randomReal(random);
        trans.dP = randomReal(random);
    }
    return catalog;
}

// What reading a written catalog gives: names padded to 9 blanks, reals rounded to 15 digits.
WireCatalog expectedBack(WireCatalog catalog) {
    for (TProvoda& wire : catalog) {
        wire.Name = padded(wire.Name.view());
        for (double* v : {&wire.R, &wire.X, &wire.Tok})
            *v = roundedTo15(*v);
    }
    return catalog;
}

TransCatalog expectedBack(TransCatalog catalog) {
    for (TTrans& trans : catalog) {
        trans.Name = padded(trans.Name.view());
        trans.U = roundedTo15(trans.U);
        trans.dP = roundedTo15(trans.dP);
    }
    return catalog;
}

template <class Catalog> QByteArray describeDifference(const Catalog& a, const Catalog& b) {
    if (a.count() != b.count())
        return "counts " + QByteArray::number(a.count()) + " and " + QByteArray::number(b.count());
    for (int i = 1; i <= a.count(); ++i)
        if (!(a[i] == b[i]))
            return "entry " + QByteArray::number(i) + ": " +
                   QByteArray::fromStdString(a[i].Name.str()).toHex() + " vs " +
                   QByteArray::fromStdString(b[i].Name.str()).toHex();
    return "no difference";
}

// Writes, reads back and writes again one catalog, as either kind.
template <class Catalog>
void checkCatalogRoundTrip(const Catalog& catalog, std::string (*serialize)(const Catalog&),
                           Catalog (*parse)(std::string_view), int number) {
    const QByteArray where = "catalog " + QByteArray::number(number);
    const std::string bytes = serialize(catalog);
    const Catalog back = parse(bytes);
    const Catalog expected = expectedBack(catalog);
    QVERIFY2(back == expected, (where + ", " + describeDifference(back, expected)).constData());
    QVERIFY2(serialize(back) == bytes, (where + ": written again it differs").constData());
    QVERIFY2(parse(withoutCarriageReturns(bytes)) == expected,
             (where + ": with line feeds alone it differs").constData());
}

template <class Catalog>
void expectRefused(const Catalog& catalog, std::string (*serialize)(const Catalog&), int slot) {
    try {
        serialize(catalog);
        QFAIL(qPrintable(QString("the catalog was written although entry %1 cannot be carried").arg(slot)));
    } catch (const Error& error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.contains(QString("(запись %1 ").arg(slot)) &&
                     message.endsWith("Справочник не записан."),
                 qPrintable(message));
    }
}

// Spoils one entry of a catalog with something its file cannot carry; returns the entry's slot.
template <class Catalog> int spoil(Catalog& catalog, Random& random) {
    static const std::vector<char> uncarried = bytesWhere(false);
    if (catalog.empty())
        catalog.append();
    int slot = random.between(1, catalog.count());
    auto& entry = catalog[slot];
    std::string name = entry.Name.str();
    if (random.percent(25)) {
        double bad = random.pick(std::vector<double>{std::numeric_limits<double>::quiet_NaN(),
                                                     std::numeric_limits<double>::infinity(),
                                                     -std::numeric_limits<double>::infinity()});
        if constexpr (std::is_same_v<Catalog, WireCatalog>)
            (random.percent(50) ? entry.R : entry.Tok) = bad;
        else
            (random.percent(50) ? entry.U : entry.dP) = bad;
        return slot;
    }
    std::size_t at = name.empty() ? 0 : random.below(std::min<std::size_t>(name.size(), 9));
    name.insert(at, 1, random.pick(uncarried));
    entry.Name = name;
    return slot;
}

} // namespace

class TestRoundTrips : public QObject {
    Q_OBJECT

private slots:
    void generalFormOfTheBoundaries() {
        for (double value : boundaryReals())
            QVERIFY2(generalFormProblem(value).isEmpty(), qPrintable(generalFormProblem(value)));
        QCOMPARE(formatReal(std::numeric_limits<double>::max()), std::string("1.79769313486231E308"));
        QCOMPARE(formatReal(std::nextafter(1e15, 0.0)), std::string("1E15"));
        QCOMPARE(formatReal(0.00009999999999999995), std::string("0.0001"));
        QCOMPARE(formatReal(std::numeric_limits<double>::denorm_min()), std::string("4.94065645841247E-324"));
        // A hair beside a half of the fifteenth digit, where a shortcut rounding a scaled value must know how
        // far off that value may be.
        std::mt19937_64 random(15);
        for (int i = 0; i < 20000; ++i) {
            const double half = static_cast<double>(100000000000000ull + random() % 900000000000000ull) + 0.5;
            double value = half * std::pow(10.0, static_cast<int>(random() % 14) - 18);
            for (int step = static_cast<int>(random() % 7) - 3; step != 0; step += step > 0 ? -1 : 1)
                value = std::nextafter(value, step > 0 ? 1e300 : 0.0);
            QVERIFY2(generalFormProblem(value).isEmpty(), qPrintable(generalFormProblem(value)));
        }
    }

    // Thousands of projects, most of them small: what is written reads back equal, every real rounded to
    // 15 significant digits, and writes again to the same bytes.
    void projectsRoundTrip() {
        ProjectGenerator generator(20240611);
        std::bitset<256> bytesSeen;
        int hundreds[4] = {};
        const int projects = 3000;
        for (int i = 0; i <= projects; ++i) {
            TProect project = i == projects ? generator.fullLists() : generator.next(budgetOf(i));
            const QByteArray where = "project " + QByteArray::number(i);

            forEachReal(project, [&](double& v) {
                QString problem = generalFormProblem(v);
                QVERIFY2(problem.isEmpty(), (where + ": " + problem.toUtf8()).constData());
            });
            if (QTest::currentTestFailed())
                return;
            forEachText(project, [&](std::string_view t) {
                for (char c : t)
                    bytesSeen.set(static_cast<unsigned char>(c));
            });
            hundreds[0] += project.SourceCount() == 100;
            for (const TSource& s : project.Sources) {
                hundreds[1] += s.ModeWorkCount() == 100;
                hundreds[2] += s.LineCount() == 100;
                for (const TLines& l : s.Lines)
                    hundreds[3] += l.SectionCount() == 100;
            }

            const std::string bytes = serializeProject(project);
            const TProect expected = withRoundedReals(project);
            const TProect back = parseProject(bytes);
            QVERIFY2(back == expected,
                     (where + ", " + firstDifference(dump(back), dump(expected))).constData());
            const std::string again = serializeProject(back);
            QVERIFY2(again == bytes,
                     (where + ", written again: " + firstDifference(again, bytes)).constData());
            QVERIFY2(parseProject(withoutCarriageReturns(bytes)) == expected,
                     (where + ": with line feeds alone it reads differently").constData());
        }
        // The generator did reach what it promises: every byte but the line breaks, every list full.
        QCOMPARE(int(bytesSeen.count()), 254);
        for (int level = 0; level < 4; ++level)
            QVERIFY2(hundreds[level] > 0, qPrintable(QString("no list of 100 at level %1").arg(level)));
    }

    // Texts longer than their fields are cut to the capacity by the records, so a project keeps what the
    // file can carry back.
    void textsBeyondTheirCapacityAreCut() {
        Random random(7);
        for (int i = 0; i < 200; ++i) {
            std::string name = randomText(random, 50, textByte);
            std::string node = randomText(random, 8, textByte);
            std::string lineName = randomText(random, 10, textByte);
            TProect project;
            TSource& source = project.Sources.append();
            source.Name = name;
            TLines& line = source.Lines.append();
            line.Name = lineName;
            line.Sections.append().L_End = node;
            TProect back = parseProject(serializeProject(project));
            QCOMPARE(back.Sources[1].Name.str(), name.substr(0, 50));
            QCOMPARE(back.Sources[1].Lines[1].Name.str(), lineName.substr(0, 10));
            QCOMPARE(back.Sources[1].Lines[1].Sections[1].L_End.str(), node.substr(0, 8));
        }
    }

    // Every cut of a random project's file at a line boundary is refused as incomplete; the whole file
    // reads, and so does the file whose last line break is missing when its last line holds a character.
    void everyTruncationIsRefused() {
        ProjectGenerator generator(1812);
        int cuts = 0;
        for (int i = 0; i < 300; ++i) {
            const TProect project = generator.next(i % 20 == 19 ? 60 : 12);
            const std::string bytes = serializeProject(project);
            const TProect expected = withRoundedReals(project);
            QVERIFY(parseProject(bytes) == expected);
            if (bytes.size() > 3 && bytes[bytes.size() - 3] != '\n')
                QVERIFY(parseProject(bytes.substr(0, bytes.size() - 2)) == expected);
            for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
                if (cut > 0 && bytes[cut - 1] != '\n')
                    continue;
                ++cuts;
                for (const std::string& file :
                     {bytes.substr(0, cut), withoutCarriageReturns(bytes.substr(0, cut))}) {
                    try {
                        parseProject(file);
                        QFAIL(qPrintable(QString("project %1 cut at byte %2 of %3 was accepted")
                                             .arg(i)
                                             .arg(cut)
                                             .arg(bytes.size())));
                    } catch (const Error& error) {
                        QCOMPARE(QString::fromUtf8(error.what()), kIncomplete);
                    }
                }
            }
        }
        QVERIFY(cuts > 15000);
    }

    void wireCatalogsRoundTrip() {
        Random random(3110);
        for (int i = 0; i < 2000; ++i) {
            checkCatalogRoundTrip(randomWires(random), serializeWireCatalog, parseWireCatalog, i);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void transformerCatalogsRoundTrip() {
        Random random(3120);
        for (int i = 0; i < 2000; ++i) {
            checkCatalogRoundTrip(randomTransformers(random), serializeTransCatalog, parseTransCatalog, i);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A name with ':', a line break or a character code page 866 lacks, or a real that is not a finite
    // number, is refused, and the file on disk stays as it was.
    void whatTheCatalogFilesCannotCarryIsRefused() {
        QVERIFY(bytesWhere(false).size() > 3);
        QTemporaryDir dir;
        const std::string wirePath = dir.filePath(WireCatalogFile).toStdString();
        const std::string transPath = dir.filePath(TransCatalogFile).toStdString();
        writeFileAtomically(wirePath, "previous wires\r\n");
        writeFileAtomically(transPath, "previous transformers\r\n");
        Random random(3130);
        for (int i = 0; i < 300; ++i) {
            WireCatalog wires = randomWires(random);
            int slot = spoil(wires, random);
            expectRefused(wires, serializeWireCatalog, slot);
            if (QTest::currentTestFailed())
                return;
            QVERIFY_THROWS_EXCEPTION(Error, writeWireCatalog(wirePath, wires));

            TransCatalog trans = randomTransformers(random);
            slot = spoil(trans, random);
            expectRefused(trans, serializeTransCatalog, slot);
            if (QTest::currentTestFailed())
                return;
            QVERIFY_THROWS_EXCEPTION(Error, writeTransCatalog(transPath, trans));
        }
        QCOMPARE(readWholeFile(wirePath), std::string("previous wires\r\n"));
        QCOMPARE(readWholeFile(transPath), std::string("previous transformers\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }
};

QTEST_APPLESS_MAIN(TestRoundTrips)
#include "test_round_trips.moc"
