#include "core/sales/NameCompletion.h"

#include "core/store/Gbk.h"

namespace quorrel {

std::optional<CompletedName> completeName(const QString& text, int typedBytes, const QString& lastMatch)
{
    if (text.isEmpty() || lastMatch.isEmpty())
        return std::nullopt;
    const QByteArray textBytes = toGbk(text.left(2));
    const QByteArray matchBytes = toGbk(lastMatch.left(2));
    if (textBytes.isEmpty() || matchBytes.isEmpty() || textBytes.front() != matchBytes.front())
        return std::nullopt;
    CompletedName completed;
    completed.text = text + lastMatch.mid(charactersInGbkBytes(lastMatch, typedBytes));
    completed.selectFrom = charactersInGbkBytes(completed.text, typedBytes);
    return completed;
}

} // namespace quorrel
