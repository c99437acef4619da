#include "gui/app/Launcher.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

namespace quorrel {

namespace {
Launcher::Hook g_hook;
}

void Launcher::SetTestHook(Hook hook)
{
    g_hook = std::move(hook);
}

const QStringList& Launcher::CalculatorCandidates()
{
    static const QStringList list{QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                  QStringLiteral("mate-calc"),        QStringLiteral("galculator"),
                                  QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
    return list;
}

const QStringList& Launcher::TextEditorCandidates()
{
    static const QStringList list{QStringLiteral("gnome-text-editor"),
                                  QStringLiteral("gedit"),
                                  QStringLiteral("kwrite"),
                                  QStringLiteral("kate"),
                                  QStringLiteral("mousepad"),
                                  QStringLiteral("pluma"),
                                  QStringLiteral("xed"),
                                  QStringLiteral("featherpad"),
                                  QStringLiteral("leafpad")};
    return list;
}

QString Launcher::FindFirstInstalled(const QStringList& candidates)
{
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

bool Launcher::StartDetached(const QString& program, const QStringList& arguments)
{
    if (g_hook)
        return g_hook(program, arguments);
    return QProcess::startDetached(program, arguments);
}

bool Launcher::OpenCalculator()
{
    const QString program = FindFirstInstalled(CalculatorCandidates());
    return !program.isEmpty() && StartDetached(program);
}

bool Launcher::OpenTextEditor()
{
    const QString program = FindFirstInstalled(TextEditorCandidates());
    return !program.isEmpty() && StartDetached(program);
}

bool Launcher::StartNewCopy()
{
    return StartDetached(QCoreApplication::applicationFilePath());
}

} // namespace quorrel
