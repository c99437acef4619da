#include "core/receipt/PrinterStatus.h"

#include <QStringList>

namespace quorrel {

QByteArray statusQueries()
{
    return QByteArrayLiteral("\x10\x04\x01\x10\x04\x02\x10\x04\x03\x10\x04\x04");
}

int statusRequestsIn(const QByteArray& stream)
{
    int requests = 0;
    for (qsizetype i = 0; i + 2 < stream.size(); ++i) {
        if (stream[i] == '\x10' && stream[i + 1] == '\x04' && stream[i + 2] >= 1 && stream[i + 2] <= 4) {
            ++requests;
            i += 2;
        }
    }
    return requests;
}

bool isStatusByte(char byte)
{
    return (uchar(byte) & 0x93) == 0x12;
}

PrinterStatus PrinterStatus::fromAnswers(const QByteArray& answers, bool* valid)
{
    PrinterStatus status;
    bool ok = answers.size() == kStatusAnswers;
    for (qsizetype i = 0; ok && i < answers.size(); ++i)
        ok = isStatusByte(answers[i]);
    if (valid)
        *valid = ok;
    if (!ok)
        return status;
    const auto bit = [&answers](int answer, int bit) { return (uchar(answers[answer]) >> bit) & 1; };
    status.offline = bit(0, 3);
    status.coverOpen = bit(1, 2);
    status.paperEnd = bit(1, 5) || (bit(3, 5) && bit(3, 6));
    status.otherError = bit(1, 6) || bit(2, 2) || bit(2, 5) || bit(2, 6);
    status.cutterError = bit(2, 3);
    status.paperNearEnd = bit(3, 2) && bit(3, 3);
    return status;
}

QString PrinterStatus::problem() const
{
    QStringList problems;
    if (paperEnd)
        problems << QStringLiteral("缺纸");
    if (coverOpen)
        problems << QStringLiteral("纸仓盖打开");
    if (cutterError)
        problems << QStringLiteral("切刀故障");
    if (otherError)
        problems << QStringLiteral("打印机故障");
    if (offline && problems.isEmpty())
        problems << QStringLiteral("脱机");
    return problems.join(QStringLiteral("、"));
}

} // namespace quorrel
