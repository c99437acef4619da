#include "core/store/DateTexts.h"

#include "core/store/AccessSql.h"

namespace quorrel {

namespace {

QString Two(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

QString DateTimeWithGap(const QDateTime& moment, const QString& gap)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    return QString::number(d.year()) + u'-' + Two(d.month()) + u'-' + Two(d.day()) + gap + Two(t.hour()) + u':' +
           Two(t.minute()) + u':' + Two(t.second());
}

} // namespace

QString DateTimeText(const QDateTime& moment)
{
    return DateTimeWithGap(moment, QStringLiteral("  "));
}

QString CanonicalDateTimeText(const QDateTime& moment)
{
    return DateTimeWithGap(moment, QStringLiteral(" "));
}

QDateTime ParseStoredDateTime(const QString& text)
{
    const QString canonical = CanonicalDateTime(text);
    if (canonical.isEmpty())
        return QDateTime();
    return QDateTime::fromString(canonical, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString LongDateTimeText(const QDateTime& moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    QString text = QStringLiteral("%1年%2月%3日").arg(d.year()).arg(d.month()).arg(d.day());
    if (t.second() != 0)
        text += QStringLiteral("%1时%2分%3秒").arg(t.hour()).arg(t.minute()).arg(t.second());
    else if (t.minute() != 0)
        text += QStringLiteral("%1时%2分").arg(t.hour()).arg(t.minute());
    else if (t.hour() != 0)
        text += QStringLiteral("%1时").arg(t.hour());
    return text;
}

QString DatePrefix(const QDate& date)
{
    return Two(date.year() % 100) + Two(date.month()) + Two(date.day());
}

} // namespace quorrel
