#pragma once

#include <QString>

#include <ostream>

// Readable failure output for Qt texts in every test.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
