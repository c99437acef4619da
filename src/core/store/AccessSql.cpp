#include "core/store/AccessSql.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

namespace quorrel {

QString canonicalDateTime(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*([0-9]{4})[-/.]([0-9]{1,2})[-/.]([0-9]{1,2})(?:\s+([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?)?\s*$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return QString();
    // A day or time that does not exist is no date literal.
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return QString();
    auto two = [&](int group) {
        return m.captured(group).isEmpty() ? QStringLiteral("00") : m.captured(group).rightJustified(2, u'0');
    };
    return m.captured(1) + u'-' + two(2) + u'-' + two(3) + u' ' + two(4) + u':' + two(5) + u':' + two(6);
}

namespace {

// Index just past a quoted run starting at `start` (quote char doubled inside means itself).
qsizetype skipQuoted(const QString& sql, qsizetype start, QChar close)
{
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (close != u']' && i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

QString replaceDateLiterals(const QString& sql)
{
    QString out;
    out.reserve(sql.size() + 8);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"' || c == u'[') {
            const qsizetype end = skipQuoted(sql, i, c == u'[' ? QChar(u']') : c);
            out += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (c == u'#') {
            const qsizetype close = sql.indexOf(u'#', i + 1);
            const QString canonical = close > i ? canonicalDateTime(sql.mid(i + 1, close - i - 1)) : QString();
            if (canonical.isEmpty()) {
                out += c; // not a date literal: leave it for SQLite to judge
                ++i;
            } else {
                out += u'\'' + canonical + u'\'';
                i = close + 1;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace

QString translateAccessSql(const QString& sql)
{
    QString out = sql.contains(u'#') ? replaceDateLiterals(sql) : sql;

    // select [distinct] top N … → select [distinct] … limit N
    static const QRegularExpression top(QStringLiteral(R"(^(\s*select\s+(?:distinct\s+)?)top\s+(\d+)\s+)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = top.match(out);
    if (m.hasMatch()) {
        const QString count = m.captured(2);
        out = m.captured(1) + out.mid(m.capturedEnd(0));
        while (!out.isEmpty() && (out.back().isSpace() || out.back() == u';'))
            out.chop(1);
        out += QStringLiteral(" limit ") + count;
    }
    return out;
}

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Whether `word` (lower case ASCII) starts at `i` as a whole word, in any letter case.
bool wordAt(const QString& sql, qsizetype i, QLatin1StringView word)
{
    if (i > 0 && isWordChar(sql[i - 1]))
        return false;
    if (i + word.size() > sql.size() || QStringView(sql).mid(i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
        return false;
    return i + word.size() == sql.size() || !isWordChar(sql[i + word.size()]);
}

// Index of the first character after blanks from `i`.
qsizetype skipBlanks(const QString& sql, qsizetype i)
{
    while (i < sql.size() && sql[i].isSpace())
        ++i;
    return i;
}

} // namespace

ServerSql translateAccessSqlForServer(const QString& sql)
{
    const QString source = translateAccessSql(sql);
    ServerSql out;
    QString& text = out.text;
    text.reserve(source.size() + 16);
    bool ignoreConflicts = false;
    qsizetype i = 0;
    while (i < source.size()) {
        const QChar c = source[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = skipQuoted(source, i, c);
            text += QStringView(source).mid(i, end - i);
            i = end;
        } else if (c == u'[') {
            const qsizetype end = skipQuoted(source, i, QChar(u']'));
            QString name = source.mid(i + 1, end - i - 2);
            for (QChar& letter : name) {
                if (letter >= u'A' && letter <= u'Z')
                    letter = QChar(letter.unicode() + 32);
            }
            text += u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
            i = end;
        } else if (c == u'?') {
            out.sources.append(out.placeholders++);
            text += u'$' + QString::number(out.sources.size());
            ++i;
        } else if (wordAt(source, i, QLatin1StringView("now")) && skipBlanks(source, i + 3) < source.size() &&
                   source[skipBlanks(source, i + 3)] == u'(' &&
                   skipBlanks(source, skipBlanks(source, i + 3) + 1) < source.size() &&
                   source[skipBlanks(source, skipBlanks(source, i + 3) + 1)] == u')') {
            out.sources.append(-1);
            text += u'$' + QString::number(out.sources.size());
            i = skipBlanks(source, skipBlanks(source, i + 3) + 1) + 1;
        } else if (wordAt(source, i, QLatin1StringView("indexed")) &&
                   wordAt(source, skipBlanks(source, i + 7), QLatin1StringView("by"))) {
            // SQLite's choice of index: the server's planner makes its own.
            qsizetype end = skipBlanks(source, skipBlanks(source, i + 7) + 2);
            while (end < source.size() && isWordChar(source[end]))
                ++end;
            i = end;
        } else if (wordAt(source, i, QLatin1StringView("cross")) &&
                   wordAt(source, skipBlanks(source, i + 5), QLatin1StringView("join"))) {
            // SQLite's way to fix the order of a join with ON; the same inner join to the server.
            i = skipBlanks(source, i + 5);
        } else if (wordAt(source, i, QLatin1StringView("char")) && skipBlanks(source, i + 4) < source.size() &&
                   source[skipBlanks(source, i + 4)] == u'(') {
            text += QStringLiteral("chr"); // the character of a code point
            i += 4;
        } else if (wordAt(source, i, QLatin1StringView("like"))) {
            text += QStringLiteral("ilike");
            i += 4;
        } else if (wordAt(source, i, QLatin1StringView("real"))) {
            text += QStringLiteral("double precision");
            i += 4;
        } else if (wordAt(source, i, QLatin1StringView("or")) &&
                   text.trimmed().compare(u"insert", Qt::CaseInsensitive) == 0) {
            // insert or ignore / insert or replace: only "ignore" has one meaning on every table.
            const qsizetype next = skipBlanks(source, i + 2);
            if (wordAt(source, next, QLatin1StringView("ignore"))) {
                ignoreConflicts = true;
                i = next + 6;
            } else {
                text += c;
                ++i;
            }
        } else {
            text += c;
            ++i;
        }
    }
    if (ignoreConflicts) {
        while (!text.isEmpty() && (text.back().isSpace() || text.back() == u';'))
            text.chop(1);
        text += QStringLiteral(" on conflict do nothing");
    }
    return out;
}

} // namespace quorrel
