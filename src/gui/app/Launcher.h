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
    static QString FindFirstInstalled(const QStringList& candidates);

    static bool StartDetached(const QString& program, const QStringList& arguments = {});

    // Calculator and plain text editor: false when none of the known programs is installed.
    static bool OpenCalculator();
    static bool OpenTextEditor();

    // Starts the running executable again; the caller then ends this copy.
    static bool StartNewCopy();

    // Tests record start requests here instead of starting programs.
    using Hook = std::function<bool(const QString& program, const QStringList& arguments)>;
    static void SetTestHook(Hook hook);

    static const QStringList& CalculatorCandidates();
    static const QStringList& TextEditorCandidates();
};

} // namespace quorrel
