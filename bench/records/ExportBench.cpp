// Exporting a records list of 65,000 sales (seven text columns) to an .xls workbook: the whole
// export (temporary database, table tmp, workbook written beside the target and renamed), the
// workbook writer alone, and the same rows written with python3-xlwt as the yardstick.

#include "core/records/SpreadsheetExport.h"
#include "core/workbook/XlsWriter.h"
#include "support/BenchShop.h"
#include "support/RatioReport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 65000;

using quorrel::bench::fail;

const QStringList& titles()
{
    static const QStringList kTitles = {QStringLiteral("序号"), QStringLiteral("销售票号"), QStringLiteral("销售时间"),
                                        QStringLiteral("数量"), QStringLiteral("金额"),     QStringLiteral("收银员"),
                                        QStringLiteral("备注")};
    return kTitles;
}

// A year of a busy shop's sales as the records window lists them.
const QList<QStringList>& rows()
{
    static const QList<QStringList> kList = [] {
        static const QString kCashiers[] = {QStringLiteral("admin"), QStringLiteral("张三"), QStringLiteral("李四")};
        QList<QStringList> out;
        out.reserve(kRows);
        for (int i = 1; i <= kRows; ++i) {
            const int day = i / 180;
            out.append({QString::number(i),
                        QStringLiteral("16%1%2%3")
                            .arg(1 + day / 28, 2, 10, QChar(u'0'))
                            .arg(1 + day % 28, 2, 10, QChar(u'0'))
                            .arg(i % 180 + 1, 4, 10, QChar(u'0')),
                        QStringLiteral("2016年%1月%2日 %3:%4:%5")
                            .arg(1 + day / 28)
                            .arg(1 + day % 28)
                            .arg(8 + i % 13)
                            .arg(i % 60, 2, 10, QChar(u'0'))
                            .arg(i * 7 % 60, 2, 10, QChar(u'0')),
                        QString::number(1 + i % 9),
                        QStringLiteral("%1.%2").arg(i % 500).arg(i % 100, 2, 10, QChar(u'0')), kCashiers[i % 3],
                        i % 10 == 0 ? QStringLiteral("会员折扣") : QString()});
        }
        return out;
    }();
    return kList;
}

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

void ExportToWorkbook(benchmark::State& state)
{
    const QString target = workDir().filePath(QStringLiteral("export.xls"));
    for (auto _ : state) {
        QString error;
        if (!quorrel::exportToWorkbook(target, titles(), rows(), &error))
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["file_MB"] = static_cast<double>(QFile(target).size()) / (1 << 20);
}
BENCHMARK(ExportToWorkbook)->Unit(benchmark::kMillisecond)->Repetitions(5);

void XlsWriterOnly(benchmark::State& state)
{
    const QString target = workDir().filePath(QStringLiteral("writer.xls"));
    for (auto _ : state) {
        quorrel::XlsWriter writer(titles());
        QString error;
        for (const QStringList& row : rows())
            writer.addRow(row);
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || !writer.write(&file, &error) || !file.commit())
            state.SkipWithError("writing failed");
    }
}
BENCHMARK(XlsWriterOnly)->Unit(benchmark::kMillisecond)->Repetitions(5);

// xlwt in a python3 child; the time is the writing alone as the script measures it.
void XlwtWrite(benchmark::State& state)
{
    const QString source = workDir().filePath(QStringLiteral("rows.tsv"));
    if (!QFile::exists(source)) {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly))
            fail("cannot write", source);
        file.write(titles().join(QLatin1Char('\t')).toUtf8() + '\n');
        for (const QStringList& row : rows())
            file.write(row.join(QLatin1Char('\t')).toUtf8() + '\n');
    }
    for (auto _ : state) {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(XLWT_SCRIPT), source, workDir().filePath(QStringLiteral("xlwt.xls"))});
        if (!python.waitForFinished(300000) || python.exitCode() != 0) {
            state.SkipWithError(python.exitCode() == 3 ? "python3-xlwt is not installed" : "xlwt failed");
            break;
        }
        state.SetIterationTime(python.readAllStandardOutput().trimmed().toDouble());
    }
}
BENCHMARK(XlwtWrite)->Unit(benchmark::kMillisecond)->UseManualTime()->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    rows(); // made before anything is timed
    return quorrel::bench::runWithRatios(
        argc, argv,
        {{"export of 65,000 rows / xlwt writing them", "ExportToWorkbook", "XlwtWrite"},
         {"workbook writer alone / xlwt writing them", "XlsWriterOnly", "XlwtWrite"}});
}
