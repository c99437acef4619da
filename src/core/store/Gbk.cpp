#include "core/store/Gbk.h"

#include <QCryptographicHash>
#include <QList>

#include <cerrno>
#include <iconv.h>

namespace quorrel {

namespace {

// One iconv descriptor per direction and thread, opened on first use.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`; a sequence that cannot be converted is replaced by `fallback` and skipped
    // by `skip` input bytes.
    QByteArray run(const QByteArray& in, char fallback, size_t skip)
    {
        QByteArray out;
        if (!valid())
            return out;
        out.resize(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.constData());
        size_t srcLeft = static_cast<size_t>(in.size());
        char* dst = out.data();
        size_t dstLeft = static_cast<size_t>(out.size());
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        while (srcLeft > 0) {
            if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                const qsizetype used = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = static_cast<size_t>(out.size() - used);
                continue;
            }
            // EILSEQ or EINVAL: replace the offending input unit and go on.
            if (dstLeft == 0) {
                const qsizetype used = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = static_cast<size_t>(out.size() - used);
            }
            *dst++ = fallback;
            --dstLeft;
            const size_t step = std::min(skip, srcLeft);
            src += step;
            srcLeft -= step;
        }
        out.resize(dst - out.data());
        return out;
    }

private:
    iconv_t m_cd;
};

} // namespace

QByteArray toGbk(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    // UTF-32 input makes every character one unit of four bytes, so a bad one is skipped whole.
    thread_local Converter converter("GBK", "UTF-32LE");
    QByteArray utf32;
    const QList<uint> ucs4 = text.toUcs4();
    utf32.reserve(ucs4.size() * 4);
    for (uint c : ucs4) {
        const char bytes[4] = {char(c & 0xFF), char((c >> 8) & 0xFF), char((c >> 16) & 0xFF), char((c >> 24) & 0xFF)};
        utf32.append(bytes, 4);
    }
    return converter.run(utf32, '?', 4);
}

QString fromGbk(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    thread_local Converter converter("UTF-8", "GBK");
    return QString::fromUtf8(converter.run(bytes, '?', 1));
}

int gbkLength(const QString& text)
{
    int length = 0;
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            ++length;
        else
            return static_cast<int>(toGbk(text).size());
    }
    return length;
}

qsizetype charactersInGbkBytes(const QString& text, int bytes)
{
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const int size = text[i].unicode() < 0x80 ? 1 : static_cast<int>(toGbk(text.mid(i, width)).size());
        if (used + size > bytes)
            break;
        used += size;
        i += width;
    }
    return i;
}

QString passwordDigest(const QString& password)
{
    return QString::fromLatin1(QCryptographicHash::hash(toGbk(password), QCryptographicHash::Md5).toHex());
}

} // namespace quorrel
