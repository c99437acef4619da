#pragma once

#include <QString>

#include <optional>

namespace quorrel {

// The name box after a completion: the full text and the character where the offered part starts.
struct CompletedName
{
    QString text;
    qsizetype selectFrom = 0;
};

// Offers `lastMatch` for the typed text when their first bytes agree (exactly: a match that differs
// only in the case of its first letter is not offered). `typedBytes` counts the GBK bytes the
// cashier typed; the part of the match after that many bytes is appended and selected. A count
// that falls inside a two-byte character is moved back to that character's start.
std::optional<CompletedName> completeName(const QString& text, int typedBytes, const QString& lastMatch);

} // namespace quorrel
