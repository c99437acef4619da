#pragma once

#include <QString>

namespace quorrel::test {

// The text of a PDF as pdftotext reads it (layout kept), normalised so that compatibility forms
// compare equal; fails the test when it cannot be read.
QString pdfText(const QString& path);

} // namespace quorrel::test
