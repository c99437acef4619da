#include "support/Hooks.h"

#include "gui/app/Launcher.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/widgets/FileDialog.h"

namespace quorrel::test {

Hooks& Hooks::instance()
{
    static Hooks hooks;
    return hooks;
}

void Hooks::reset()
{
    m_answers.clear();
    m_messages.clear();
    m_files.clear();
    m_started.clear();
    m_startsSucceed = true;
    m_printer = nullptr;
    useSystemPrinter(false);
    useRealFileDialogs(false);
}

void Hooks::useSystemPrinter(bool use)
{
    if (use) {
        ReceiptPrinting::setPrinterFactory(nullptr);
        return;
    }
    ReceiptPrinting::setPrinterFactory([this] {
        auto printer = std::make_unique<RecordingPrinter>();
        m_printer = printer.get();
        return printer;
    });
}

void Hooks::useRealFileDialogs(bool use)
{
    if (use) {
        FileDialog::setTestHook(nullptr);
        return;
    }
    FileDialog::setTestHook([this](FileDialog::Mode, const QString& caption, const QString&) {
        if (m_files.isEmpty()) {
            ADD_FAILURE() << "unexpected file dialog: " << caption.toStdString();
            return QString();
        }
        return m_files.takeFirst();
    });
}

QStringList Hooks::messageTexts() const
{
    QStringList texts;
    for (const ShownMessage& m : m_messages)
        texts << m.text;
    return texts;
}

void Hooks::install()
{
    MessageBox::setTestHook([this](const ShownMessage& shown) {
        m_messages.append(shown);
        if (shown.buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (m_answers.isEmpty()) {
            ADD_FAILURE() << "unexpected question: " << shown.text.toStdString();
            return MessageAnswer::No;
        }
        return m_answers.takeFirst();
    });
    useRealFileDialogs(false);
    useSystemPrinter(false);
    Launcher::setTestHook([this](const QString& program, const QStringList& arguments) {
        m_started.append(QStringList{program} + arguments);
        return m_startsSucceed;
    });
}

void HookEnvironment::SetUp()
{
    Hooks::instance().install();
}

void HookedTest::SetUp()
{
    hooks().reset();
}

void HookedTest::TearDown()
{
    EXPECT_TRUE(hooks().m_answers.isEmpty()) << "queued answers were never asked for";
    EXPECT_TRUE(hooks().m_files.isEmpty()) << "queued file names were never asked for";
}

} // namespace quorrel::test
