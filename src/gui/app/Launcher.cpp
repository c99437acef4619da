#include "gui/app/Launcher.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

namespace quorrel {

namespace {
Launcher::Hook g_hook;
}

void Launcher::setTestHook(Hook hook)
{
    g_hook = std::move(hook);
}

const QStringList& Launcher::calculatorCandidates()
{
    static const QStringList list{QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                  QStringLiteral("mate-calc"),        QStringLiteral("galculator"),
                                  QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
    return list;
}

const QStringList& Launcher::textEditorCandidates()
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

QString Launcher::findFirstInstalled(const QStringList& candidates)
{
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

bool Launcher::startDetached(const QString& program, const QStringList& arguments)
{
    if (g_hook)
        return g_hook(program, arguments);
    return QProcess::startDetached(program, arguments);
}

bool Launcher::openCalculator()
{
    const QString program = findFirstInstalled(calculatorCandidates());
    return !program.isEmpty() && startDetached(program);
}

bool Launcher::openTextEditor()
{
    const QString program = findFirstInstalled(textEditorCandidates());
    return !program.isEmpty() && startDetached(program);
}

bool Launcher::startNewCopy()
{
    return startDetached(QCoreApplication::applicationFilePath(), {kNewCopyArgument});
}

bool Launcher::isNewCopy()
{
    return QCoreApplication::arguments().contains(kNewCopyArgument);
}

} // namespace quorrel
