#include "core/store/DateTexts.h"

#include "core/store/AccessSql.h"

namespace quorrel {

namespace {

QString two(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

QString dateTimeWithGap(const QDateTime& moment, const QString& gap)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    return QString::number(d.year()) + u'-' + two(d.month()) + u'-' + two(d.day()) + gap + two(t.hour()) + u':' +
           two(t.minute()) + u':' + two(t.second());
}

} // namespace

QString dateTimeText(const QDateTime& moment)
{
    return dateTimeWithGap(moment, QStringLiteral("  "));
}

QString canonicalDateTimeText(const QDateTime& moment)
{
    return dateTimeWithGap(moment, QStringLiteral(" "));
}

QDateTime parseStoredDateTime(const QString& text)
{
    const QString canonical = canonicalDateTime(text);
    if (canonical.isEmpty())
        return QDateTime();
    return QDateTime::fromString(canonical, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString longDateTimeText(const QDateTime& moment)
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

QString datePrefix(const QDate& date)
{
    return two(date.year() % 100) + two(date.month()) + two(date.day());
}

} // namespace quorrel
