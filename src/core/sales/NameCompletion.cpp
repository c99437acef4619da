#include "core/sales/NameCompletion.h"

#include "core/store/Gbk.h"

namespace quorrel {

std::optional<CompletedName> CompleteName(const QString& text, int typedBytes, const QString& lastMatch)
{
    if (text.isEmpty() || lastMatch.isEmpty())
        return std::nullopt;
    const QByteArray textBytes = ToGbk(text.left(2));
    const QByteArray matchBytes = ToGbk(lastMatch.left(2));
    if (textBytes.isEmpty() || matchBytes.isEmpty() || textBytes.front() != matchBytes.front())
        return std::nullopt;
    CompletedName completed;
    completed.text = text + lastMatch.mid(CharactersInGbkBytes(lastMatch, typedBytes));
    completed.selectFrom = CharactersInGbkBytes(completed.text, typedBytes);
    return completed;
}

} // namespace quorrel
