// korvane10-tool calc run as a user runs it: the reference cases 1 to 6 end to end from a project whose
// coefficient rows give their loads, the three formats, the options and the exit codes.

#include "calc/result_format.h"
#include "support/tool_run.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <string>

namespace {

const QString kReference = K10_TEST_DATA "/calc/reference.k10";
const QString kBroken = K10_TEST_DATA "/calc/broken.k10";

// A working folder with the default catalogs and the reference cases' coefficient table.
class Folder {
public:
    Folder(bool withTable = true) {
        for (const char* name : {"spravp.dat", "spravt.dat"})
            QFile::copy(QString(K10_SOURCE_DIR "/data/") + name, dir.filePath(name));
        if (withTable)
            QFile::copy(K10_TEST_DATA "/calc/koefnagr.dat", dir.filePath("koefnagr.dat"));
    }
    QString path() const { return dir.path(); }
    QTemporaryDir dir;
};

QJsonObject calcJson(const Folder& folder, const QStringList& options) {
    ToolRun run = runTool(QStringList{"calc", kReference, "--dir", folder.path(), "--format", "json"} + options);
    if (run.exitCode != 0)
        qWarning() << run.err;
    return QJsonDocument::fromJson(run.out).object();
}

QJsonObject scheme(const QJsonObject& root, int source, int mode) {
    for (const QJsonValue& s : root["schemes"].toArray())
        if (s["source"].toInt() == source && s["mode"].toInt() == mode)
            return s.toObject();
    return {};
}

QJsonObject byKey(const QJsonArray& list, const QString& key, const QString& value) {
    for (const QJsonValue& v : list)
        if (v[key].toString() == value)
            return v.toObject();
    return {};
}

// The value at a path of keys and positions ("regimes/day/sections/0/p_kw").
QJsonValue at(const QJsonValue& root, const QString& path) {
    QJsonValue v = root;
    for (const QString& key : path.split('/')) {
        bool isIndex = false;
        int index = key.toInt(&isIndex);
        v = isIndex ? v.toArray()[index] : v.toObject()[key];
    }
    return v;
}

bool closeTo(double actual, double expected) {
    return std::abs(actual - expected) <= 1e-4 * std::abs(expected);
}

#define QNEAR(actual, expected)                                                                              \
    QVERIFY2(                                                                                                \
        closeTo((actual), (expected)),                                                                       \
        qPrintable(QString("%1 = %2, expected %3").arg(#actual).arg((actual), 0, 'g', 10).arg(expected)))

} // namespace

class TestCalcTool : public QObject {
    Q_OBJECT

private slots:
    void referenceCasesEndToEnd() {
        Folder folder;
        QJsonObject iec = calcJson(folder, {"--sc", "iec"});
        QCOMPARE(iec["settings"].toObject()["coefficients"].toString(), QString("koefnagr.dat"));
        QCOMPARE(iec["schemes"].toArray().size(), 8); // six normal schemes and two modes

        // Case 1.
        QJsonObject day = at(scheme(iec, 1, 0), "regimes/day").toObject();
        QNEAR(byKey(day["nodes"].toArray(), "node", "1")["u_kv"].toDouble(), 9.87025);
        QNEAR(byKey(day["nodes"].toArray(), "node", "2")["loss_percent"].toDouble(), 1.7740);
        QJsonObject head = day["sections"].toArray()[0].toObject();
        QNEAR(head["p_kw"].toDouble(), 506.8055);
        QNEAR(head["q_kvar"].toDouble(), 305.6990);
        QNEAR(head["i_a"].toDouble(), 34.171);
        QNEAR(at(day, "totals/dp_kw").toDouble(), 6.8055);
        QNEAR(at(day, "totals/dq_kvar").toDouble(), 5.6990);
        // Case 2.
        QJsonObject two = at(scheme(iec, 3, 0), "regimes/day").toObject();
        QNEAR(byKey(two["nodes"].toArray(), "node", "D")["loss_percent"].toDouble(), 2.3631);
        QNEAR(at(two, "totals/p_kw").toDouble(), 822.2706);
        QNEAR(at(two, "totals/dq_kvar").toDouble(), 15.8154);
        // Case 3.
        QJsonObject three = at(scheme(iec, 4, 0), "regimes/day").toObject();
        QNEAR(byKey(three["nodes"].toArray(), "node", "1")["u_kv"].toDouble(), 5.52535);
        QNEAR(at(three, "totals/dp_kw").toDouble(), 54.538);
        // Case 4: the mode, with its short circuits under IEC 60909.
        QJsonObject four = scheme(iec, 1, 1);
        QJsonObject fourDay = at(four, "regimes/day").toObject();
        QNEAR(byKey(fourDay["nodes"].toArray(), "node", "b")["loss_percent"].toDouble(), 3.5056);
        QNEAR(at(fourDay, "totals/p_kw").toDouble(), 766.309);
        QJsonObject jumper = byKey(fourDay["sections"].toArray(), "end", "c");
        QVERIFY(jumper["jumper"].toBool());
        QCOMPARE(jumper["section"].toInt(), 0);
        QNEAR(jumper["i_a"].toDouble(), 13.235);
        QJsonObject c = byKey(at(four, "short_circuit/nodes").toArray(), "node", "c");
        QNEAR(at(c, "z_max_ohm/0").toDouble(), 5.352);
        QNEAR(at(c, "z_max_ohm/1").toDouble(), 4.778);
        QNEAR(c["ik3_max_ka"].toDouble(), 0.8852);
        QNEAR(c["ik3_min_ka"].toDouble(), 0.7531);
        // Case 6 (case 1 with a ТМ-160 at node 2) under IEC 60909, then under the average voltage.
        QJsonObject sc = scheme(iec, 6, 0)["short_circuit"].toObject();
        QNEAR(byKey(sc["nodes"].toArray(), "node", "2")["ik3_max_ka"].toDouble(), 1.1490);
        QNEAR(at(sc, "busbars/ik3_min_ka").toDouble(), 2.8472);
        QNEAR(at(sc, "low_voltage/0/ik3_max_ka").toDouble(), 4.6545);
        QNEAR(at(sc, "low_voltage/0/ik3_min_ka").toDouble(), 4.1399);
        QJsonObject average = scheme(calcJson(folder, {"--source", "6", "--mode", "normal"}), 6, 0);
        QNEAR(byKey(at(average, "short_circuit/nodes").toArray(), "node", "2")["ik2_max_ka"].toDouble(),
              0.9499);
        QNEAR(at(average, "short_circuit/busbars/ik3_max_ka").toDouble(), 4.1451);
        QNEAR(at(average, "short_circuit/low_voltage/0/ik3_max_ka").toDouble(), 4.3966);

        // Case 5 and the engineering pass of case 1.
        QJsonObject engineering = calcJson(folder, {"--method", "engineering", "--mode", "all"});
        QJsonObject five = scheme(engineering, 5, 1)["regimes"].toObject();
        QNEAR(at(five, "day/sections/0/p_kw").toDouble(), 132.0);
        QNEAR(at(five, "day/sections/0/q_kvar").toDouble(), 116.413);
        QNEAR(at(five, "evening/sections/0/q_kvar").toDouble(), 63.360);
        QJsonObject oneEngineering = at(scheme(engineering, 1, 0), "regimes/day").toObject();
        QNEAR(byKey(oneEngineering["nodes"].toArray(), "node", "2")["loss_percent"].toDouble(), 1.7460);

        // The names added for the busbar voltage, the transformers' losses and the left-out lines. Case 6's
        // ТМ-160 carries 223.6 kVA: beta^2 = 50000 / 160^2.
        QCOMPARE(at(iec, "settings/bus_voltage_percent").toDouble(), 100.0);
        QCOMPARE(scheme(iec, 1, 0)["excluded_lines"].toArray(), QJsonArray());
        QNEAR(at(day, "nodes/1/deviation_percent").toDouble(), -1.2975);
        QJsonObject six = at(scheme(iec, 6, 0), "regimes/evening").toObject();
        const double beta2 = 50000.0 / (160 * 160);
        QNEAR(at(six, "substations/0/dp_kw").toDouble(), 2.65 * beta2);
        QNEAR(at(six, "substations/0/dq_kvar").toDouble(), 0.045 * 160 * beta2);
        for (const char* totals : {"totals", "lines/0"}) {
            QJsonObject t = at(six, totals).toObject();
            QNEAR(t["dp_transformers_kw"].toDouble(), 2.65 * beta2);
            QNEAR(t["dq_transformers_kvar"].toDouble(), 0.045 * 160 * beta2);
            QNEAR(t["dp_kw"].toDouble(), t["dp_sections_kw"].toDouble() + t["dp_transformers_kw"].toDouble());
            QNEAR(t["dq_kvar"].toDouble(), t["dq_sections_kvar"].toDouble() + 0.045 * 160 * beta2);
            QNEAR(t["p_kw"].toDouble(), 500 + t["dp_kw"].toDouble());
            QNEAR(t["loss_share_percent"].toDouble(), t["dp_kw"].toDouble() / t["p_kw"].toDouble() * 100);
        }
        // The busbars at 105 %: case 3's head at 6.3 kV.
        QJsonObject raised = calcJson(folder, {"--bus-voltage", "105", "--source", "4", "--mode", "normal"});
        QCOMPARE(at(raised, "settings/bus_voltage_percent").toDouble(), 105.0);
        QNEAR(at(scheme(raised, 4, 0), "regimes/day/nodes/0/u_kv").toDouble(), 6.3);
    }

    // A refused scheme is a result: exit 0, its problems, no regimes.
    void brokenProjectIsAResult() {
        Folder folder(false);
        ToolRun run = runTool({"calc", kBroken, "--dir", folder.path(), "--format", "json", "--source", "1"});
        QCOMPARE(run.exitCode, 0);
        QJsonObject root = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(at(root, "settings/coefficients").toString(), QString("built-in"));
        QJsonObject first = at(root, "schemes/1").toObject();
        QCOMPARE(first["calculated"].toBool(), false);
        QVERIFY(!first.contains("regimes") && !first.contains("short_circuit"));
        QStringList codes;
        for (const QJsonValue& p : first["problems"].toArray())
            codes << p["code"].toString() + ":" + p["kind"].toString();
        QVERIFY(codes.contains("P5:warning") && codes.contains("M2:error") && codes.contains("M6:error"));
        QCOMPARE(first["excluded_lines"].toArray(), QJsonArray({"105"}));
    }

    void textReport() {
        Folder folder;
        ToolRun run = runTool({"calc", kReference, "--dir", folder.path(), "--source", "1", "--mode", "1"});
        QCOMPARE(run.exitCode, 0);
        QString text = QString::fromUtf8(run.out);
        QVERIFY(text.startsWith("Источник 1 «S1», 10 кВ — Режим 1: перемычка 101/2 – 201/c, 2 км АС-35; разрыв "
                                "перед узлом «b»; нагрузка +10 %\n"));
        QVERIFY(text.contains("; напряжение на шинах 100 % от номинального\n"));
        QVERIFY(text.contains("Коэффициенты нагрузки: из файла koefnagr.dat"));
        QVERIFY(text.contains("Не рассчитываются"));
        QVERIFY(!text.contains("отключён узел"));
        QVERIFY(text.contains(QRegularExpression("201\\s+b\\s+[\\d,]+\\s+9,649\\s+3,51\\s")));
        ToolRun builtIn =
            runTool({"calc", kReference, "--dir", Folder(false).path(), "--source", "4", "--mode", "normal"});
        QVERIFY(QString::fromUtf8(builtIn.out).contains("встроенная таблица"));
    }

    void csvRows() {
        Folder folder;
        ToolRun run = runTool({"calc", kReference, "--dir", folder.path(), "--source", "4", "--format", "csv"});
        QCOMPARE(run.exitCode, 0);
        QList<QByteArray> rows = run.out.split('\n');
        QVERIFY(rows[0].startsWith("source,mode,regime,kind,line,section,node,end,transformer,"));
        QVERIFY(rows[0].endsWith(",ik2_min_ka,deviation_percent,dp_sections_kw,dq_sections_kvar,"
                                 "dp_transformers_kw,dq_transformers_kvar,loss_share_percent\r"));
        // Case 3: two nodes, one section, its line and the totals in each regime, busbars and two nodes
        // short-circuited.
        QCOMPARE(run.out.count("\n"), 1 + 2 * 5 + 3);
        QVERIFY(run.out.contains("\n4,0,day,totals,,,,,,,,,"));
        QVERIFY(run.out.contains("\n4,0,day,node,401,,1,,,5,5.5253"));
        QVERIFY(run.out.contains("\n4,0,,short_circuit,,,,,,"));
    }

    // The spreadsheet CSV read as a spreadsheet set to Russian reads it: the byte order mark taken for UTF-8,
    // fields split on ';', the comma as the decimal sign. Every row matches the JSON of the same run, each
    // number rounded to its column's precision.
    void spreadsheetCsv() {
        Folder folder;
        const QStringList options{"--mode", "all", "--sc", "iec"};
        QJsonObject json = calcJson(folder, options);
        ToolRun run = runTool(QStringList{"calc", kReference, "--dir", folder.path(), "--format", "csv-ru"} + options);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("\xEF\xBB\xBF"));
        QVERIFY(run.out.endsWith("\r\n") && run.out.count("\r\n") == run.out.count('\n'));
        QStringList rows = QString::fromUtf8(run.out.mid(3)).split("\r\n");
        rows.removeLast();
        const QStringList header = rows.takeFirst().split(';');
        QCOMPARE(header.mid(0, 12), QStringList({"Источник", "Режим", "Максимум", "Строка", "Линия", "Участок",
                                                 "Узел", "Конец", "Трансформатор", "От шин, км", "U, кВ",
                                                 "ΔU, %"}));
        // Column → (JSON name in the row's object, decimals in the window).
        const QMap<QString, QPair<QString, int>> numbers = {
            {"U, кВ", {"u_kv", 3}},           {"ΔU, %", {"loss_percent", 2}},
            {"δU, %", {"deviation_percent", 2}}, {"P, кВт", {"p_kw", 1}},
            {"Q, квар", {"q_kvar", 1}},       {"S, кВА", {"s_kva", 1}},
            {"I, А", {"i_a", 1}},             {"Загрузка, %", {"loading_percent", 1}},
            {"ΔP, кВт", {"dp_kw", 2}},        {"ΔQ, квар", {"dq_kvar", 2}},
            {"Iк3 макс, кА", {"ik3_max_ka", 3}}, {"Iк2 макс, кА", {"ik2_max_ka", 3}},
            {"Iк3 мин, кА", {"ik3_min_ka", 3}},  {"Iк2 мин, кА", {"ik2_min_ka", 3}},
            {"Z макс: R, Ом", {"z_max_ohm/0", 3}}, {"Z макс: X, Ом", {"z_max_ohm/1", 3}},
            {"Z мин: R, Ом", {"z_min_ohm/0", 3}},  {"Z мин: X, Ом", {"z_min_ohm/1", 3}},
            {"ΔP участков, кВт", {"dp_sections_kw", 2}}, {"ΔQ участков, квар", {"dq_sections_kvar", 2}},
            {"ΔP трансформаторов, кВт", {"dp_transformers_kw", 2}},
            {"ΔQ трансформаторов, квар", {"dq_transformers_kvar", 2}}, {"ΔP, % от P", {"loss_share_percent", 2}}};
        const QMap<QString, QString> regimes = {{"день", "day"}, {"вечер", "evening"}};
        const QMap<QString, QString> kinds = {{"узел", "nodes"},    {"участок", "sections"}, {"ТП", "substations"},
                                              {"линия", "lines"},   {"итого", "totals"},     {"КЗ", "nodes"},
                                              {"КЗ 0,4 кВ", "low_voltage"}};
        QMap<QString, int> next; // the position of the next row of each scheme, regime and kind
        int compared = 0;
        for (const QString& row : rows) {
            const QStringList cells = row.split(';');
            QCOMPARE(cells.size(), header.size());
            auto cell = [&](const char* column) { return cells[header.indexOf(QString(column))]; };
            QJsonObject scheme = ::scheme(json, cell("Источник").toInt(), cell("Режим").toInt());
            QVERIFY2(kinds.contains(cell("Строка")), qPrintable(row));
            QJsonValue object;
            if (cell("Строка").startsWith("КЗ")) {
                QVERIFY(cell("Максимум").isEmpty());
                const QString key = cell("Строка") == "КЗ" && cell("Узел").isEmpty() ? "busbars" : kinds[cell("Строка")];
                const QString where = QString("short_circuit/%1").arg(key);
                object = key == "busbars" ? at(scheme, where) : at(scheme, where + "/" + QString::number(next[row.section(';', 0, 3) + key]++));
            } else {
                const QString where = QString("regimes/%1/%2").arg(regimes.value(cell("Максимум")), kinds[cell("Строка")]);
                object = kinds[cell("Строка")] == "totals" ? at(scheme, where)
                                                          : at(scheme, where + "/" + QString::number(next[row.section(';', 0, 3)]++));
            }
            QVERIFY2(object.isObject(), qPrintable(row));
            if (object.toObject().contains("line"))
                QCOMPARE(cell("Линия"), object["line"].toString());
            for (int c = 0; c < header.size(); ++c) {
                if (!numbers.contains(header[c]) || cells[c].isEmpty())
                    continue;
                const auto [name, decimals] = numbers[header[c]];
                QJsonValue expected = at(object, name);
                QVERIFY2(expected.isDouble(), qPrintable(header[c] + ": " + row));
                QVERIFY2(QRegularExpression(QString("^-?\\d+,\\d{%1}$").arg(decimals)).match(cells[c]).hasMatch(),
                         qPrintable(header[c] + " = " + cells[c]));
                const double read = QString(cells[c]).replace(',', '.').toDouble();
                QVERIFY2(std::abs(read - expected.toDouble()) <= 0.5 * std::pow(10.0, -decimals) + 1e-9,
                         qPrintable(QString("%1 = %2, JSON %3").arg(header[c], cells[c]).arg(expected.toDouble())));
                ++compared;
            }
        }
        // Every row of the JSON came: as many node rows as nodes in each scheme's day.
        int nodes = 0;
        for (const QJsonValue& s : json["schemes"].toArray())
            nodes += at(s, "regimes/day/nodes").toArray().size();
        QCOMPARE(rows.filter(QRegularExpression("^[^;]*;[^;]*;день;узел;")).size(), nodes);
        QVERIFY(compared > 500);
    }

    void numbersForPeople_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("text");
        QTest::newRow("voltage") << 9.87025 << int(k10::calc::Quantity::VoltageKv) << "9,870";
        QTest::newRow("loss rounds up") << 1.2975 << int(k10::calc::Quantity::LossPercent) << "1,30";
        QTest::newRow("negative zero") << -0.004 << int(k10::calc::Quantity::LossPercent) << "0,00";
        QTest::newRow("negative") << -2.5 << int(k10::calc::Quantity::Power) << "-2,5";
        QTest::newRow("current") << 34.171 << int(k10::calc::Quantity::CurrentA) << "34,2";
        QTest::newRow("short circuit") << 0.88517 << int(k10::calc::Quantity::ShortCircuitKa) << "0,885";
        QTest::newRow("exact half to even") << 0.125 << int(k10::calc::Quantity::LossPercent) << "0,12";
        QTest::newRow("below the first digit") << 0.0004 << int(k10::calc::Quantity::VoltageKv) << "0,000";
        QTest::newRow("large") << 3e12 << int(k10::calc::Quantity::CurrentA) << "3000000000000,0";
    }
    // Small numbers are written by a shortcut: on random numbers of every size and sign it writes what
    // the exact conversion writes.
    void numbersAsTheExactConversion() {
        std::mt19937_64 random(20261208);
        std::uniform_real_distribution<double> exponent(-8, 11), digits(1, 10);
        for (int i = 0; i < 200000; ++i) {
            const auto quantity = k10::calc::Quantity(i % 3 == 0 ? k10::calc::Quantity::Power
                                                      : i % 3 == 1 ? k10::calc::Quantity::Losses
                                                                   : k10::calc::Quantity::VoltageKv);
            const int decimals = k10::calc::decimalsOf(quantity);
            double value = digits(random) * std::pow(10.0, std::floor(exponent(random)));
            if (i % 4 == 0) // a half or a hair beside it, at the last digit written
                value = (std::round(value * std::pow(10.0, decimals)) + 0.5 + (i % 8 - 4) * 1e-9) /
                        std::pow(10.0, decimals);
            value = i % 2 ? -value : value;
            char exact[400];
            std::string expected(exact, std::to_chars(exact, exact + sizeof exact, value, std::chars_format::fixed,
                                                      decimals).ptr);
            std::replace(expected.begin(), expected.end(), '.', ',');
            if (expected.find_first_not_of("-0,") == std::string::npos && expected[0] == '-')
                expected.erase(0, 1);
            QCOMPARE(k10::calc::formatNumber(value, quantity), expected);
        }
    }
    void numbersForPeople() {
        QFETCH(double, value);
        QFETCH(int, quantity);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(k10::calc::formatNumber(value, k10::calc::Quantity(quantity))), text);
    }

    // Exit 2 with a message for wrong usage, 1 with the file's name when a file cannot be read.
    void exitCodes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // the first line of standard error; %1 the folder
        QTest::newRow("no such source")
            << QStringList{"--source", "9"} << 2 << "korvane10-tool: the project has no source 9 (it has 6)";
        QTest::newRow("no such mode") << QStringList{"--source", "2", "--mode", "1"} << 2
                                      << "korvane10-tool: no source asked for has a mode 1";
        QTest::newRow("mode nowhere")
            << QStringList{"--mode", "2"} << 2 << "korvane10-tool: no source asked for has a mode 2";
        QTest::newRow("unknown method")
            << QStringList{"--method", "fast"} << 2 << "korvane10-tool: unknown value \"fast\" of --method";
        QTest::newRow("bad loss")
            << QStringList{"--max-loss", "abc"} << 2
            << "korvane10-tool: --max-loss takes a percentage above 0 and below 100, not \"abc\"";
        QTest::newRow("busbars too high")
            << QStringList{"--bus-voltage", "116"} << 2
            << "korvane10-tool: --bus-voltage takes a percentage of the nominal voltage from 90 to 115, not \"116\"";
        QTest::newRow("busbars not a number")
            << QStringList{"--bus-voltage", "high"} << 2
            << "korvane10-tool: --bus-voltage takes a percentage of the nominal voltage from 90 to 115, not \"high\"";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "";
        QTest::newRow("value missing")
            << QStringList{"--format"} << 2 << "korvane10-tool: --format needs a value";
        QTest::newRow("missing catalog")
            << QStringList{"--dir", "%1/none"} << 1 << "%1/none/spravp.dat: File not found";
        QTest::newRow("bad table")
            << QStringList{"--dir", "%1/bad"} << 1
            << "Файл %1/bad/koefnagr.dat: нет строки кода 1. Таблица коэффициентов не прочитана.";
    }
    void exitCodes() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Folder folder;
        QDir(folder.path()).mkdir("bad");
        for (const char* name : {"spravp.dat", "spravt.dat"})
            QFile::copy(folder.dir.filePath(name), folder.dir.filePath(QString("bad/") + name));
        QFile table(folder.dir.filePath("bad/koefnagr.dat"));
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write("only a comment\r\n");
        table.close();
        for (QString& arg : args)
            arg.replace("%1", folder.path());
        if (!args.contains("--dir"))
            args = QStringList{"--dir", folder.path()} + args;
        ToolRun run = runTool(QStringList{"calc", kReference} + args);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0)
            QVERIFY(run.out.startsWith("Usage: korvane10-tool") && run.out.contains("--bus-voltage PERCENT"));
        QCOMPARE(QString::fromUtf8(run.err).section('\n', 0, 0), message.replace("%1", folder.path()));
    }

    // Every command names the file its failure concerns.
    void failuresNameTheirFile_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("calc") << QStringList{"calc", "%1/none.k10"};
        QTest::newRow("check") << QStringList{"check", "%1/none.k10"};
        QTest::newRow("dump") << QStringList{"dump", "%1/none.k10"};
        QTest::newRow("convert") << QStringList{"convert", "%1/none.k10", "%1/out.k10"};
        QTest::newRow("catalog") << QStringList{"catalog", "wires", "%1/none"};
    }
    void failuresNameTheirFile() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        for (QString& arg : args)
            arg.replace("%1", dir.path());
        ToolRun run = runTool(args);
        QCOMPARE(run.exitCode, 1);
        QString file = args[0] == "catalog" ? dir.path() + "/none/spravp.dat" : dir.path() + "/none.k10";
        QCOMPARE(QString::fromUtf8(run.err), file + ": File not found\n");
    }
};

QTEST_GUILESS_MAIN(TestCalcTool)
#include "test_calc_tool.moc"
