#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace quorrel {

// Starts other programs, detached: the desktop's calculator and text editor, and a new copy of
// Quorrel itself.
class Launcher
{
public:
    // The first installed program of the list; empty when none is.
    static QString findFirstInstalled(const QStringList& candidates);

    static bool startDetached(const QString& program, const QStringList& arguments = {});

    // Calculator and plain text editor: false when none of the known programs is installed.
    static bool openCalculator();
    static bool openTextEditor();

    // Starts the running executable again, with kNewCopyArgument; the caller then ends this copy,
    // having released its single-instance lock first.
    static bool startNewCopy();
    // Tells a copy that the one before it is ending: it waits a moment for that one's lock.
    static inline const QString kNewCopyArgument = QStringLiteral("--new-copy");
    static bool isNewCopy();

    // Tests record start requests here instead of starting programs.
    using Hook = std::function<bool(const QString& program, const QStringList& arguments)>;
    static void setTestHook(Hook hook);

    static const QStringList& calculatorCandidates();
    static const QStringList& textEditorCandidates();
};

} // namespace quorrel
